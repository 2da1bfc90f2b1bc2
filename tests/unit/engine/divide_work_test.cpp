#include <gtest/gtest.h>

#include <string>

#include "divide_work.h"
#include "base/memdisk.h"
#include "parity_code.h"
#include "refcheck.h"

using namespace engine;

namespace {

const char kDir[] = "C:\\work\\";

std::string Pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (char& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

std::string Piece(int k) { return std::string(kDir) + "file-" + std::to_string(k); }

class Divide : public ::testing::Test {
 protected:
  void SetUp() override { memdisk::Reset(); }

  DivideOutcome Run(const std::string& name, const std::string& data, int blocks,
                    uint64_t recordedSize = UINT64_MAX) {
    source_ = std::string(kDir) + name;
    name_ = name;
    if (!memdisk::Has(source_)) memdisk::Put(source_, data);
    uint64_t size = recordedSize == UINT64_MAX ? data.size() : recordedSize;
    DivideJob job{kDir, source_.c_str(), name_.c_str(), size, {1999, 3, 7, 14, 5, 8},
                  PlanDivision(size, blocks), false};
    EXPECT_EQ(job.plan.status, PlanStatus::Ok);
    DivideOutcome out = DivideFile(memdisk::Files(), job);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
    return out;
  }

  std::string source_, name_;
};

TEST_F(Divide, WritesTheRecordAndPiecesThatAddUpToTheSource) {
  const std::string data = Pattern(3500000, 1);
  DivideOutcome out = Run("DATA.LZH", data, 144);
  ASSERT_EQ(out.result, DivideResult::Ok);
  EXPECT_EQ(out.piece, 3);
  EXPECT_EQ(memdisk::Get(Piece(0)).data,
            "DATA.LZH;3500000;3;8;5;14;7;3;1999;\n" + refcheck::CheckLine(data, 1440000));
  EXPECT_EQ(memdisk::Get(Piece(1)).data, data.substr(0, 1440000));
  EXPECT_EQ(memdisk::Get(Piece(2)).data, data.substr(1440000, 1440000));
  EXPECT_EQ(memdisk::Get(Piece(3)).data, data.substr(2880000));
  EXPECT_EQ(memdisk::Get(Piece(4)).data,
            refcheck::Parity({data.substr(0, 1440000), data.substr(1440000, 1440000), data.substr(2880000)}));
  EXPECT_EQ(memdisk::Get(Piece(5)).data, refcheck::BlockChecks(data, 1440000));
  EXPECT_FALSE(memdisk::Has(Piece(6)));
  // The division writes lower-case names.
  EXPECT_EQ(memdisk::Get(Piece(1)).name, std::string(kDir) + "file-1");
  EXPECT_EQ(memdisk::Get(source_).data, data);
}

TEST_F(Divide, LastPieceOfOneByteAndOfWholeBlocks) {
  std::string data = Pattern(1440001, 2);
  ASSERT_EQ(Run("one.bin", data, 144).result, DivideResult::Ok);
  EXPECT_EQ(memdisk::Get(Piece(2)).data, data.substr(1440000));
  EXPECT_EQ(memdisk::Get(Piece(2)).data.size(), 1u);

  memdisk::Reset();
  data = Pattern(1460000, 3);
  ASSERT_EQ(Run("two.bin", data, 144).result, DivideResult::Ok);
  EXPECT_EQ(memdisk::Get(Piece(2)).data.size(), 20000u);
  EXPECT_EQ(memdisk::Get(Piece(1)).data + memdisk::Get(Piece(2)).data, data);
}

TEST_F(Divide, NineHundredNinetyNinePiecesOfTenKilobytes) {
  const std::string data = Pattern(9990000 - 3, 4);
  ASSERT_EQ(Run("many.bin", data, 1).result, DivideResult::Ok);
  std::string joined;
  for (int k = 1; k <= 999; ++k) joined += memdisk::Get(Piece(k)).data;
  EXPECT_EQ(joined, data);
  EXPECT_EQ(memdisk::Get(Piece(999)).data.size(), 9997u);
  const std::vector<std::string> pieces = refcheck::Cut(data, 10000);
  EXPECT_EQ(memdisk::Get(Piece(1000)).data, refcheck::ParityRow(pieces, 0));
  EXPECT_EQ(memdisk::Get(Piece(1001)).data, refcheck::BlockChecks(data, 10000));
  EXPECT_EQ(memdisk::Get(Piece(1002)).data, refcheck::ParityRow(pieces, 1));
  EXPECT_EQ(memdisk::Get(Piece(1003)).data, refcheck::ParityRow(pieces, 2));
  EXPECT_EQ(memdisk::Get(Piece(0)).data, "many.bin;9989997;999;8;5;14;7;3;1999;\n" +
                                             refcheck::CheckLine(data, 10000) +
                                             refcheck::ParityLine(data, 10000));
}

TEST_F(Divide, ParityPiecesBySizeOfTheSet) {
  // Ten pieces have one parity piece; eleven to twenty two, the second after the block checks;
  // more, three. Last pieces that end in half a symbol, in a whole one, and in a full block;
  // the wide steps of the processor taken for some.
  const struct { int n; uint32_t last; bool wide; } cases[] = {
      {10, 9999, false}, {11, 1, true}, {12, 5001, false}, {20, 10000, true},
      {21, 2, false}, {25, 7777, true}};
  for (const auto& c : cases) {
    memdisk::Reset();
    pieceset::AllowWideSteps(c.wide);
    const std::string data = Pattern(10000u * (c.n - 1) + c.last, c.n);
    ASSERT_EQ(Run("set.bin", data, 1).result, DivideResult::Ok) << c.n;
    pieceset::AllowWideSteps(false);
    const std::vector<std::string> pieces = refcheck::Cut(data, 10000);
    const int r = refcheck::ParityCount(pieces.size());
    std::set<std::string> names{"set.bin"};
    for (int k = 0; k <= c.n + 1 + r; ++k) names.insert("file-" + std::to_string(k));
    EXPECT_EQ(memdisk::NamesIn(kDir), names) << c.n;
    EXPECT_EQ(memdisk::Get(Piece(0)).data,
              "set.bin;" + std::to_string(data.size()) + ";" + std::to_string(c.n) +
                  ";8;5;14;7;3;1999;\n" + refcheck::CheckLine(data, 10000) +
                  refcheck::ParityLine(data, 10000)) << c.n;
    EXPECT_EQ(memdisk::Get(Piece(c.n)).data, pieces.back());
    EXPECT_EQ(memdisk::Get(Piece(c.n + 1)).data, refcheck::ParityRow(pieces, 0)) << c.n;
    EXPECT_EQ(memdisk::Get(Piece(c.n + 2)).data, refcheck::BlockChecks(data, 10000)) << c.n;
    for (int t = 1; t < r; ++t) {
      EXPECT_EQ(memdisk::Get(Piece(c.n + 2 + t)).data, refcheck::ParityRow(pieces, t)) << c.n << " " << t;
    }
  }
}

TEST_F(Divide, InformationFileThatCannotBeCreatedOrWritten) {
  memdisk::FailCreate(Piece(0));
  EXPECT_EQ(Run("a.bin", Pattern(30000, 5), 1).result, DivideResult::CreateInfoFailed);
  EXPECT_EQ(memdisk::NamesIn(kDir), std::set<std::string>{"a.bin"});

  // A disk that has no room for the record: FILE-0 is deleted again.
  memdisk::Reset(30010);
  EXPECT_EQ(Run("a.bin", Pattern(30000, 5), 1).result, DivideResult::WriteInfoFailed);
  EXPECT_EQ(memdisk::NamesIn(kDir), std::set<std::string>{"a.bin"});
}

TEST_F(Divide, SourceThatCannotBeOpenedLeavesOnlyTheInformationFile) {
  memdisk::FailOpen(std::string(kDir) + "a.bin");
  EXPECT_EQ(Run("a.bin", Pattern(30000, 6), 1).result, DivideResult::OpenSourceFailed);
  EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"a.bin", "file-0"}));
}

