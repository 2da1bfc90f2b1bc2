#include "pieceset.h"
#include "parity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/refcheck.h"

using namespace pieceset;

namespace {

MainResult Main(const std::string& s, InfoRecord* rec, InfoValues* vals, bool dbcs = false) {
  return ReadMain(s.data(), s.size(), true, dbcs, rec, vals);
}
StandaloneResult Standalone(const std::string& s, InfoRecord* rec, InfoValues* vals,
                            bool dbcs = false) {
  return ReadStandalone(s.data(), s.size(), true, dbcs, rec, vals);
}
bool MainOk(const std::string& s, bool dbcs = false) {
  InfoRecord rec;
  InfoValues vals;
  return Main(s, &rec, &vals, dbcs) == MainResult::Ok;
}
bool StandaloneOk(const std::string& s, bool dbcs = false) {
  InfoRecord rec;
  InfoValues vals;
  return Standalone(s, &rec, &vals, dbcs) == StandaloneResult::Ok;
}

}  // namespace

TEST(FormatRecord, WritesTheDocumentedExampleByteForByte) {
  char buf[kRecordBytes];
  std::size_t n = FormatRecord(buf, sizeof(buf), "DATA.LZH", 3500000, 3,
                               CalTime{1999, 3, 7, 14, 5, 8}, false);
  EXPECT_EQ(std::string(buf, n), "DATA.LZH;3500000;3;8;5;14;7;3;1999;\n");
}

TEST(FormatRecord, RefusesNamesTheReadersWouldSplitOrThatLeaveTheFolder) {
  char buf[kRecordBytes];
  CalTime t{2000, 1, 1, 0, 0, 0};
  EXPECT_EQ(FormatRecord(buf, sizeof(buf), "a;b.txt", 1, 2, t, false), 0u);
  EXPECT_EQ(FormatRecord(buf, sizeof(buf), "..\\x", 1, 2, t, false), 0u);
  EXPECT_EQ(FormatRecord(buf, 10, "DATA.LZH", 3500000, 3, t, false), 0u);
  EXPECT_EQ(buf[0], 0);
}

TEST(ReadMain, ReadsAFullRecordWithItsTime) {
  InfoRecord rec;
  InfoValues vals;
  ASSERT_EQ(Main("DATA.LZH;3500000;3;9;5;14;7;3;1999;\n", &rec, &vals), MainResult::Ok);
  EXPECT_STREQ(rec.name, "DATA.LZH");
  EXPECT_EQ(vals.size, 3500000);
  EXPECT_EQ(vals.count, 3);
  ASSERT_TRUE(vals.hasTime);
  EXPECT_EQ(vals.time.year, 1999);
  EXPECT_EQ(vals.time.month, 3);
  EXPECT_EQ(vals.time.day, 7);
  EXPECT_EQ(vals.time.hour, 14);
  EXPECT_EQ(vals.time.minute, 5);
  EXPECT_EQ(vals.time.second, 9);
}

TEST(ReadMain, ShortFormsTakeNoTimeFromTheRecord) {
  for (const char* s : {"a.bin;20000;2;\r\n", "a.bin;20000;2;\n", "a.bin;20000;2;"}) {
    InfoRecord rec;
    InfoValues vals;
    ASSERT_EQ(Main(s, &rec, &vals), MainResult::Ok) << s;
    EXPECT_FALSE(vals.hasTime) << s;
    EXPECT_EQ(vals.count, 2);
  }
}

TEST(ReadMain, NoSemicolonInTheFirst510BytesIsMissedToRead) {
  InfoRecord rec;
  InfoValues vals;
  EXPECT_EQ(Main("", &rec, &vals), MainResult::MissedToRead);
  EXPECT_EQ(Main("no fields here\n", &rec, &vals), MainResult::MissedToRead);
  EXPECT_EQ(Main(std::string(510, 'x') + ";", &rec, &vals), MainResult::MissedToRead);
}

