#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "divide_work.h"
#include "memdisk.h"
#include "merge_work.h"

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

  static bool Answer(void* ctx, int piece, pieceset::PieceState) {
    auto* self = static_cast<CheckedMerge*>(ctx);
    self->asked_ = piece;
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
    MergeOutcome out = MergePieces(memdisk::Files(), job);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
    return out;
  }

  int asked_ = 0;
  bool yes_ = true;
  bool nameAtQuestion_ = false;  // a file stood under the recorded name while the user was asked
};


TEST_F(CheckedMerge, OneBadPieceIsRebuiltTwoAreNamedAndNothingIsLeft) {
  // 4 pieces of 30000 bytes and a last one of 12345; the parity piece is file-5.
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
    c.damage();
    std::map<std::string, std::string> before;
    for (const std::string& n : memdisk::NamesIn(kDir)) before[n] = memdisk::Get(At(n)).data;
    asked_ = 0;
    nameAtQuestion_ = false;
    const MergeOutcome out = Run();
    EXPECT_EQ(out.result, c.want);
    EXPECT_EQ(out.rebuilt, c.rebuilt);
    EXPECT_EQ(asked_, c.rebuilt);
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
    for (int k = 1; k <= 5; ++k) Pad(k);
    ASSERT_EQ(memdisk::Get(At("file-5")).data.size(), 30080u);
    c.damage();
    asked_ = 0;
    const MergeOutcome out = Run();
    EXPECT_EQ(out.result, MergeResult::Ok);
    EXPECT_EQ(asked_, c.rebuilt);
    EXPECT_EQ(out.rebuilt, c.rebuilt);
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