TEST_F(Divide, PieceThatCannotBeCreatedRemovesTheOnesBefore) {
  memdisk::FailCreate(Piece(3));
  DivideOutcome out = Run("a.bin", Pattern(50000, 7), 1);
  EXPECT_EQ(out.result, DivideResult::CreatePieceFailed);
  EXPECT_EQ(out.piece, 3);
  EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"a.bin", "file-0"}));
}

TEST_F(Divide, ReadOnlyPieceInTheWayIsReportedAndKept) {
  memdisk::Put(Piece(2), "old", kAttrReadOnly);
  DivideOutcome out = Run("a.bin", Pattern(50000, 8), 1);
  EXPECT_EQ(out.result, DivideResult::CreatePieceFailed);
  EXPECT_EQ(out.piece, 2);
  EXPECT_EQ(memdisk::Get(Piece(2)).data, "old");
  EXPECT_FALSE(memdisk::Has(Piece(1)));
}

TEST_F(Divide, FullDiskDuringAPieceRemovesEveryPieceWritten) {
  // Room for the source, the record and a piece and a half.
  memdisk::Reset(50000 + 100 + 15000);
  DivideOutcome out = Run("a.bin", Pattern(50000, 9), 1);
  EXPECT_EQ(out.result, DivideResult::WritePieceFailed);
  EXPECT_EQ(out.piece, 2);
  EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"a.bin", "file-0"}));
}

