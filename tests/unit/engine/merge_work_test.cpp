#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "divide_work.h"
#include "base/memdisk.h"
#include "merge_work.h"
#include "refcheck.h"
#include "repairmodel.h"

using namespace engine;

namespace {

const char kDir[] = "D:\\set\\";

std::string Pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  uint32_t x = seed * 747796405u + 7;
  for (char& c : s) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 23);
  }
  return s;
}

std::string At(const std::string& name) { return std::string(kDir) + name; }

void Flip(int k, size_t at) {
  std::string d = memdisk::Get(At("file-" + std::to_string(k))).data;
  d[at] = static_cast<char>(d[at] ^ 0x40);
  memdisk::Put(At("file-" + std::to_string(k)), d);
}
void Cut(int k, size_t keep) {
  memdisk::Put(At("file-" + std::to_string(k)), memdisk::Get(At("file-" + std::to_string(k))).data.substr(0, keep));
}
void Zero(int k, size_t at, size_t n) {
  std::string d = memdisk::Get(At("file-" + std::to_string(k))).data;
  d.replace(at, n, n, '\0');
  memdisk::Put(At("file-" + std::to_string(k)), d);
}
void Grow(int k) { memdisk::Put(At("file-" + std::to_string(k)), memdisk::Get(At("file-" + std::to_string(k))).data + "x"); }
void Drop(int k) { memdisk::Files().remove(At("file-" + std::to_string(k)).c_str()); }

bool Roomy(void*, int64_t) { return true; }
bool Cramped(void* limit, int64_t bytes) { return bytes <= *static_cast<int64_t*>(limit); }

class Merge : public ::testing::Test {
 protected:
  void SetUp() override { memdisk::Reset(); }

  // Puts the pieces of data at pieceBytes each, named prefix + k.
  int PutPieces(const std::string& data, size_t pieceBytes, const std::string& prefix = "file-",
                uint32_t attributes = kAttrArchive) {
    int n = 0;
    for (size_t at = 0; at < data.size(); at += pieceBytes) {
      memdisk::Put(At(prefix + std::to_string(++n)), data.substr(at, pieceBytes), attributes);
    }
    return n;
  }

  MergeOutcome Run(const char* prefix, int64_t size, int count,
                   uint32_t infoAttributes = kAttrArchive) {
    job_ = MergeJob{kDir, prefix, "DATA.LZH", size, count, infoAttributes,
                    {2001, 3, 5, 14, 7, 8}, room_, roomCtx_, nullptr, nullptr, nullptr, fieldsEmpty_};
    MergeOutcome out = MergePieces(fs_, job_);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
    return out;
  }

  MergeJob job_{};
  bool (*room_)(void*, int64_t) = Roomy;
  void* roomCtx_ = nullptr;
  bool fieldsEmpty_ = false;
  DiskFiles fs_ = memdisk::Files();
};

// The model disk's writes, watching the recorded name: a merged file must never stand under it
// while it is still being written.
bool g_nameWhileWriting;
const char* g_appearsWhileWriting;  // put under the recorded name at the first write, if set
long WatchedWrite(FileHandle f, const void* buf, long n) {
  if (g_appearsWhileWriting) {
    if (!memdisk::Has(At("DATA.LZH"))) memdisk::Put(At("DATA.LZH"), g_appearsWhileWriting);
  } else if (memdisk::Has(At("DATA.LZH"))) {
    g_nameWhileWriting = true;
  }
  return memdisk::Files().write(f, buf, n);
}
bool FailingRename(const char*, const char*) { return false; }

TEST_F(Merge, RebuildsTheFileWithItsTimeFromMixedCasePieces) {
  const std::string data = Pattern(3500000, 1);
  int n = PutPieces(data, 1440000, "file-");
  ASSERT_EQ(n, 3);
  MergeOutcome out = Run("FILE-", 3500000, 3);  // a selected "File-0" gives "FILE-"
  ASSERT_EQ(out.result, MergeResult::Ok);
  const memdisk::Entry& merged = memdisk::Get(At("DATA.LZH"));
  EXPECT_EQ(merged.data, data);
  ASSERT_TRUE(merged.hasTime);
  EXPECT_EQ(merged.time.year, 2001);
  EXPECT_EQ(merged.time.second, 8);
}

TEST_F(Merge, LastPieceOfWholeBlocksAndOfOneByte) {
  std::string data = Pattern(1460000, 2);
  PutPieces(data, 1440000);
  ASSERT_EQ(Run("file-", 1460000, 2).result, MergeResult::Ok);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);

  memdisk::Reset();
  data = Pattern(720001, 3);
  PutPieces(data, 720000);
  ASSERT_EQ(Run("file-", 720001, 2).result, MergeResult::Ok);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
}

TEST_F(Merge, PiecesGetTheInformationFilesAttributes) {
  const std::string data = Pattern(50000, 4);
  PutPieces(data, 20000, "file-", kAttrReadOnly | kAttrHidden);
  const uint32_t info = kAttrReadOnly | kAttrSystem | kAttrArchive;
  ASSERT_EQ(Run("file-", 50000, 3, info).result, MergeResult::Ok);
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(memdisk::Get(At("file-" + std::to_string(k))).attributes, info);

  // Attributes that could not be read leave the pieces as the merge opened them.
  memdisk::Reset();
  PutPieces(data, 20000, "file-", kAttrReadOnly);
  ASSERT_EQ(Run("file-", 50000, 3, kNoAttributes).result, MergeResult::Ok);
  EXPECT_EQ(memdisk::Get(At("file-2")).attributes, kAttrArchive);
}

