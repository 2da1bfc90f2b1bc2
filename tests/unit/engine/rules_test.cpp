#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine_rules.h"

using namespace engine;

namespace {

struct PlanCase {
  uint64_t size;
  int blocks;
  PlanStatus status;
  int pieces;
  uint32_t lastBytes;
};

TEST(PlanDivision, CountsPiecesAndTheLastPieceAtEdges) {
  const PlanCase cases[] = {
      // exactly one division size, and one byte more
      {1440000, 144, PlanStatus::UnderDivisionSize, 0, 0},
      {1440001, 144, PlanStatus::Ok, 2, 1},
      // two whole sizes; a last piece that is a whole number of blocks
      {2880000, 144, PlanStatus::Ok, 2, 1440000},
      {1460000, 144, PlanStatus::Ok, 2, 20000},
      // the example record: 3,500,000 bytes at 1.44MB
      {3500000, 144, PlanStatus::Ok, 3, 620000},
      {1200001, 120, PlanStatus::Ok, 2, 1},
      {2000000, 72, PlanStatus::Ok, 3, 560000},
      {1280000, 64, PlanStatus::Ok, 2, 640000},
      // user-defined 10 kB: 999 pieces pass, 1000 do not
      {9990000, 1, PlanStatus::Ok, 999, 10000},
      {9990001, 1, PlanStatus::OverMaxPieces, 0, 0},
      {999ull * 1440000, 144, PlanStatus::Ok, 999, 1440000},
      {999ull * 1440000 + 1, 144, PlanStatus::OverMaxPieces, 0, 0},
      {0, 144, PlanStatus::UnderDivisionSize, 0, 0},
      {1, 1, PlanStatus::UnderDivisionSize, 0, 0},
  };
  for (const PlanCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " at " + std::to_string(c.blocks));
    DivisionPlan p = PlanDivision(c.size, c.blocks);
    EXPECT_EQ(p.status, c.status);
    if (c.status != PlanStatus::Ok) continue;
    EXPECT_EQ(p.pieces, c.pieces);
    EXPECT_EQ(p.fullBlocks, c.blocks);
    EXPECT_EQ(p.lastBytes, c.lastBytes);
    // The pieces add up to the file.
    EXPECT_EQ(uint64_t(p.pieces - 1) * c.blocks * 10000 + p.lastBytes, c.size);
  }
}

TEST(PlanDivision, FilesOfFourGibibytesAndMoreAreRefusedNotWrapped) {
  // 4 GiB + 2,000,000 would look like a two-piece file if the size wrapped to 32 bits.
  const uint64_t wraps = (1ull << 32) + 2000000;
  EXPECT_EQ(PlanDivision(wraps, 144).status, PlanStatus::OverMaxPieces);
  EXPECT_EQ(PlanDivision(1ull << 31, 144).status, PlanStatus::OverMaxPieces);
  EXPECT_EQ(PlanDivision(UINT64_MAX / 2, 144).status, PlanStatus::OverMaxPieces);
}

TEST(DivisionDialog, RadioButtonsAndTheSizeList) {
  const int fixed[4][2] = {{144, 135}, {120, 136}, {72, 137}, {64, 138}};
  for (const auto& f : fixed) {
    EXPECT_EQ(RadioForBlocks(f[0]), f[1]);
    EXPECT_EQ(BlocksForRadio(f[1]), f[0]);
  }
  for (int other : {1, 63, 65, 71, 100, 143}) EXPECT_EQ(RadioForBlocks(other), 139);
  EXPECT_EQ(BlocksForRadio(139), 0);

  char text[8];
  SizeChoiceText(0, text, sizeof(text));
  EXPECT_STREQ(text, "10");
  SizeChoiceText(143, text, sizeof(text));
  EXPECT_STREQ(text, "1440");
  for (int i = 0; i < kSizeChoices; ++i) {
    SizeChoiceText(i, text, sizeof(text));
    // the item's text over ten is the division size that picking it sets (index + 1)
    EXPECT_EQ(std::stoi(text), (i + 1) * 10);
  }
}

// Shift-JIS: 表 is 0x95 0x5C, ソ is 0x83 0x5C; the trail byte is a backslash.