TEST_F(Divide, SourceShorterThanSelectedReportsAReadFailure) {
  // The file shrank after it was clicked: the last piece has nothing to read.
  memdisk::Put(std::string(kDir) + "a.bin", Pattern(20000, 10));
  DivideOutcome out = Run("a.bin", "", 1, 30000);
  EXPECT_EQ(out.result, DivideResult::ReadSourceFailed);
  EXPECT_EQ(out.piece, 3);
  EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"a.bin", "file-0"}));

  memdisk::Reset();
  memdisk::FailReadAt(std::string(kDir) + "b.bin", 15000);
  out = Run("b.bin", Pattern(40000, 11), 1);
  EXPECT_EQ(out.result, DivideResult::ReadSourceFailed);
  EXPECT_EQ(out.piece, 2);
  EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"b.bin", "file-0"}));
}

TEST_F(Divide, SourceThatChangedSinceItWasSelected) {
  // Shorter by a block, or by a few bytes, than when it was clicked: a read failure.
  for (size_t missing : {35000u, 5u}) {
    memdisk::Reset();
    memdisk::Put(std::string(kDir) + "a.bin", Pattern(1440000 + 200000 - missing, 13));
    DivideOutcome out = Run("a.bin", "", 144, 1440000 + 200000);
    EXPECT_EQ(out.result, DivideResult::ReadSourceFailed);
    EXPECT_EQ(out.piece, 2);
    EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"a.bin", "file-0"}));
  }
  // Longer: the pieces hold the size the record gives, no more.
  memdisk::Reset();
  const std::string grown = Pattern(1440000 + 200000, 15);
  memdisk::Put(std::string(kDir) + "a.bin", grown);
  ASSERT_EQ(Run("a.bin", "", 144, 1440000 + 15001).result, DivideResult::Ok);
  EXPECT_EQ(memdisk::Get(Piece(2)).data, grown.substr(1440000, 15001));
}

TEST_F(Divide, ReadErrorInsideALongPiece) {
  memdisk::FailReadAt(std::string(kDir) + "b.bin", 700000);
  DivideOutcome out = Run("b.bin", Pattern(2000000, 14), 144);
  EXPECT_EQ(out.result, DivideResult::ReadSourceFailed);
  EXPECT_EQ(out.piece, 1);
  EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"b.bin", "file-0"}));
}

TEST_F(Divide, ParityPiecesBlockChecksOrCheckLinesThatCannotBeWritten) {
  // A parity piece or the block checks cannot be created, or the disk fills while they or the
  // lines of FILE-0 are written: nothing of the set stays but FILE-0 with its record (the
  // lines' failure takes it too).
  struct Case { int n; uint64_t capacity; int failCreate; DivideResult want; int piece; const char* left; };
  const uint64_t three = 30000 + 31, twelve = 120000 + 33;  // source and record
  const Case cases[] = {
      {3, UINT64_MAX, 4, DivideResult::CreatePieceFailed, 4, "file-0"},
      {3, UINT64_MAX, 5, DivideResult::CreatePieceFailed, 5, "file-0"},
      {12, UINT64_MAX, 13, DivideResult::CreatePieceFailed, 13, "file-0"},
      {12, UINT64_MAX, 14, DivideResult::CreatePieceFailed, 14, "file-0"},
      {12, UINT64_MAX, 15, DivideResult::CreatePieceFailed, 15, "file-0"},
      // The pieces, then half the parity piece, or all of it and half the block checks (28 +
      // 4 * 8 bytes), or all of them.
      {3, three + 30000 + 5000, 0, DivideResult::WritePieceFailed, 4, "file-0"},
      {3, three + 30000 + 10000 + 30, 0, DivideResult::WritePieceFailed, 5, "file-0"},
      {3, three + 30000 + 10000 + 60 + 20, 0, DivideResult::WriteInfoFailed, 0, nullptr},
      // Twelve: the block checks are 28 + 4 * 2 * 14 bytes; then half the second parity piece,
      // or all of it and no room for the two lines.
      {12, twelve + 120000 + 10000 + 140 + 5000, 0, DivideResult::WritePieceFailed, 15, "file-0"},
      {12, twelve + 120000 + 20000 + 140 + 160, 0, DivideResult::WriteInfoFailed, 0, nullptr},
  };
  for (const Case& c : cases) {
    memdisk::Reset(c.capacity);
    if (c.failCreate) memdisk::FailCreate(Piece(c.failCreate));
    DivideOutcome out = Run("a.bin", Pattern(10000 * c.n, 16), 1);
    EXPECT_EQ(out.result, c.want) << c.n << " " << c.capacity;
    EXPECT_EQ(out.piece, c.piece) << c.n << " " << c.capacity;
    std::set<std::string> left{"a.bin"};
    if (c.left) left.insert(c.left);
    EXPECT_EQ(memdisk::NamesIn(kDir), left) << c.n << " " << c.capacity;
  }
}