TEST_F(Merge, ChecksBeforeAnythingIsCreated) {
  const std::string data = Pattern(50000, 5);
  EXPECT_EQ(Run("file-", 50000, 3).result, MergeResult::NoFirstPiece);

  PutPieces(data, 20000);
  memdisk::Put(At("file-1"), data.substr(0, 20000));
  memdisk::Put(At("file-4"), "stray");
  // A record that leaves nothing for the last piece is not a piece set of these pieces.
  EXPECT_EQ(Run("file-", 40000, 3).result, MergeResult::LastPieceEmpty);

  int64_t limit = 50999;
  roomCtx_ = &limit;
  room_ = Cramped;
  EXPECT_EQ(Run("file-", 50000, 3).result, MergeResult::NoRoom);
  limit = 51000;
  memdisk::FailCreate(At("~TVR000.TMP"));  // the merged file is begun under this name
  EXPECT_EQ(Run("file-", 50000, 3).result, MergeResult::CreateFailed);

  room_ = Roomy;
  MergeOutcome out = Run("file-", 50000 + 40000, 5);
  EXPECT_EQ(out.result, MergeResult::PieceMissing);
  EXPECT_EQ(out.piece, 5);
  EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
}

TEST_F(Merge, NamesThatOnlyLookLikeAPieceAreNotIt) {
  const std::string data = Pattern(50000, 11);
  PutPieces(data, 20000);
  memdisk::Files().remove(At("file-2").c_str());
  for (const char* lookalike : {"file-02", "file-2.bak", "file-2x", "xfile-2", "file-20"}) {
    memdisk::Put(At(lookalike), data.substr(20000, 20000));
  }
  MergeOutcome out = Run("file-", 50000, 3);
  EXPECT_EQ(out.result, MergeResult::PieceMissing);
  EXPECT_EQ(out.piece, 2);
  memdisk::Put(At("FILE-2"), data.substr(20000, 20000));
  ASSERT_EQ(Run("file-", 50000, 3).result, MergeResult::Ok);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
}

TEST_F(Merge, ShortPieceUndoesTheMergedFile) {
  const std::string data = Pattern(50000, 6);
  PutPieces(data, 20000, "file-", kAttrReadOnly);
  memdisk::Put(At("file-2"), data.substr(20000, 15000), kAttrReadOnly);  // 5000 bytes short
  const uint32_t info = kAttrHidden | kAttrArchive;
  MergeOutcome out = Run("file-", 50000, 3, info);
  EXPECT_EQ(out.result, MergeResult::ReadPieceFailed);
  EXPECT_EQ(out.piece, 2);
  EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
  // The piece being read gets FILE-0's attributes back; the others stay archive only.
  EXPECT_EQ(memdisk::Get(At("file-2")).attributes, info);
  EXPECT_EQ(memdisk::Get(At("file-1")).attributes, kAttrArchive);
  EXPECT_EQ(memdisk::Get(At("file-3")).attributes, kAttrArchive);
  // Pieces are never deleted by a failed merge.
  EXPECT_EQ(memdisk::NamesIn(kDir).size(), 3u);
}

TEST_F(Merge, PieceShortByLessThanABlockOrAWholeBlock) {
  const std::string data = Pattern(50000, 10);
  for (size_t cut : {1u, 9999u, 10000u, 20000u}) {
    for (int k : {2, 3}) {
      SCOPED_TRACE(std::to_string(cut) + " off piece " + std::to_string(k));
      memdisk::Reset();
      PutPieces(data, 20000);
      std::string name = At("file-" + std::to_string(k));
      std::string piece = memdisk::Get(name).data;
      if (cut >= piece.size()) continue;
      memdisk::Put(name, piece.substr(0, piece.size() - cut));
      MergeOutcome out = Run("file-", 50000, 3);
      EXPECT_EQ(out.result, MergeResult::ReadPieceFailed);
      EXPECT_EQ(out.piece, k);
      EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
    }
  }
}

TEST_F(Merge, LongPieceShortByOneByteOrAWholeRun) {
  const std::string data = Pattern(3 * 1440000 - 7, 11);
  for (size_t cut : {1u, 160000u, 1000000u}) {
    SCOPED_TRACE(cut);
    memdisk::Reset();
    PutPieces(data, 1440000);
    std::string piece = memdisk::Get(At("file-2")).data;
    memdisk::Put(At("file-2"), piece.substr(0, piece.size() - cut));
    MergeOutcome out = Run("file-", static_cast<int64_t>(data.size()), 3);
    EXPECT_EQ(out.result, MergeResult::ReadPieceFailed);
    EXPECT_EQ(out.piece, 2);
    EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
  }
  // The same set whole merges.
  memdisk::Reset();
  PutPieces(data, 1440000);
  ASSERT_EQ(Run("file-", static_cast<int64_t>(data.size()), 3).result, MergeResult::Ok);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
}

TEST_F(Merge, PieceThatCannotBeOpenedOrAFullDisk) {
  const std::string data = Pattern(50000, 7);
  PutPieces(data, 20000);
  memdisk::FailOpen(At("file-3"));
  MergeOutcome out = Run("file-", 50000, 3);
  EXPECT_EQ(out.result, MergeResult::OpenPieceFailed);
  EXPECT_EQ(out.piece, 3);
  EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));

  memdisk::Reset(50000 + 30000);
  PutPieces(data, 20000);
  out = Run("file-", 50000, 3);
  EXPECT_EQ(out.result, MergeResult::WriteFailed);
  EXPECT_EQ(out.piece, 2);
  EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
}

TEST_F(Merge, SizeFieldFiveBytesTooSmall) {
  // Complete pieces, last one 15,000 bytes: both of its blocks are copied and the size differs.
  const std::string data = Pattern(1440000 + 15000, 8);
  PutPieces(data, 1440000);
  MergeOutcome out = Run("file-", 1440000 + 15000 - 5, 2);
  EXPECT_EQ(out.result, MergeResult::SizeDiffers);
  ASSERT_TRUE(memdisk::Has(At("DATA.LZH")));
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
}

TEST_F(Merge, MergedFileThatCannotBeOpenedForItsTimeStays) {
  const std::string data = Pattern(30000, 9);
  PutPieces(data, 20000);
  memdisk::FailOpen(At("~TVR000.TMP"));  // where it is written and given its time
  EXPECT_EQ(Run("file-", 30000, 2).result, MergeResult::ReopenFailed);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
}