// The Merge command refuses these only after its dialog and the look-up of FILE-1; a field that
// is there but unsound is refused at once.
TEST(ReadMain, EmptyOrMissingRequiredFieldsAreToldApart) {
  InfoRecord rec;
  InfoValues vals;
  EXPECT_EQ(Main(";100;1;\n", &rec, &vals), MainResult::EmptyField);
  EXPECT_EQ(Main("a;;1;\n", &rec, &vals), MainResult::EmptyField);
  EXPECT_EQ(Main("a;100;\n", &rec, &vals), MainResult::EmptyField);
  EXPECT_EQ(Main("a;100", &rec, &vals), MainResult::EmptyField);
  EXPECT_EQ(Main("a;-100;1;\n", &rec, &vals), MainResult::Damaged);
  EXPECT_EQ(Main("NUL;100;1;\n", &rec, &vals), MainResult::Damaged);
}

TEST(ReadMain, TimeFieldsMustBeCompleteAndValid) {
  EXPECT_FALSE(MainOk("a;1;1;8;5;14;\n"));              // partly filled
  EXPECT_FALSE(MainOk("a;1;1;8;5;14;7;13;1999;\n"));    // month 13
  EXPECT_FALSE(MainOk("a;1;1;60;5;14;7;3;1999;\n"));    // second 60
  EXPECT_FALSE(MainOk("a;1;1;8;5;24;7;3;1999;\n"));     // hour 24
  EXPECT_FALSE(MainOk("a;1;1;8;5;14;29;2;1999;\n"));    // no 29 Feb in 1999
  EXPECT_TRUE(MainOk("a;1;1;8;5;14;29;2;2000;\n"));     // leap year
  EXPECT_FALSE(MainOk("a;1;1;8;5;14;0;3;1999;\n"));     // day 0
  EXPECT_FALSE(MainOk("a;1;1;8;5;14;7;3;1600;\n"));     // before file times begin
  EXPECT_FALSE(MainOk("a;1;1; 8;5;14;7;3;1999;\n"));    // not plain digits
  EXPECT_TRUE(MainOk("a;1;1;59;59;23;31;12;9999;\n"));
}

TEST(Readers, SizeAndCountLimits) {
  for (bool standalone : {false, true}) {
    auto ok = [&](const std::string& s) { return standalone ? StandaloneOk(s) : MainOk(s); };
    EXPECT_TRUE(ok("a;0;1;1;1;1;1;1;2000;\n"));
    EXPECT_TRUE(ok("a;2147483647;999;1;1;1;1;1;2000;\n"));
    EXPECT_FALSE(ok("a;2147483648;2;1;1;1;1;1;2000;\n"));
    EXPECT_FALSE(ok("a;-1;2;1;1;1;1;1;2000;\n"));
    EXPECT_FALSE(ok("a;12x;2;1;1;1;1;1;2000;\n"));
    EXPECT_FALSE(ok("a;100;0;1;1;1;1;1;2000;\n"));
    EXPECT_FALSE(ok("a;100;1000;1;1;1;1;1;2000;\n"));
    EXPECT_FALSE(ok("a;100;-2;1;1;1;1;1;2000;\n"));
    EXPECT_FALSE(ok("a;1234567890123456;2;1;1;1;1;1;2000;\n"));  // 16 characters
    EXPECT_FALSE(ok("a;100;00000002;1;1;1;1;1;2000;\n"));        // 8 characters
  }
}

TEST(Readers, NameLengthLimitIs257Bytes) {
  std::string tail = ";100;2;1;1;1;1;1;2000;\n";
  EXPECT_TRUE(MainOk(std::string(257, 'n') + tail));
  EXPECT_TRUE(StandaloneOk(std::string(257, 'n') + tail));
  EXPECT_FALSE(MainOk(std::string(258, 'n') + tail));
  EXPECT_FALSE(StandaloneOk(std::string(258, 'n') + tail));
}

