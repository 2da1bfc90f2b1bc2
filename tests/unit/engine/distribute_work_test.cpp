#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "distribute_work.h"
#include "engine_rules.h"
#include "base/memdisk.h"

using namespace engine;

namespace {

// A floppy drive with a pile of blank disks, and a user who answers by a plan.
struct Drive {
  std::vector<uint64_t> pieces;                  // lengths of FILE-0 .. FILE-n on the hard disk
  std::set<int> missing;                         // pieces not on the hard disk
  uint64_t capacity = 1457664;
  uint64_t cluster = 512;
  std::vector<std::map<int, uint64_t>> disks;    // what each disk received
  int inDrive = -1;                              // disk index, -1 = empty drive
  std::set<std::pair<int, int>> badCopies;       // (disk, piece) that read back different
  std::map<FloppyPrompt, std::vector<bool>> answers;  // answers in order; default OK / Yes
  bool swapOnNext = true;                        // the user changes the disk when asked
  std::vector<std::pair<FloppyPrompt, int>> asked;
  int copies = 0;

  void InsertBlank() {
    disks.emplace_back();
    inDrive = static_cast<int>(disks.size()) - 1;
  }
  int64_t Free() const {
    uint64_t used = 0;
    for (const auto& f : disks[inDrive]) used += (f.second + cluster - 1) / cluster * cluster;
    return static_cast<int64_t>(capacity - used);
  }
  bool Answer(FloppyPrompt p) {
    auto& queue = answers[p];
    if (queue.empty()) return true;
    bool a = queue.front();
    queue.erase(queue.begin());
    return a;
  }
};

bool Length(void* ctx, int i, uint64_t* length) {
  auto* d = static_cast<Drive*>(ctx);
  if (d->missing.count(i) || i >= static_cast<int>(d->pieces.size())) return false;
  *length = d->pieces[i];
  return true;
}

bool Probe(void* ctx, int32_t* freeBytes) {
  auto* d = static_cast<Drive*>(ctx);
  if (d->inDrive < 0) return false;
  *freeBytes = static_cast<int32_t>(d->Free());
  return true;
}

CopyCheck Copy(void* ctx, int i) {
  auto* d = static_cast<Drive*>(ctx);
  d->disks[d->inDrive][i] = d->pieces[i];
  ++d->copies;
  return d->badCopies.count({d->inDrive, i}) ? CopyCheck::Different : CopyCheck::Same;
}

bool Ask(void* ctx, FloppyPrompt what, int i) {
  auto* d = static_cast<Drive*>(ctx);
  d->asked.emplace_back(what, i);
  bool yes = d->Answer(what);
  if (yes && (what == FloppyPrompt::Insert || what == FloppyPrompt::ChangeDisk ||
              (what == FloppyPrompt::NextDisk && d->swapOnNext))) {
    d->InsertBlank();
  }
  return yes;
}

FloppyEnd CopyToDisks(Drive& d) {
  FloppySteps steps{&d, Length, Probe, Copy, Ask};
  return DistributePieces(steps, static_cast<int>(d.pieces.size()) - 1);
}

// Lengths of a division of size at blocks: FILE-0 (a short record), then the pieces.
std::vector<uint64_t> PieceSet(uint64_t size, int blocks) {
  DivisionPlan p = PlanDivision(size, blocks);
  std::vector<uint64_t> lengths{36};
  for (int k = 1; k < p.pieces; ++k) lengths.push_back(uint64_t(blocks) * 10000);
  lengths.push_back(p.lastBytes);
  return lengths;
}

std::vector<std::vector<int>> Layout(const Drive& d) {
  std::vector<std::vector<int>> out;
  for (const auto& disk : d.disks) {
    std::vector<int> names;
    for (const auto& f : disk) names.push_back(f.first);
    out.push_back(names);
  }
  return out;
}

using Disks = std::vector<std::vector<int>>;

TEST(Distribute, SevenHundredTwentyKilobytePiecesTwoPerDiskThreeOnTheFirst) {
  for (uint64_t cluster : {512u, 4096u}) {
    SCOPED_TRACE(cluster);
    Drive d;
    d.cluster = cluster;
    d.pieces = PieceSet(7 * 720000 - 5, 72);  // FILE-1 .. FILE-7
    d.InsertBlank();
    ASSERT_EQ(CopyToDisks(d), FloppyEnd::Completed);
    EXPECT_EQ(Layout(d), (Disks{{0, 1, 2}, {3, 4}, {5, 6}, {0, 7}}));
    // The only questions: the first disk and one request per later disk.
    EXPECT_EQ(d.asked.size(), 4u);
    EXPECT_EQ(d.asked[0].first, FloppyPrompt::Confirm);
    EXPECT_EQ(d.asked[1], std::make_pair(FloppyPrompt::NextDisk, 3));
  }
}

TEST(Distribute, OneAndAHalfMegabytePiecesOnePerDisk) {
  Drive d;
  d.pieces = PieceSet(4 * 1440000 - 5000, 144);
  d.InsertBlank();
  ASSERT_EQ(CopyToDisks(d), FloppyEnd::Completed);
  EXPECT_EQ(Layout(d), (Disks{{0, 1}, {2}, {3}, {0, 4}}));
}

TEST(Distribute, TheMarginDecidesAtTheLastThousandBytes) {
  // After FILE-0 a disk of 10,000 + 1,000 + 512 bytes takes exactly one 10,000-byte piece...
  Drive d;
  d.capacity = 512 + 10000 + 1000 + 240;
  d.pieces = {36, 10000, 10000};
  d.InsertBlank();
  ASSERT_EQ(CopyToDisks(d), FloppyEnd::Completed);
  EXPECT_EQ(Layout(d), (Disks{{0, 1}, {0, 2}}));
  // ...and one byte less leaves FILE-1 without its margin on the first disk.
  Drive e;
  e.capacity = 512 + 10000 + 999;
  e.cluster = 1;
  e.pieces = {512, 10000, 10000};
  e.InsertBlank();
  e.answers[FloppyPrompt::NotEnough] = {true};
  ASSERT_EQ(CopyToDisks(e), FloppyEnd::Completed);
  EXPECT_EQ(Layout(e), (Disks{{0}, {1}, {2}, {0}}));
  EXPECT_EQ(e.asked[1], std::make_pair(FloppyPrompt::NotEnough, 1));
  EXPECT_EQ(e.asked[2], std::make_pair(FloppyPrompt::ChangeDisk, 1));
}

TEST(Distribute, EmptyDriveAsksForADiskUntilOneIsThereOrTheUserStops) {
  Drive d;
  d.pieces = PieceSet(3000000, 144);
  d.answers[FloppyPrompt::Insert] = {true};
  ASSERT_EQ(CopyToDisks(d), FloppyEnd::Completed);
  EXPECT_EQ(d.asked[1], std::make_pair(FloppyPrompt::Insert, 0));

  Drive e;
  e.pieces = PieceSet(3000000, 144);
  e.answers[FloppyPrompt::Insert] = {false};
  EXPECT_EQ(CopyToDisks(e), FloppyEnd::Stopped);
  EXPECT_TRUE(e.disks.empty());
}

TEST(Distribute, OkWithoutChangingTheDiskLeadsToTheNotEnoughQuestion) {
  Drive d;
  d.pieces = PieceSet(3000000, 144);
  d.swapOnNext = false;
  d.InsertBlank();
  d.answers[FloppyPrompt::NotEnough] = {false};
  EXPECT_EQ(CopyToDisks(d), FloppyEnd::Stopped);
  ASSERT_EQ(d.asked.size(), 3u);
  EXPECT_EQ(d.asked[1], std::make_pair(FloppyPrompt::NextDisk, 2));
  EXPECT_EQ(d.asked[2], std::make_pair(FloppyPrompt::NotEnough, 2));
  EXPECT_EQ(Layout(d), (Disks{{0, 1}}));
}

TEST(Distribute, CancelAtTheNextDiskInterrupts) {
  Drive d;
  d.pieces = PieceSet(3000000, 144);
  d.InsertBlank();
  d.answers[FloppyPrompt::NextDisk] = {false};
  EXPECT_EQ(CopyToDisks(d), FloppyEnd::Stopped);
  EXPECT_EQ(d.asked.back(), std::make_pair(FloppyPrompt::Interrupted, 2));

  Drive e;
  e.pieces = PieceSet(3000000, 144);
  e.InsertBlank();
  e.answers[FloppyPrompt::Confirm] = {false};
  EXPECT_EQ(CopyToDisks(e), FloppyEnd::Stopped);
  EXPECT_TRUE(e.disks[0].empty());
}

TEST(Distribute, CopyThatReadsBackDifferentIsRetriedOnAnotherDiskOrStops) {
  Drive d;
  d.pieces = PieceSet(3000000, 144);
  d.InsertBlank();
  d.badCopies = {{1, 2}};
  ASSERT_EQ(CopyToDisks(d), FloppyEnd::Completed);
  EXPECT_EQ(d.asked[2], std::make_pair(FloppyPrompt::CopyFailed, 2));
  EXPECT_EQ(d.asked[3], std::make_pair(FloppyPrompt::ChangeDisk, 2));
  // The bad disk keeps its bad copy; the piece is on the next disk.
  EXPECT_EQ(Layout(d), (Disks{{0, 1}, {2}, {2}, {0, 3}}));

  Drive e;
  e.pieces = PieceSet(3000000, 144);
  e.InsertBlank();
  e.badCopies = {{0, 0}};
  e.answers[FloppyPrompt::CopyFailed] = {false};
  EXPECT_EQ(CopyToDisks(e), FloppyEnd::Stopped);
  EXPECT_EQ(e.asked.back(), std::make_pair(FloppyPrompt::CopyFailed, 0));
}

TEST(Distribute, PieceMissingFromTheHardDiskStopsTheCopy) {
  for (int gone : {0, 1, 3}) {
    SCOPED_TRACE(gone);
    Drive d;
    d.pieces = PieceSet(4000000, 72);
    d.missing = {gone};
    d.InsertBlank();
    EXPECT_EQ(CopyToDisks(d), FloppyEnd::Stopped);
    EXPECT_EQ(d.asked.back(), std::make_pair(FloppyPrompt::Missing, gone));
    for (const auto& disk : d.disks) {
      for (const auto& f : disk) EXPECT_LT(f.first, gone);
    }
  }
}

TEST(Distribute, TheLastDiskTakesFileZeroAgainAfterTheParityPieceAndTheBlockChecks) {
  // 5,000,000 bytes in 1.44MB pieces: four data pieces, the parity piece, and the block checks
  // (CRCs of 144 blocks of five pieces) when the division wrote them.
  std::vector<uint64_t> set = PieceSet(5000000, 144);
  set.push_back(1440000);
  std::vector<uint64_t> checked = set;
  checked.push_back(2900);
  struct Case {
    const char* what;
    std::vector<uint64_t> pieces;
    uint64_t capacity;
    Disks layout;
  };
  const Case cases[] = {
      {"parity piece", set, 1457664, {{0, 1}, {2}, {3}, {4}, {0, 5}}},
      {"block checks beside it", checked, 1457664, {{0, 1}, {2}, {3}, {4}, {0, 5, 6}}},
      // Smaller disks: the block checks do not fit beside the parity piece and FILE-0 goes
      // with them; or they fit there, and FILE-0 does not.
      {"block checks on the next disk", checked, 1443000, {{0, 1}, {2}, {3}, {4}, {5}, {0, 6}}},
      {"FILE-0 alone", checked, 1444256, {{0, 1}, {2}, {3}, {4}, {5, 6}, {0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drive d;
    d.pieces = c.pieces;
    d.capacity = c.capacity;
    d.InsertBlank();
    ASSERT_EQ(CopyToDisks(d), FloppyEnd::Completed);
    EXPECT_EQ(Layout(d), c.layout);
    EXPECT_EQ(d.copies, static_cast<int>(c.pieces.size()) + 1);
    for (const auto& p : d.asked) EXPECT_NE(p.first, FloppyPrompt::NotEnough);
  }
}

TEST(Distribute, ASetOnOneDiskGetsFileZeroOnce) {
  Drive d;
  d.pieces = {36, 400000, 400000, 400000};
  d.InsertBlank();
  ASSERT_EQ(CopyToDisks(d), FloppyEnd::Completed);
  EXPECT_EQ(Layout(d), (Disks{{0, 1, 2, 3}}));
  EXPECT_EQ(d.copies, 4);
  // The first disk taken out before the last piece: FILE-0 goes on the disk put in.
  Drive e;
  e.pieces = {36, 400000, 400000, 400000};
  e.InsertBlank();
  e.answers[FloppyPrompt::CopyFailed] = {true};
  e.badCopies = {{0, 3}};
  ASSERT_EQ(CopyToDisks(e), FloppyEnd::Completed);
  EXPECT_EQ(Layout(e), (Disks{{0, 1, 2, 3}, {0, 3}}));
}

TEST(Distribute, FilesEqualComparesEveryByte) {
  memdisk::Reset();
  std::string a(25000, 'x');
  memdisk::Put("C:\\a", a);
  memdisk::Put("A:\\same", a);
  std::string b = a;
  b[24999] = 'y';
  memdisk::Put("A:\\last", b);
  memdisk::Put("A:\\short", a.substr(0, 20000));
  EXPECT_TRUE(FilesEqual(memdisk::Files(), "C:\\a", "A:\\same"));
  EXPECT_FALSE(FilesEqual(memdisk::Files(), "C:\\a", "A:\\last"));
  EXPECT_FALSE(FilesEqual(memdisk::Files(), "C:\\a", "A:\\short"));
  EXPECT_FALSE(FilesEqual(memdisk::Files(), "C:\\a", "A:\\none"));
  EXPECT_EQ(memdisk::OpenHandles(), 0);
}

}  // namespace