TEST_F(Merge, NoFileOfTheRecordedNameUntilItHasCheckedOut) {
  const std::string data = Pattern(50000, 12);
  using Setup = void (*)(DiskFiles*);
  struct Case {
    const char* what;
    Setup setup;
    int64_t size;
    MergeResult want;
    const char* named;  // what stands under the recorded name afterwards, or nullptr
  };
  const Case cases[] = {
      {"whole set", [](DiskFiles*) {}, 50000, MergeResult::Ok, "data"},
      {"short piece", [](DiskFiles*) { Cut(2, 15000); }, 50000, MergeResult::ReadPieceFailed, nullptr},
      {"size differs: kept", [](DiskFiles*) {}, 49999, MergeResult::SizeDiffers, "data"},
      {"temporary name taken", [](DiskFiles*) { memdisk::Put(At("~TVR000.TMP"), "mine"); }, 50000,
       MergeResult::Ok, "data"},
      {"the name appears meanwhile", [](DiskFiles*) { g_appearsWhileWriting = "theirs"; }, 50000,
       MergeResult::NameTaken, "theirs"},
      {"the name cannot be given", [](DiskFiles* fs) { fs->rename = FailingRename; }, 50000,
       MergeResult::CreateFailed, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset();
    fs_ = memdisk::Files();
    fs_.write = WatchedWrite;
    g_nameWhileWriting = false;
    g_appearsWhileWriting = nullptr;
    PutPieces(data, 20000);
    c.setup(&fs_);
    std::set<std::string> names = memdisk::NamesIn(kDir);
    EXPECT_EQ(Run("file-", c.size, 3).result, c.want);
    EXPECT_FALSE(g_nameWhileWriting);
    if (c.named) {
      ASSERT_TRUE(memdisk::Has(At("DATA.LZH")));
      EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, std::string(c.named) == "data" ? data : c.named);
      names.insert("DATA.LZH");
    }
    EXPECT_EQ(memdisk::NamesIn(kDir), names) << "nothing else is left";
    if (memdisk::Has(At("~TVR000.TMP"))) {
      EXPECT_EQ(memdisk::Get(At("~TVR000.TMP")).data, "mine");
    }
  }
}

TEST_F(Merge, EmptyRecordFieldsAreRefusedOnceTheFirstPieceIsFound) {
  fieldsEmpty_ = true;
  EXPECT_EQ(Run("file-", 0, 0).result, MergeResult::NoFirstPiece);
  PutPieces(Pattern(50000, 13), 20000);
  EXPECT_EQ(Run("file-", 0, 0).result, MergeResult::RecordDamaged);
  EXPECT_EQ(memdisk::NamesIn(kDir).size(), 3u);
}

TEST(MergeNames, ExistingNameInAnyLetterCase) {
  memdisk::Reset();
  memdisk::Put("D:\\set\\Data.Lzh", "x");
  memdisk::Put("D:\\other\\report.txt", "y");
  EXPECT_TRUE(NameExistsInDir(memdisk::Files(), "D:\\set\\", "DATA.LZH"));
  EXPECT_FALSE(NameExistsInDir(memdisk::Files(), "D:\\set\\", "report.txt"));
}

TEST(MergeNames, PieceSetRemovalTakesReadOnlyPiecesToo) {
  memdisk::Reset();
  for (int k = 0; k <= 3; ++k) memdisk::Put("D:\\set\\file-" + std::to_string(k), "p", kAttrReadOnly);
  memdisk::Put("D:\\set\\file-4", "not in the set");
  RemovePieceSet(memdisk::Files(), "D:\\set\\", "FILE-", 3);
  EXPECT_EQ(memdisk::NamesIn("D:\\set\\"), std::set<std::string>{"file-4"});
}

}  // namespace

// Sets that the division wrote, with a check line and a parity piece, damaged as on a floppy.
class CheckedMerge : public ::testing::Test {
 protected:
  void SetUp() override { memdisk::Reset(); }

  // Divides data into pieces of blocks * 10000 bytes in kDir.
  int Divide(const std::string& data, int blocks) {
    memdisk::Put(At("src.bin"), data);
    const DivideJob job{kDir, "D:\\set\\src.bin", "DATA.LZH", data.size(), {2001, 3, 5, 14, 7, 8},
                        PlanDivision(data.size(), blocks), false};
    EXPECT_EQ(DivideFile(memdisk::Files(), job).result, DivideResult::Ok);
    return job.plan.pieces;
  }

  // A set of an earlier division: no block checks beside the parity piece.
  void DropBlockChecks(int pieces) { Drop(pieces + 2); }

  static bool Answer(void* ctx, const pieceset::BadPieces& bad, int blocks, bool blockChecked) {
    auto* self = static_cast<CheckedMerge*>(ctx);
    self->asked_ = bad.count == 1 ? bad.piece[0] : -1;
    self->askedPieces_.assign(bad.piece, bad.piece + std::min(bad.count, pieceset::kNamed));
    self->askedBlocks_ = blocks;
    self->askedChecked_ = blockChecked;
    ++self->asks_;
    self->nameAtQuestion_ = memdisk::Has(At("DATA.LZH"));
    return self->yes_;
  }

  MergeOutcome Run() {
    pieceset::InfoRecord rec;
    pieceset::InfoValues vals;
    static pieceset::Checks checks;
    const InfoFile info = ReadInformationFile(memdisk::Files(), At("file-0").c_str(), false, &rec, &vals, &checks);
    EXPECT_EQ(info.result, pieceset::MainResult::Ok);
    const MergeJob job{kDir, "file-", rec.name, vals.size, vals.count, kAttrArchive, vals.time,
                       Roomy, nullptr, info.checked ? &checks : nullptr, Answer, this};
    MergeOutcome out = MergePieces(fs_, job);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
    return out;
  }

  std::pair<int, int> RandomRounds(int n, int blocks, int rounds, unsigned seed);

  int asked_ = 0;                // the one bad piece asked about, -1 for several
  std::vector<int> askedPieces_;
  int askedBlocks_ = 0;
  bool askedChecked_ = false;
  int asks_ = 0;
  bool yes_ = true;
  bool nameAtQuestion_ = false;  // a file stood under the recorded name while the user was asked
  DiskFiles fs_ = memdisk::Files();
};