TEST(Readers, NamesThatLeaveTheFolderOrAreNoFileAreRefused) {
  const char* bad[] = {"..",     ".",         "..\\evil", "sub/evil", "C:evil", "a\\b",
                       "x*",     "con",       "NUL.txt",  "lpt1",     "COM9.x", "end.",
                       "end ",   "tab\there", "conin$",   "CONOUT$.a", "aux .txt"};
  for (const char* name : bad) {
    std::string rec = std::string(name) + ";100;2;1;1;1;1;1;2000;\n";
    EXPECT_FALSE(MainOk(rec)) << name;
    EXPECT_FALSE(StandaloneOk(rec)) << name;
  }
  for (const char* name : {"console.log", "COM0", "lpt10.txt", "CONX", "NU"}) {
    EXPECT_TRUE(IsPlainFileName(name, false)) << name;
  }
  EXPECT_TRUE(MainOk("console.log;100;2;1;1;1;1;1;2000;\n"));
  EXPECT_TRUE(MainOk(".profile;100;2;1;1;1;1;1;2000;\n"));
}

TEST(Readers, ShiftJisTrailByte5CIsNoSeparatorUnderCodePage932) {
  // "ソ.txt" and "表" in Shift-JIS: the trail bytes are 0x5C.
  std::string name = "\x83\x5C.txt";
  std::string rec = name + ";100;2;1;1;1;1;1;2000;\n";
  EXPECT_TRUE(MainOk(rec, true));
  EXPECT_TRUE(StandaloneOk(rec, true));
  EXPECT_FALSE(MainOk(rec, false));  // under 1252 that byte is a backslash
  EXPECT_TRUE(IsPlainFileName("\x95\x5C", true));
  EXPECT_FALSE(IsPlainFileName("\x95", true));  // lead byte cut off
}

TEST(ReadMain, ReadBeyondTheBufferCountsAsTooLong) {
  std::string s = "a;100;2;1;1;1;1;1;20";  // the caller read only part of a longer file
  InfoRecord rec;
  InfoValues vals;
  EXPECT_EQ(ReadMain(s.data(), s.size(), false, false, &rec, &vals), MainResult::Damaged);
  EXPECT_EQ(ReadMain(s.data(), s.size(), true, false, &rec, &vals), MainResult::Damaged);
  EXPECT_EQ(ReadStandalone(s.data(), s.size(), false, false, &rec, &vals),
            StandaloneResult::Incorrect);
}

TEST(ReadStandalone, ShortFormNeedsCarriageReturn) {
  InfoRecord rec;
  InfoValues vals;
  ASSERT_EQ(Standalone("a.bin;20000;2;\r\n", &rec, &vals), StandaloneResult::Ok);
  EXPECT_FALSE(vals.hasTime);
  EXPECT_EQ(vals.size, 20000);
  EXPECT_EQ(Standalone("a.bin;20000;2;\n", &rec, &vals), StandaloneResult::Incorrect);
  EXPECT_EQ(Standalone("a.bin;20000;2;", &rec, &vals), StandaloneResult::Incorrect);
}

TEST(ReadStandalone, CarriageReturnOrEndBeforeASemicolonIsIncorrect) {
  EXPECT_FALSE(StandaloneOk(""));
  EXPECT_FALSE(StandaloneOk("a.bin\r;100;2;\r\n"));
  EXPECT_FALSE(StandaloneOk("a.bin;100;2;8;5;14\r;7;3;1999;\n"));
  EXPECT_FALSE(StandaloneOk("a.bin;100;2;8;5;14;7;3;1999"));
  EXPECT_FALSE(StandaloneOk(";100;2;8;5;14;7;3;1999;\n"));
}

TEST(ReadStandalone, TimeIsUsedOnlyWhenAllSixFieldsArePresent) {
  InfoRecord rec;
  InfoValues vals;
  ASSERT_EQ(Standalone("a;100;2;8;5;14;;3;1999;\n", &rec, &vals), StandaloneResult::Ok);
  EXPECT_FALSE(vals.hasTime);
  ASSERT_EQ(Standalone("a;100;2;9;5;14;7;3;1999;\n", &rec, &vals), StandaloneResult::Ok);
  EXPECT_TRUE(vals.hasTime);
  EXPECT_EQ(Standalone("a;100;2;9;5;14;7;13;1999;\n", &rec, &vals), StandaloneResult::Incorrect);
}