TEST(Names, PieceMarksAndPieceNames) {
  EXPECT_TRUE(HasPieceMark("myfile-a.txt", false));
  EXPECT_TRUE(HasPieceMark("OLDFILE-9", false));
  EXPECT_FALSE(HasPieceMark("File-3", false));  // case-sensitive searches
  EXPECT_FALSE(HasPieceMark("file_1", false));
  // A trail byte 0x66 ('f') followed by "ile-" is no "file-" in Shift-JIS.
  EXPECT_FALSE(HasPieceMark("\x83" "file-x", true));
  EXPECT_TRUE(HasPieceMark("\x83" "file-x", false));
  EXPECT_TRUE(HasPieceMark("\x83\x41" "file-x", true));

  EXPECT_EQ(PieceNumberOfName("file-0"), 0);
  EXPECT_EQ(PieceNumberOfName("FILE-999"), 999);
  EXPECT_EQ(PieceNumberOfName("File-12"), 12);
  EXPECT_EQ(PieceNumberOfName("file-1000"), 1000);
  EXPECT_EQ(PieceNumberOfName("file-1003"), 1003);
  for (const char* not_piece : {"file-1004", "file-01", "file-", "file-1a", "xfile-1", "file-+1",
                                "file-1 ", "fil-1", ""}) {
    EXPECT_EQ(PieceNumberOfName(not_piece), -1) << not_piece;
  }
  EXPECT_TRUE(HasSemicolon("a;b"));
  EXPECT_FALSE(HasSemicolon("ab"));
}

TEST(PlanMerge, BlocksOfTheLastPiece) {
  // A last piece of 15,000 bytes and a size field 5 bytes too small still takes two blocks.
  MergePlan p = PlanMerge(1440000 + 15000 - 5, 2, 1440000);
  EXPECT_EQ(p.blocksPerPiece, 144);
  EXPECT_EQ(p.lastBlocks, 2);
  p = PlanMerge(1440000 + 20000, 2, 1440000);  // whole number of blocks
  EXPECT_EQ(p.lastBlocks, 2);
  p = PlanMerge(2 * 720000 + 1, 3, 720000);
  EXPECT_EQ(p.blocksPerPiece, 72);
  EXPECT_EQ(p.lastBlocks, 1);
  // A size that leaves nothing, or less than nothing, for the last piece.
  EXPECT_EQ(PlanMerge(1440000, 2, 1440000).lastBlocks, 0);
  EXPECT_LT(PlanMerge(1000000, 2, 1440000).lastBlocks, 0);
  // FILE-1 of 1,440,001 bytes counts 144 whole blocks.
  EXPECT_EQ(PlanMerge(2000000, 2, 1440001).blocksPerPiece, 144);
}

TEST(ArchiveKind, FoundAnywhereInTheUpperCasedName) {
  EXPECT_EQ(ArchiveKindOfName("BACKUP.ZIP", false), ArchiveKind::Zip);
  EXPECT_EQ(ArchiveKindOfName("backup.zip", false), ArchiveKind::Zip);
  EXPECT_EQ(ArchiveKindOfName("OLD.LZH.TXT", false), ArchiveKind::Lha);
  EXPECT_EQ(ArchiveKindOfName("a.Lzh", false), ArchiveKind::Lha);
  EXPECT_EQ(ArchiveKindOfName("a.lzh.zip", false), ArchiveKind::Zip);
  EXPECT_EQ(ArchiveKindOfName("a.zip.lzh", false), ArchiveKind::Zip);
  EXPECT_EQ(ArchiveKindOfName("data.lz", false), ArchiveKind::None);
  EXPECT_EQ(ArchiveKindOfName("zip", false), ArchiveKind::None);
}

TEST(Floppy, FitRuleWithItsMarginAndSignedFreeSpace) {
  EXPECT_TRUE(PieceFits(721000, 720000));
  EXPECT_FALSE(PieceFits(720999, 720000));
  EXPECT_TRUE(PieceFits(1000, 0));
  EXPECT_FALSE(PieceFits(-1, 0));
  // The product of the counts is taken as a signed 32-bit value.
  EXPECT_EQ(FloppyFreeBytes(1, 512, 2847), 1457664);
  EXPECT_EQ(FloppyFreeBytes(8, 512, 355), 1454080);
  EXPECT_LT(FloppyFreeBytes(64, 512, 70000), 0);
  EXPECT_FALSE(PieceFits(FloppyFreeBytes(64, 512, 70000), 720000));
}

TEST(Floppy, DriveFromWhatTheUserTyped) {
  char root[4];
  for (const char* typed : {"a", "A", "A:", "a:"}) {
    ASSERT_TRUE(FloppyRootFromInput(typed, root)) << typed;
    EXPECT_STREQ(root, "A:\\");
  }
  ASSERT_TRUE(FloppyRootFromInput("z", root));
  EXPECT_STREQ(root, "Z:\\");
  EXPECT_FALSE(FloppyRootFromInput("", root));
  EXPECT_FALSE(FloppyRootFromInput("1:", root));
  EXPECT_FALSE(FloppyRootFromInput(":", root));
}

}  // namespace