TEST_F(CheckedMerge, OneBadPieceIsRebuiltTwoAreNamedAndNothingIsLeft) {
  // A set without block checks: 4 pieces of 30000 bytes and a last one of 12345; the parity
  // piece is file-5. A bad piece is damaged in every block.
  const std::string data = Pattern(3 * 30000 + 12345, 21);
  using Damage = void (*)();
  struct Case {
    const char* what;
    Damage damage;
    MergeResult want;
    int rebuilt;                     // piece rebuilt (and asked about)
    std::vector<int> named;          // bad pieces named
  };
  const Case cases[] = {
      {"nothing", [] {}, MergeResult::Ok, 0, {}},
      {"byte flipped", [] { Flip(2, 777); }, MergeResult::Ok, 2, {2}},
      {"last truncated", [] { Cut(4, 12000); }, MergeResult::Ok, 4, {4}},
      {"first deleted", [] { Drop(1); }, MergeResult::Ok, 1, {1}},
      {"one byte longer", [] { Grow(3); }, MergeResult::Ok, 0, {}},
      {"longer, its own bytes damaged", [] { Grow(3); Flip(3, 4); }, MergeResult::Ok, 3, {3}},
      {"parity deleted", [] { Drop(5); }, MergeResult::Ok, 0, {}},
      {"parity damaged only", [] { Flip(5, 3); }, MergeResult::Ok, 0, {}},
      {"two damaged", [] { Flip(1, 0); Flip(4, 12344); }, MergeResult::TooManyBad, 0, {1, 4}},
      {"deleted and short", [] { Drop(2); Cut(3, 100); }, MergeResult::TooManyBad, 0, {2, 3}},
      {"damaged, no parity", [] { Flip(3, 5); Drop(5); }, MergeResult::PieceBad, 0, {3}},
      {"deleted, parity damaged", [] { Drop(1); Flip(5, 29999); }, MergeResult::PieceBad, 0, {1}},
      {"damaged, parity short", [] { Flip(2, 1); Cut(5, 20000); }, MergeResult::PieceBad, 0, {2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset();
    ASSERT_EQ(Divide(data, 3), 4);
    DropBlockChecks(4);
    c.damage();
    std::map<std::string, std::string> before;
    for (const std::string& n : memdisk::NamesIn(kDir)) before[n] = memdisk::Get(At(n)).data;
    asked_ = 0;
    nameAtQuestion_ = false;
    const MergeOutcome out = Run();
    EXPECT_EQ(out.result, c.want);
    EXPECT_EQ(out.rebuiltBlocks ? out.bad.piece[0] : 0, c.rebuilt);
    EXPECT_EQ(out.rebuiltBlocks, c.rebuilt == 4 ? 2 : c.rebuilt ? 3 : 0);  // every block of the piece
    EXPECT_EQ(asked_, c.rebuilt);
    EXPECT_FALSE(askedChecked_);
    EXPECT_FALSE(nameAtQuestion_);
    ASSERT_EQ(out.bad.count, static_cast<int>(c.named.size()));
    for (size_t i = 0; i < c.named.size(); ++i) EXPECT_EQ(out.bad.piece[i], c.named[i]);
    if (c.want == MergeResult::Ok) {
      EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
    } else {
      EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
    }
    // The pieces are never changed, and nothing else is left.
    for (const auto& [n, d] : before) EXPECT_EQ(memdisk::Get(At(n)).data, d) << n;
    for (const std::string& n : memdisk::NamesIn(kDir)) EXPECT_TRUE(before.count(n) || n == "DATA.LZH") << n;
  }
}

// Serial transfers pad each file to whole blocks (XMODEM: 0x1A up to a multiple of 128 bytes).
void Pad(int k) {
  std::string d = memdisk::Get(At("file-" + std::to_string(k))).data;
  d.append((128 - d.size() % 128) % 128, '\x1A');
  memdisk::Put(At("file-" + std::to_string(k)), d);
}

TEST_F(CheckedMerge, PaddedPiecesAreJudgedByTheirRecordedBytes) {
  const std::string data = Pattern(3 * 30000 + 12345, 25);
  using Damage = void (*)();
  struct Case {
    const char* what;
    Damage damage;
    int rebuilt;  // piece rebuilt (and asked about), and so the one named
    pieceset::PieceState state;
  };
  const Case cases[] = {
      {"every piece and the parity piece padded", [] {}, 0, pieceset::PieceState::Good},
      {"one damaged, rebuilt from the padded parity piece", [] { Flip(2, 5); }, 2,
       pieceset::PieceState::Damaged},
      {"the last one damaged at its last recorded byte", [] { Flip(4, 12344); }, 4,
       pieceset::PieceState::Damaged},
      {"one shorter", [] { Cut(1, 29999); }, 1, pieceset::PieceState::Short},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset();
    ASSERT_EQ(Divide(data, 3), 4);
    for (int k = 1; k <= 6; ++k) Pad(k);
    ASSERT_EQ(memdisk::Get(At("file-5")).data.size(), 30080u);
    c.damage();
    asked_ = 0;
    const MergeOutcome out = Run();
    EXPECT_EQ(out.result, MergeResult::Ok);
    EXPECT_EQ(asked_, c.rebuilt);
    EXPECT_EQ(out.rebuiltBlocks ? out.bad.piece[0] : 0, c.rebuilt);
    ASSERT_EQ(out.bad.count, c.rebuilt ? 1 : 0);
    if (c.rebuilt) {
      EXPECT_EQ(out.bad.state[0], c.state);
    }
    EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
  }
}

TEST_F(CheckedMerge, DeclinedRebuildLeavesNoMergedFile) {
  Divide(Pattern(50000, 22), 2);
  Flip(2, 9);
  yes_ = false;
  const MergeOutcome out = Run();
  EXPECT_EQ(out.result, MergeResult::RebuildDeclined);
  EXPECT_EQ(out.piece, 2);
  EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
}

TEST_F(CheckedMerge, CheckLineThatDoesNotCheckOutMergesAsBefore) {
  // A changed digit in a CRC breaks the line's own CRC: the set merges without checks, so a
  // damaged piece goes in as it is, as with a set of the old form.
  const std::string data = Pattern(50000, 23);
  Divide(data, 2);
  std::string info = memdisk::Get(At("file-0")).data;
  char& digit = info[info.size() - 12];  // the last digit of the parity piece's CRC
  digit = digit == '0' ? '1' : '0';
  memdisk::Put(At("file-0"), info);
  Flip(1, 0);
  const MergeOutcome out = Run();
  EXPECT_EQ(out.result, MergeResult::Ok);
  EXPECT_EQ(out.bad.count, 0);
  EXPECT_NE(memdisk::Get(At("DATA.LZH")).data, data);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data.substr(1), data.substr(1));
}

// The block checks file-9 of a set of 7 pieces of 3 blocks: its header, and the record of piece k.
void FlipBlockChecks(size_t at) {
  std::string d = memdisk::Get(At("file-9")).data;
  d[at] = static_cast<char>(d[at] ^ 0x01);
  memdisk::Put(At("file-9"), d);
}
void FlipRecord(int k) { FlipBlockChecks(28 + (k - 1) * 16 + 5); }
// Record k with its first two block CRCs swapped and its own CRC made to hold again.
void SwapRecordBlocks(int k) {
  std::string d = memdisk::Get(At("file-9")).data;
  const size_t at = 28 + (k - 1) * 16;
  std::swap_ranges(d.begin() + at, d.begin() + at + 4, d.begin() + at + 4);
  d.replace(at + 12, 4, refcheck::Le32(refcheck::Crc(d.substr(at, 12))));
  memdisk::Put(At("file-9"), d);
}

TEST_F(CheckedMerge, DamagedBlocksAreRebuiltFromTheirStripes) {
  // 6 pieces of 30000 bytes and a last one of 12345 (blocks 0 to 2, the last 0 and 1); the
  // parity piece is file-8, the block checks file-9.
  const std::string data = Pattern(6 * 30000 + 12345, 27);
  using Damage = void (*)();
  struct Case {
    const char* what;
    Damage damage;
    MergeResult want;
    std::vector<int> named;  // bad pieces named, asked about when rebuilt
    int blocks;              // blocks rebuilt
  };
  const Case cases[] = {
      {"blocks of three pieces at different places", [] { Flip(1, 5); Flip(3, 15000); Flip(5, 29999); },
       MergeResult::Ok, {1, 3, 5}, 3},
      {"a missing piece", [] { Drop(4); }, MergeResult::Ok, {4}, 3},
      {"the missing last piece and a block of another", [] { Drop(7); Flip(2, 25000); },
       MergeResult::Ok, {2, 7}, 3},
      {"a short piece: the blocks it does not hold whole", [] { Cut(3, 15000); }, MergeResult::Ok, {3}, 2},
      {"an unreadable stretch: its block only",
       [] { memdisk::FailReadRange(At("file-2"), 12000, 12512); }, MergeResult::Ok, {2}, 1},
      {"a piece that cannot be opened", [] { memdisk::FailOpen(At("file-6")); }, MergeResult::Ok, {6}, 3},
      {"the parity piece damaged elsewhere", [] { Flip(8, 25000); Flip(1, 5); }, MergeResult::Ok, {1}, 1},
      {"a damaged record costs only its own piece's checks", [] { FlipRecord(2); Flip(3, 10000); },
       MergeResult::Ok, {3}, 1},
      {"a piece without its record is rebuilt whole", [] { FlipRecord(2); Flip(2, 10000); },
       MergeResult::Ok, {2}, 3},
      {"a record that holds but does not add up to the line's CRC: its piece judged whole",
       [] { SwapRecordBlocks(2); Flip(3, 10000); }, MergeResult::Ok, {3}, 1},
      {"the parity piece without its record, judged whole", [] { FlipRecord(8); Flip(1, 5); },
       MergeResult::Ok, {1}, 1},
      {"two blocks at one place", [] { Flip(1, 5); Flip(2, 7); }, MergeResult::SameStripe, {1, 2}, 0},
      {"a missing piece and a block of another", [] { Drop(4); Flip(2, 25000); },
       MergeResult::SameStripe, {2, 4}, 0},
      {"the parity piece damaged at the same place", [] { Flip(8, 5); Flip(1, 6); },
       MergeResult::PieceBad, {1}, 0},
      {"the parity piece damaged at one of the places", [] { Flip(8, 5); Flip(1, 6); Flip(3, 25000); },
       MergeResult::PiecesBad, {1, 3}, 0},
      {"the parity piece without its record, damaged elsewhere",
       [] { FlipRecord(8); Flip(8, 25000); Flip(1, 5); }, MergeResult::PieceBad, {1}, 0},
      {"the parity piece missing", [] { Drop(8); Flip(1, 5); Flip(2, 15000); }, MergeResult::PiecesBad,
       {1, 2}, 0},
      {"block checks of another set: whole pieces", [] { FlipBlockChecks(8); Flip(1, 5); Flip(3, 25000); },
       MergeResult::TooManyBad, {1, 3}, 0},
      {"no block checks", [] { Drop(9); Flip(1, 5); Flip(3, 25000); }, MergeResult::TooManyBad, {1, 3}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset();
    ASSERT_EQ(Divide(data, 3), 7);
    c.damage();
    std::map<std::string, std::string> before;
    for (const std::string& n : memdisk::NamesIn(kDir)) before[n] = memdisk::Get(At(n)).data;
    asks_ = 0;
    askedPieces_.clear();
    const MergeOutcome out = Run();
    EXPECT_EQ(out.result, c.want);
    ASSERT_EQ(out.bad.count, static_cast<int>(c.named.size()));
    EXPECT_EQ(std::vector<int>(out.bad.piece, out.bad.piece + out.bad.count), c.named);
    EXPECT_EQ(out.rebuiltBlocks, c.blocks);
    if (c.want == MergeResult::Ok) {
      EXPECT_EQ(asks_, 1);
      EXPECT_EQ(askedPieces_, c.named);
      EXPECT_EQ(askedBlocks_, c.blocks);
      EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
    } else {
      EXPECT_EQ(asks_, 0);
      EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
    }
    for (const auto& [n, d] : before) EXPECT_EQ(memdisk::Get(At(n)).data, d) << n;
    for (const std::string& n : memdisk::NamesIn(kDir)) EXPECT_TRUE(before.count(n) || n == "DATA.LZH") << n;
  }
}

TEST_F(CheckedMerge, SectorScratchAndBadBytesInThreePiecesAreRepairedAtOnce) {
  // 7,000,000 bytes at 1.44 MB: FILE-1 to FILE-4 of 144 blocks, FILE-5 of 124.
  const std::string data = Pattern(7000000, 41);
  ASSERT_EQ(Divide(data, 144), 5);
  Zero(1, 512 * 1000, 512);  // block 51
  std::string third = memdisk::Get(At("file-3")).data;
  for (size_t at = 700000; at < 702000; ++at) third[at] = static_cast<char>(~third[at]);  // block 70
  memdisk::Put(At("file-3"), third);
  for (size_t at : {3000, 3001, 3002, 600000, 600001, 600002, 1200000, 1200001, 1200002, 1200003}) {
    Flip(5, at);  // blocks 0, 60 and 120
  }
  const MergeOutcome out = Run();
  EXPECT_EQ(out.result, MergeResult::Ok);
  EXPECT_EQ(asks_, 1);
  EXPECT_EQ(askedPieces_, (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(askedBlocks_, 5);
  EXPECT_TRUE(askedChecked_);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
}

// The numbers of the parity pieces of a set of n data pieces with r of them.
std::vector<int> ParityNumbers(int n, int r) {
  std::vector<int> k;
  for (int t = 0; t < r; ++t) k.push_back(t == 0 ? n + 1 : n + 2 + t);
  return k;
}

// Rounds of random damage to sets of n pieces of blocks * 10000 bytes, as the division wrote
// them, each merged and judged against the model: the source or nothing, and what the model
// says can be mended is mended, with the question naming the damaged data pieces and blocks.
// Returns {rounds that mended several pieces, rounds refused}.
std::pair<int, int> CheckedMerge::RandomRounds(int n, int blocks, int rounds, unsigned seed) {
  CheckedMerge* self = this;
  const size_t piece = static_cast<size_t>(blocks) * 10000;
  const std::string data = Pattern((n - 1) * piece + piece / 2 + 345, seed);
  const int r = refcheck::ParityCount(n), last = n + 1 + r;
  std::mt19937 rng(seed);
  auto pick = [&rng](size_t below) { return static_cast<size_t>(rng() % below); };
  int mendedSeveral = 0, refused = 0;
  for (int round = 0; round < rounds; ++round) {
    SCOPED_TRACE(round);
    memdisk::Reset();
    EXPECT_EQ(self->Divide(data, blocks), n);
    std::vector<std::string> written(last + 1);
    for (int k = 0; k <= last; ++k) written[k] = memdisk::Get(At("file-" + std::to_string(k))).data;
    // FILE-0's check line alone: the set merges unchecked, and its pieces are whole.
    const bool lineDamaged = pick(15) == 0;
    if (lineDamaged) {
      std::string info = written[0];
      info[info.find('\n') + 2 + pick(40)] ^= 0x01;
      memdisk::Put(At("file-0"), info);
    }
    for (size_t d = lineDamaged ? 0 : 1 + pick(r + 3); d > 0; --d) {
      const int k = 1 + static_cast<int>(pick(last));
      const std::string path = At("file-" + std::to_string(k));
      if (!memdisk::Has(path)) continue;
      std::string f = memdisk::Get(path).data;
      switch (pick(8)) {
        case 0: memdisk::Files().remove(path.c_str()); continue;
        case 1: f.resize(pick(f.size())); break;
        case 2: f += '\x1A'; break;
        case 3: {
          const size_t at = pick(f.size()), len = std::min(f.size() - at, size_t{512});
          f.replace(at, len, len, '\0');
          break;
        }
        default: {
          const size_t at = pick(f.size()), len = std::min(f.size() - at, 1 + pick(2000));
          for (size_t i = at; i < at + len; i += 1 + pick(300)) f[i] = static_cast<char>(f[i] ^ (1 + pick(255)));
        }
      }
      memdisk::Put(path, f);
    }
    std::set<std::string> names = memdisk::NamesIn(kDir);
    std::vector<std::string> now(last + 1);
    std::vector<const std::string*> present(last + 1, nullptr);
    for (int k = 0; k <= last; ++k) {
      if (memdisk::Has(At("file-" + std::to_string(k)))) {
        now[k] = memdisk::Get(At("file-" + std::to_string(k))).data;
        present[k] = &now[k];
      }
    }
    const repairmodel::Judgement want = repairmodel::Judge(written, present, n, piece, r);
    self->asks_ = 0;
    self->askedPieces_.clear();
    const MergeOutcome out = self->Run();
    if (lineDamaged) {
      EXPECT_EQ(out.result, MergeResult::Ok);
      EXPECT_EQ(self->asks_, 0);
    } else if (want.mendable) {
      EXPECT_EQ(out.result, MergeResult::Ok);
      EXPECT_EQ(self->asks_, want.blocks ? 1 : 0);
      if (want.blocks) {
        EXPECT_EQ(self->askedPieces_, want.pieces);
        EXPECT_EQ(self->askedBlocks_, want.blocks);
      }
      mendedSeveral += want.pieces.size() > 1;
    } else {
      EXPECT_EQ(self->asks_, 0);
      std::vector<int> named = want.pieces;
      if (r > 1) {
        EXPECT_EQ(out.result, MergeResult::BeyondParity);
        named.insert(named.end(), want.parity.begin(), want.parity.end());
      } else {
        EXPECT_NE(out.result, MergeResult::Ok);
      }
      EXPECT_EQ(std::vector<int>(out.bad.piece, out.bad.piece + std::min(out.bad.count, pieceset::kNamed)),
                std::vector<int>(named.begin(), named.begin() + std::min<size_t>(named.size(), pieceset::kNamed)));
      ++refused;
    }
    if (memdisk::Has(At("DATA.LZH"))) {
      EXPECT_EQ(out.result, MergeResult::Ok);
      EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
    } else {
      EXPECT_NE(out.result, MergeResult::Ok);
    }
    for (int k = 0; k <= last; ++k) {
      EXPECT_EQ(memdisk::Has(At("file-" + std::to_string(k))), present[k] != nullptr);
      if (present[k]) {
        EXPECT_EQ(memdisk::Get(At("file-" + std::to_string(k))).data, now[k]);
      }
    }
    if (memdisk::Has(At("DATA.LZH"))) names.insert("DATA.LZH");
    EXPECT_EQ(memdisk::NamesIn(kDir), names) << "nothing else is left";
  }
  return {mendedSeveral, refused};
}

TEST_F(CheckedMerge, RandomDamageGivesTheSourceOrNothingAndWhatTheParityPiecesCanMendIsMended) {
  // One parity piece (7 pieces), two (14) and three (25): the rounds reach both ends, several
  // pieces mended at once and sets past mending.
  for (const auto& [n, rounds] : {std::pair<int, int>{7, 300}, {14, 200}, {25, 200}}) {
    SCOPED_TRACE(n);
    const auto [several, refused] = RandomRounds(n, 3, rounds, 22u + static_cast<unsigned>(n));
    EXPECT_GT(several, rounds / 20);
    EXPECT_GT(refused, rounds / 20);
  }
}

// A set written by the reference model with r parity pieces, whatever its size would call for:
// FILE-0 with the record, the check line and the line of the further parity pieces, the data
// pieces, the parity rows and the block checks, by name.
std::map<std::string, std::string> ModelSet(const std::string& data, size_t pieceBytes, int r) {
  const std::vector<std::string> pieces = refcheck::Cut(data, pieceBytes);
  const int n = static_cast<int>(pieces.size());
  std::map<std::string, std::string> set;
  const std::string record = "DATA.LZH;" + std::to_string(data.size()) + ";" + std::to_string(n) + ";8;5;14;7;3;1999;\n";
  set["file-0"] = record + refcheck::CheckLine(data, pieceBytes) + refcheck::ParityLine(data, pieceBytes, r);
  for (int k = 1; k <= n; ++k) set["file-" + std::to_string(k)] = pieces[k - 1];
  const std::vector<int> parity = ParityNumbers(n, r);
  for (int t = 0; t < r; ++t) set["file-" + std::to_string(parity[t])] = refcheck::ParityRow(pieces, t);
  set["file-" + std::to_string(n + 2)] = refcheck::BlockChecks(data, pieceBytes, r);
  return set;
}

TEST_F(CheckedMerge, EveryLossOfUpToAsManyPiecesAsParityPiecesIsRebuiltAndOneMoreRefused) {
  // Sets of 2 to 12 pieces of two blocks, the last of an odd length, with one, two or three
  // parity pieces; every choice of up to r pieces, data or parity, deleted, and of r + 1 up to 6
  // pieces.
  const size_t piece = 20000;
  for (int n = 2; n <= 12; ++n) {
    const std::string data = Pattern((n - 1) * piece + 10001 + 2 * n, 60u + static_cast<unsigned>(n));
    const size_t lastBlocks = 2;
    for (int r = 1; r <= 3; ++r) {
      SCOPED_TRACE("n " + std::to_string(n) + ", r " + std::to_string(r));
      const std::map<std::string, std::string> set = ModelSet(data, piece, r);
      std::vector<int> all;
      for (int k = 1; k <= n; ++k) all.push_back(k);
      for (int k : ParityNumbers(n, r)) all.push_back(k);
      const int m = static_cast<int>(all.size());
      for (unsigned mask = 0; mask < (1u << m); ++mask) {
        const int lost = __builtin_popcount(mask);
        if (lost > r + (n <= 6)) continue;
        memdisk::Reset();
        for (const auto& [name, bytes] : set) memdisk::Put(At(name), bytes);
        std::vector<int> data_, parity_;
        for (int i = 0; i < m; ++i) {
          if (!(mask >> i & 1)) continue;
          Drop(all[i]);
          (all[i] <= n ? data_ : parity_).push_back(all[i]);
        }
        const std::set<std::string> before = memdisk::NamesIn(kDir);
        asks_ = 0;
        askedPieces_.clear();
        const MergeOutcome out = Run();
        if (lost <= r || data_.empty()) {
          ASSERT_EQ(out.result, MergeResult::Ok) << mask;
          EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
          EXPECT_EQ(asks_, data_.empty() ? 0 : 1);
          EXPECT_EQ(askedPieces_, data_);
          if (!data_.empty()) {
            EXPECT_EQ(askedBlocks_, static_cast<int>(data_.size() * lastBlocks));
          }
        } else {
          EXPECT_EQ(asks_, 0);
          if (r > 1) {
            ASSERT_EQ(out.result, MergeResult::BeyondParity) << mask;
            data_.insert(data_.end(), parity_.begin(), parity_.end());
          } else {
            ASSERT_NE(out.result, MergeResult::Ok) << mask;
          }
          EXPECT_EQ(std::vector<int>(out.bad.piece, out.bad.piece + out.bad.count), data_);
          EXPECT_EQ(memdisk::NamesIn(kDir), before) << "nothing is left";
        }
      }
    }
  }
}

TEST_F(CheckedMerge, ThreeLostPiecesOfLargeSetsAreRebuilt) {
  // Sets of 21 to 999 pieces of one block, three parity pieces: three pieces deleted at random,
  // data or parity, and a block of another damaged or not.
  std::mt19937 rng(7);
  for (int n : {21, 200, 999}) {
    const std::string data = Pattern((n - 1) * 10000 + 4321, static_cast<unsigned>(n));
    memdisk::Reset();
    ASSERT_EQ(Divide(data, 1), n);
    std::map<std::string, std::string> set;
    for (const std::string& name : memdisk::NamesIn(kDir)) set[name] = memdisk::Get(At(name)).data;
    for (int round = 0; round < (n == 999 ? 3 : 10); ++round) {
      SCOPED_TRACE(std::to_string(n) + " pieces, round " + std::to_string(round));
      memdisk::Reset();
      for (const auto& [name, bytes] : set) memdisk::Put(At(name), bytes);
      std::vector<int> all;
      for (int k = 1; k <= n + 4; ++k) {
        if (k != n + 2) all.push_back(k);
      }
      std::shuffle(all.begin(), all.end(), rng);
      std::vector<int> lost(all.begin(), all.begin() + 3), data_;
      for (int k : lost) Drop(k);
      std::sort(lost.begin(), lost.end());
      for (int k : lost) {
        if (k <= n) data_.push_back(k);
      }
      // A fourth piece damaged makes it one too many where a data piece is lost.
      const bool fourth = round % 2 == 1;
      const int damaged = all[3];
      if (fourth) Flip(damaged, 3);
      asks_ = 0;
      const MergeOutcome out = Run();
      if (!fourth || (data_.empty() && damaged > n)) {
        ASSERT_EQ(out.result, MergeResult::Ok);
        EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
      } else {
        EXPECT_EQ(out.result, MergeResult::BeyondParity);
        EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
      }
    }
  }
}

bool NoRemove(const char*) { return false; }

TEST_F(CheckedMerge, ARebuildThatCannotOpenReadOrWriteTheMergedFileSaysSo) {
  // 6 pieces of 30000 bytes and a last one of 12345, merged into ~TVR000.TMP. A rebuilt block is
  // the XOR of the same block of the other pieces as the merged file holds them.
  const std::string data = Pattern(6 * 30000 + 12345, 51);
  using Damage = void (*)();
  struct Case {
    const char* what;
    Damage damage;
    uint64_t room;  // when not 0, what the disk has left for the merged file
    MergeResult want;
    int asks;
  };
  const Case cases[] = {
      {"reopened", [] { Flip(2, 15000); memdisk::FailOpen(At("~TVR000.TMP")); }, 0,
       MergeResult::RebuildOpenFailed, 1},
      // Block 1 of piece 4, read for block 1 of piece 2.
      {"read back", [] { Flip(2, 15000); memdisk::FailReadRange(At("~TVR000.TMP"), 100000, 100001); }, 0,
       MergeResult::RebuildReadFailed, 1},
      // The place of a missing last piece is written with zeros as the pieces are copied: the
      // disk is full before the question.
      {"written", [] { Drop(7); }, 6 * 30000, MergeResult::WriteFailed, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset();
    ASSERT_EQ(Divide(data, 3), 7);
    c.damage();
    std::map<std::string, std::string> before;
    uint64_t used = 0;
    for (const std::string& n : memdisk::NamesIn(kDir)) {
      before[n] = memdisk::Get(At(n)).data;
      used += before[n].size();
    }
    if (c.room) {
      memdisk::Reset(used + c.room);
      for (const auto& [n, d] : before) memdisk::Put(At(n), d);
    }
    asks_ = 0;
    const MergeOutcome out = Run();
    EXPECT_EQ(out.result, c.want);
    EXPECT_EQ(asks_, c.asks);
    EXPECT_EQ(out.leftAs, nullptr);
    for (const auto& [n, d] : before) EXPECT_EQ(memdisk::Get(At(n)).data, d) << n;
    EXPECT_EQ(memdisk::NamesIn(kDir).size(), before.size()) << "nothing else is left";
  }
}

TEST_F(CheckedMerge, AMergedFileThatCannotBeDeletedIsNamed) {
  // A folder where files can be made but not renamed or deleted: the merged file stays.
  const std::string data = Pattern(3 * 30000 + 12345, 52);
  struct Case {
    const char* what;
    bool damaged;  // two pieces damaged at one place: refused after the copy
    MergeResult want;
  };
  const Case cases[] = {
      {"the name cannot be given", false, MergeResult::CreateFailed},
      {"refused", true, MergeResult::SameStripe},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset();
    ASSERT_EQ(Divide(data, 3), 4);
    if (c.damaged) {
      Flip(1, 5);
      Flip(2, 5);
    }
    fs_.rename = FailingRename;
    fs_.remove = NoRemove;
    const MergeOutcome out = Run();
    EXPECT_EQ(out.result, c.want);
    ASSERT_NE(out.leftAs, nullptr);
    EXPECT_EQ(std::string(out.leftAs), At("~TVR000.TMP"));
    ASSERT_TRUE(memdisk::Has(At("~TVR000.TMP")));
    if (!c.damaged) {
      EXPECT_EQ(memdisk::Get(At("~TVR000.TMP")).data, data);
    }
    EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
  }
}

TEST_F(Merge, AMergedFileThatCannotBeDeletedIsNamed) {
  const std::string data = Pattern(50000, 53);
  fs_.rename = FailingRename;
  fs_.remove = NoRemove;
  for (bool shortPiece : {false, true}) {
    SCOPED_TRACE(shortPiece);
    memdisk::Reset();
    PutPieces(data, 20000);
    if (shortPiece) Cut(2, 15000);
    const MergeOutcome out = Run("file-", 50000, 3);
    EXPECT_EQ(out.result, shortPiece ? MergeResult::ReadPieceFailed : MergeResult::CreateFailed);
    ASSERT_NE(out.leftAs, nullptr);
    EXPECT_EQ(std::string(out.leftAs), At("~TVR000.TMP"));
    if (!shortPiece) {
      EXPECT_EQ(memdisk::Get(At("~TVR000.TMP")).data, data);
    }
  }
  // Where it can be deleted, nothing is named.
  memdisk::Reset();
  fs_ = memdisk::Files();
  fs_.rename = FailingRename;
  PutPieces(data, 20000);
  const MergeOutcome out = Run("file-", 50000, 3);
  EXPECT_EQ(out.result, MergeResult::CreateFailed);
  EXPECT_EQ(out.leftAs, nullptr);
  EXPECT_FALSE(memdisk::Has(At("~TVR000.TMP")));
}
