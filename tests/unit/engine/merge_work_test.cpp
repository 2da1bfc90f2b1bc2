#include <gtest/gtest.h>

#include <string>

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
                    {2001, 3, 5, 14, 7, 8}, room_, roomCtx_};
    MergeOutcome out = MergePieces(memdisk::Files(), job_);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
    return out;
  }

  MergeJob job_{};
  bool (*room_)(void*, int64_t) = Roomy;
  void* roomCtx_ = nullptr;
};

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
  memdisk::FailCreate(At("DATA.LZH"));
  EXPECT_EQ(Run("file-", 50000, 3).result, MergeResult::CreateFailed);

  room_ = Roomy;
  MergeOutcome out = Run("file-", 50000 + 40000, 5);
  EXPECT_EQ(out.result, MergeResult::PieceMissing);
  EXPECT_EQ(out.piece, 5);
  EXPECT_FALSE(memdisk::Has(At("DATA.LZH")));
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
  memdisk::FailOpen(At("DATA.LZH"));
  EXPECT_EQ(Run("file-", 30000, 2).result, MergeResult::ReopenFailed);
  EXPECT_EQ(memdisk::Get(At("DATA.LZH")).data, data);
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