TEST(ResolveMergedTime, OddSecondKeptOnlyOnNtfs) {
  InfoValues vals{};
  vals.hasTime = true;
  vals.time = CalTime{1999, 3, 7, 14, 5, 9};
  CalTime fileTime{2001, 1, 2, 3, 4, 5};
  EXPECT_EQ(ResolveMergedTime(vals, fileTime, true).second, 9);
  EXPECT_EQ(ResolveMergedTime(vals, fileTime, false).second, 8);
  EXPECT_EQ(ResolveMergedTime(vals, fileTime, false).year, 1999);
  vals.hasTime = false;
  CalTime t = ResolveMergedTime(vals, fileTime, false);
  EXPECT_EQ(t.year, 2001);
  EXPECT_EQ(t.second, 4);
}

TEST(Readers, RecordsTheWriterMakesAreReadBackByBoth) {
  char buf[kRecordBytes];
  std::size_t n = FormatRecord(buf, sizeof(buf), "\x83\x5C\x95\x5C.dat", 2147483647, 999,
                               CalTime{2038, 1, 19, 3, 14, 7}, true);
  ASSERT_GT(n, 0u);
  InfoRecord rec;
  InfoValues main, alone;
  ASSERT_EQ(ReadMain(buf, n, true, true, &rec, &main), MainResult::Ok);
  ASSERT_EQ(ReadStandalone(buf, n, true, true, &rec, &alone), StandaloneResult::Ok);
  EXPECT_STREQ(rec.name, "\x83\x5C\x95\x5C.dat");
  for (const InfoValues* v : {&main, &alone}) {
    EXPECT_EQ(v->size, 2147483647);
    EXPECT_EQ(v->count, 999);
    EXPECT_EQ(v->time.year, 2038);
    EXPECT_EQ(v->time.second, 7);
  }
}

TEST(PiecePaths, PrefixRuleAndComposition) {
  EXPECT_STREQ(PrefixForSelectedName("file-0"), "file-");
  EXPECT_STREQ(PrefixForSelectedName("FILE-0"), "FILE-");
  EXPECT_STREQ(PrefixForSelectedName("File-0"), "FILE-");
  char out[kPathBytes];
  ASSERT_TRUE(ComposePiecePath(out, sizeof(out), "C:\\SET\\", "file-", 999));
  EXPECT_STREQ(out, "C:\\SET\\file-999");
  char small[14];
  EXPECT_FALSE(ComposePiecePath(small, sizeof(small), "C:\\SET\\", "FILE-", 10));
  EXPECT_TRUE(ComposePiecePath(small, sizeof(small), "C:\\SET\\", "FILE-", 1));
  EXPECT_STREQ(small, "C:\\SET\\FILE-1");
}

// The check line after the record: written, found and trusted only when every part holds.
class CheckLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&checks_, 0, sizeof(checks_));
    checks_.size = 25000;
    checks_.count = 3;
    checks_.pieceBytes = 10000;
    checks_.whole = 0x0123ABCDu;
    for (int k = 1; k <= 4; ++k) checks_.crc[k] = 0x11111111u * static_cast<uint32_t>(k);
    char line[kCheckLineBytes];
    std::size_t n = FormatChecks(line, sizeof(line), checks_);
    ASSERT_GT(n, 0u);
    line_.assign(line, n);
    vals_.size = 25000;
    vals_.count = 3;
  }
  bool Read(const std::string& file) {
    std::memset(&got_, 0, sizeof(got_));
    return ReadChecks(file.data(), file.size(), vals_, &got_);
  }
  Checks checks_, got_;
  InfoValues vals_{};
  std::string line_;
  const std::string record_ = "A.BIN;25000;3;1;2;3;4;5;2000;\n";
};