TEST_F(Divide, ReadOnlyFileInTheWayOfAParityPieceOrTheBlockChecksIsKept) {
  const struct { int n, k; } cases[] = {{3, 4}, {3, 5}, {25, 26}, {25, 27}, {25, 28}, {25, 29}};
  for (const auto& c : cases) {
    memdisk::Reset();
    memdisk::Put(Piece(c.k), "old", kAttrReadOnly);
    DivideOutcome out = Run("a.bin", Pattern(10000 * c.n, 17), 1);
    EXPECT_EQ(out.result, DivideResult::CreatePieceFailed);
    EXPECT_EQ(out.piece, c.k);
    EXPECT_EQ(memdisk::NamesIn(kDir), (std::set<std::string>{"a.bin", "file-0", "file-" + std::to_string(c.k)}));
    EXPECT_EQ(memdisk::Get(Piece(c.k)).data, "old");
  }
}

TEST_F(Divide, SemicolonInTheNameIsNeverWrittenIntoARecord) {
  EXPECT_EQ(Run("a;b.bin", Pattern(30000, 12), 1).result, DivideResult::WriteInfoFailed);
  EXPECT_FALSE(memdisk::Has(Piece(0)));
}

TEST(ExistingPieces, QuestionTriggersAndCleanUp) {
  memdisk::Reset();
  memdisk::Put("C:\\w\\notes.txt", "n");
  EXPECT_FALSE(HasPieceMarkedEntry(memdisk::Files(), "C:\\w\\", false));
  memdisk::Put("C:\\w\\myfile-a.txt", "m");
  EXPECT_TRUE(HasPieceMarkedEntry(memdisk::Files(), "C:\\w\\", false));

  for (const char* n : {"file-0", "file-1", "file-3", "FILE-7", "file-999", "file-1000", "file-1001",
                        "file-1002", "FILE-1003", "file-1004", "File-5"}) {
    memdisk::Put(std::string("C:\\w\\") + n, n);
  }
  memdisk::Put("C:\\w\\file-2", "ro", kAttrReadOnly);
  memdisk::Put("C:\\other\\file-4", "elsewhere");
  // The source File-5 has the form of a piece name and is kept.
  DeleteExistingPieces(memdisk::Files(), "C:\\w\\", "File-5");
  EXPECT_EQ(memdisk::NamesIn("C:\\w\\"),
            (std::set<std::string>{"notes.txt", "myfile-a.txt", "file-1004", "File-5", "file-2"}));
  EXPECT_TRUE(memdisk::Has("C:\\other\\file-4"));
}

TEST(DivisionRoom, PiecesParityPiecesBlockChecksAndMargin) {
  // 3 pieces of one block: a parity piece of 10000 bytes, block checks of 28 + 4 * 8.
  EXPECT_EQ(DivisionRoom(30000, PlanDivision(30000, 1)), 30000 + 10000 + 60 + 1000);
  // 12: two parity pieces, block checks of 28 + 14 * 8.
  EXPECT_EQ(DivisionRoom(115000, PlanDivision(115000, 1)), 115000 + 20000 + 28 + 112 + 1000);
  // 999 pieces of 1.44 MB: three parity pieces, 28 + 1002 * 145 * 4 bytes of block checks.
  EXPECT_EQ(DivisionRoom(999ull * 1440000, PlanDivision(999ull * 1440000, 144)),
            1002ll * 1440000 + 581188 + 1000);
}

TEST(ExistingPieces, SourceAmongThePiecesItWouldWrite) {
  EXPECT_TRUE(SourceIsAmongPieces("file-0", 2));
  EXPECT_TRUE(SourceIsAmongPieces("FILE-3", 3));
  EXPECT_TRUE(SourceIsAmongPieces("FILE-4", 3));  // the parity piece
  EXPECT_TRUE(SourceIsAmongPieces("FILE-5", 3));  // the block checks
  EXPECT_FALSE(SourceIsAmongPieces("FILE-6", 3));
  EXPECT_TRUE(SourceIsAmongPieces("file-15", 12));  // the second parity piece
  EXPECT_FALSE(SourceIsAmongPieces("file-16", 12));
  EXPECT_TRUE(SourceIsAmongPieces("file-1003", 999));
  EXPECT_FALSE(SourceIsAmongPieces("data.bin", 999));
}

}  // namespace