TEST_F(CheckLine, WrittenAsDocumentedAndReadBack) {
  // The line's own CRC is that of everything before it.
  const std::string body = "CRC32;25000;3;10000;0123ABCD;11111111;22222222;33333333;44444444;";
  EXPECT_EQ(line_, body + refcheck::Hex(refcheck::Crc(body)) + ";\n");
  ASSERT_TRUE(Read(record_ + line_));
  EXPECT_EQ(got_.pieceBytes, 10000u);
  EXPECT_EQ(got_.whole, 0x0123ABCDu);
  EXPECT_EQ(got_.crc[4], 0x44444444u);
  EXPECT_EQ(PieceLength(got_, 3), 5000u);
  EXPECT_EQ(PieceLength(got_, 4), 10000u);
  EXPECT_EQ(JudgeLength(got_, 3, 4999), PieceState::Short);
  EXPECT_EQ(JudgeLength(got_, 2, 10001), PieceState::Long);
  EXPECT_EQ(JudgeLength(got_, 1, 10000), PieceState::Good);
}

TEST_F(CheckLine, AnythingThatDoesNotCheckOutIsNotTaken) {
  struct Case { const char* what; std::string file; InfoValues vals; };
  std::string flipped = line_;
  flipped[30] = flipped[30] == '1' ? '2' : '1';
  std::string lower = line_;
  lower.replace(lower.find("0123ABCD"), 8, "0123abcd");
  const Case cases[] = {
      {"no check line", record_, vals_},
      {"without its line feed", record_ + line_.substr(0, line_.size() - 1), vals_},
      {"a digit changed", record_ + flipped, vals_},
      {"lower-case digits", record_ + lower, vals_},
      {"another size in the record", record_ + line_, InfoValues{25001, 3, false, {}}},
      {"another count in the record", record_ + line_, InfoValues{25000, 4, false, {}}},
      {"not after the first line", record_ + "\n" + line_, vals_},
  };
  for (const Case& c : cases) {
    vals_ = c.vals;
    EXPECT_FALSE(Read(c.file)) << c.what;
  }
  // Sizes that pieces of that length cannot make are refused when the line is written.
  checks_.pieceBytes = 5000;
  char line[kCheckLineBytes];
  vals_ = InfoValues{25000, 3, false, {}};
  std::size_t n = FormatChecks(line, sizeof(line), checks_);
  EXPECT_FALSE(Read(record_ + std::string(line, n)));
}

TEST_F(CheckLine, EachFieldKeepsItsFormEvenWhenTheLineChecksOut) {
  // Lines whose own CRC holds: only the form of a field decides.
  const std::string tail = ";11111111;22222222;33333333;44444444;";
  const struct { const char* fields; bool taken; } cases[] = {
      {"CRC32;25000;3;10000;0123ABCD", true},
      {"CRC32;0000025000;3;10000;0123ABCD", true},    // ten digits
      {"CRC32;00000025000;3;10000;0123ABCD", false},  // eleven
      {"CRC32;+25000;3;10000;0123ABCD", false},
      {"CRC32;25000;;10000;0123ABCD", false},
      {"CRC32;25000;3;10000;123ABCD", false},         // seven hexadecimal digits
      {"CRC32;25000;3;10000;00123ABCD", false},       // nine
      {"CRC32;25000;3;10001;0123ABCD", false},        // not whole blocks
      {"CRC32 ;25000;3;10000;0123ABCD", false},
  };
  for (const auto& c : cases) {
    const std::string body = c.fields + tail;
    EXPECT_EQ(Read(record_ + body + refcheck::Hex(refcheck::Crc(body)) + ";\n"), c.taken) << c.fields;
  }
}

TEST(BadPieces, NamedAsNotedAndCutAfterTheKeptOnes) {
  BadPieces bad{};
  NoteBad(&bad, 2, PieceState::Missing);
  NoteBad(&bad, 17, PieceState::Damaged);
  char out[64];
  ListBad(bad, out, sizeof(out));
  EXPECT_STREQ(out, "FILE-2, FILE-17");
  for (int k = 100; k < 100 + kNamed; ++k) NoteBad(&bad, k, PieceState::Short);
  char longer[256];
  ListBad(bad, longer, sizeof(longer));
  EXPECT_EQ(bad.count, kNamed + 2);
  EXPECT_EQ(std::string(longer).substr(std::strlen(longer) - 15), ", FILE-109, ...");
}
