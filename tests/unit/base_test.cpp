// The helpers both programs share: texts and messages, Shift-JIS-aware paths, the OS kind, the
// CRC and the sliced writes.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/crc32.h"
#include "base/oskind.h"
#include "base/paths.h"
#include "base/text.h"
#include "base/writeslices.h"
#include "engine/refcheck.h"

namespace {

// 表 and ソ: Shift-JIS characters whose second byte is 0x5C.
const char kHyou[] = "\x95\x5C";
const char kSo[] = "\x83\x5C";

struct LanguageGuard {
  int saved = g_uiLanguage;
  explicit LanguageGuard(int l) { g_uiLanguage = l; }
  ~LanguageGuard() { g_uiLanguage = saved; }
};

TEST(Text, MessagesTakeTheNameOrNumberAsItIs) {
  struct Case { const char* text; const char* name; const char* want; };
  const Case cases[] = {
      {"Unable to create a destination file, %s.", "DATA.LZH",
       "Unable to create a destination file, DATA.LZH."},
      {"x %s y", "100%", "x 100% y"},            // a per cent sign in the name stays
      {"x %s y", "%s%d", "x %s%d y"},            // so does the placeholder itself
      {"%s", "a%sb", "a%sb"},
      {"no name here", "DATA", "no name here"},
      {"\x83\x5C%s\x82\xf0", "\x83\x5C", "\x83\x5C\x83\x5C\x82\xf0"},  // 0x5C trail bytes
  };
  for (const Case& c : cases) {
    char msg[512];
    ComposeMessage(msg, sizeof msg, c.text, c.name);
    EXPECT_STREQ(msg, c.want) << c.text << " / " << c.name;
  }
  char msg[512];
  ComposeMessage(msg, sizeof msg, "A file, FILE-%d, is missing.", 17L);
  EXPECT_STREQ(msg, "A file, FILE-17, is missing.");
  ComposeMessage(msg, sizeof msg, "FILE-0,...,FILE-%d have been created.", 999L);
  EXPECT_STREQ(msg, "FILE-0,...,FILE-999 have been created.");
  ComposeMessage(msg, sizeof msg, "%s keeps %d", 5L);  // only "%d" takes a number
  EXPECT_STREQ(msg, "%s keeps 5");
}

TEST(Text, MessagesAreCutToTheBufferAndInJapaneseAtACharacter) {
  char small[8];
  std::memset(small, 'q', sizeof small);
  ComposeMessage(small, sizeof small, "abcdef%skl", "ghij");
  EXPECT_STREQ(small, "abcdefg");
  LanguageGuard ja(1);
  char sj[6];
  ComposeMessage(sj, sizeof sj, "a%s", "\x83\x5C\x83\x5C\x83\x5C");  // the third does not fit
  EXPECT_STREQ(sj, "a\x83\x5C\x83\x5C");
}

TEST(Text, AppendIsBoundedAndKeepsDoubleBytesWhole) {
  char buf[8] = {0};
  AppendText(buf, sizeof(buf), "abc", false);
  AppendText(buf, sizeof(buf), "defghij", false);
  EXPECT_STREQ(buf, "abcdefg");
  char sj[5] = {0};
  AppendText(sj, sizeof(sj), "a\x83\x5C\x83\x5C", true);  // the second character does not fit
  EXPECT_STREQ(sj, "a\x83\x5C");
  char tiny[4] = {0};
  ComposeMessage(tiny, sizeof(tiny), "%d", 123456L);
  EXPECT_STREQ(tiny, "123");
}

TEST(Text, DecimalDigitsAsPrintfWritesThem) {
  for (long n : {0L, 7L, -7L, 10L, 999L, 1000L, -1440000L, 2147483647L, LONG_MAX, LONG_MIN}) {
    char want[32], got[kDecimalBytes];
    std::snprintf(want, sizeof want, "%ld", n);
    std::memset(got, 'q', sizeof got);
    DecimalText(got, n);
    EXPECT_STREQ(got, want);
  }
}

TEST(Text, CopyBoundedNeverOverruns) {
  char buf[6];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_TRUE(CopyBounded(buf, sizeof buf, "abcde"));
  EXPECT_STREQ(buf, "abcde");
  EXPECT_FALSE(CopyBounded(buf, sizeof buf, "abcdef"));
  EXPECT_STREQ(buf, "abcde");
  char guard[4] = {'a', 'b', 'c', 'd'};
  EXPECT_FALSE(CopyBounded(guard, 0, "z"));
  EXPECT_EQ(guard[0], 'a');
}

// ソ is 0x83 0x5C in Shift-JIS, ア 0x83 0x41, ッ 0x83 0x62 ... the second byte may be '\' or a letter.
TEST(Paths, TrailBytesAreNeitherSeparatorsNorFolded) {
  const char* so = "C:\\\x83\x5C";
  EXPECT_EQ(2, LastBackslash(so, true));
  EXPECT_EQ(4, LastBackslash(so, false));
  EXPECT_EQ(1, CountBackslashes("C:\\\x83\x5C\x83\x5C", true));
  EXPECT_EQ(3, CountBackslashes("C:\\\x83\x5C\x83\x5C", false));
  EXPECT_EQ(3, LastBackslash("C:\\\\", true));
  EXPECT_EQ(-1, LastBackslash("name", true));
  // A lead byte cut off at the end swallows nothing beyond the terminator.
  EXPECT_EQ(2, LastBackslash("C:\\\x83", true));

  EXPECT_FALSE(EqualNoCase("\x83\x41", "\x83\x61", true));
  EXPECT_TRUE(EqualNoCase("\x83\x41", "\x83\x61", false));
  EXPECT_TRUE(EqualNoCase("c:\\\x83\x41x", "C:\\\x83\x41X", true));
  EXPECT_FALSE(EqualNoCase("abc", "abcd", true));
  EXPECT_FALSE(EqualNoCase("\x83", "\x83\x41", true));
  EXPECT_TRUE(EqualNoCase("My Documents", "MY DOCUMENTS", false));
  EXPECT_FALSE(EqualNoCase("a[", "a{", false));  // only letters fold
}

TEST(Paths, DirectoryEndsAtTheLastRealBackslash) {
  char dir[258];
  std::string path = std::string("C:\\data\\") + kHyou;
  ASSERT_TRUE(DirectoryOf(path.c_str(), dir, sizeof(dir), true));
  EXPECT_STREQ(dir, "C:\\data\\");
  // Read as single bytes the trail byte would end the directory.
  ASSERT_TRUE(DirectoryOf(path.c_str(), dir, sizeof(dir), false));
  EXPECT_EQ(std::string(dir), path);

  path = std::string("C:\\") + kSo + "\\" + kHyou + "x.bin";
  ASSERT_TRUE(DirectoryOf(path.c_str(), dir, sizeof(dir), true));
  EXPECT_EQ(std::string(dir), std::string("C:\\") + kSo + "\\");
  EXPECT_FALSE(DirectoryOf("nobackslash", dir, sizeof(dir), true));
  EXPECT_FALSE(DirectoryOf("C:\\data\\x", dir, 8, true));  // does not fit
}

TEST(Paths, FullPathsCompareWithoutRegardToAsciiCase) {
  EXPECT_TRUE(EqualNoCase("x:\\Set\\RUNDELO.EXE", "X:\\SET\\rundelo.exe", false));
  EXPECT_FALSE(EqualNoCase("X:\\SET\\RUNDELO.EXE", "X:\\SET\\RUNDELO.EX", false));
  EXPECT_FALSE(EqualNoCase("X:\\SET", "X:\\SET\\", false));
  // 0x83 0x61 and 0x83 0x41 are two different characters whose trail bytes look like a/A.
  EXPECT_FALSE(EqualNoCase("X:\\\x83\x61", "X:\\\x83\x41", true));
  EXPECT_TRUE(EqualNoCase("X:\\\x83\x61", "x:\\\x83\x61", true));
}

TEST(OsKind, NtVersionTexts) {
  EXPECT_EQ(OsKindFromNtVersion("4.0"), WinNt4);
  EXPECT_EQ(OsKindFromNtVersion("5.0"), Win2000);
  EXPECT_EQ(OsKindFromNtVersion("5.1"), WinNtLater);
  EXPECT_EQ(OsKindFromNtVersion("6.0"), WinNtLater);
  EXPECT_EQ(OsKindFromNtVersion("6.3"), WinNtLater);
  EXPECT_EQ(OsKindFromNtVersion(""), WinNtLater);
  // Substring search, "4.0" before "5.0".
  EXPECT_EQ(OsKindFromNtVersion("5.04.0"), WinNt4);
  EXPECT_EQ(OsKindFromNtVersion("v5.0 SP4"), Win2000);
}

TEST(OsKind, ProductNamesAreCaseSensitive) {
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows 98"), Win98);
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows ME"), WinMe);
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows 95"), Win95);
  EXPECT_EQ(OsKindFromProductName("Microsoft Windows Me"), Win95);
  EXPECT_EQ(OsKindFromProductName("windows 98"), Win95);
  EXPECT_EQ(OsKindFromProductName(""), Win95);
  EXPECT_EQ(OsKindFromProductName("Windows 98 / Windows ME"), WinMe);
}

TEST(OsKind, RegistryFallThrough) {
  // A readable NT value decides alone, whatever the 9x key says.
  EXPECT_EQ(DecideOsKind(true, "5.0", true, "Microsoft Windows ME", Win95), Win2000);
  // NT value unread: the 9x key decides, an empty product name gives Win95.
  EXPECT_EQ(DecideOsKind(false, "", true, "Microsoft Windows ME", Win95), WinMe);
  EXPECT_EQ(DecideOsKind(false, "", true, "", WinMe), Win95);
  // Neither key: the previous kind stays.
  EXPECT_EQ(DecideOsKind(false, "", false, "", Win95), Win95);
  EXPECT_EQ(DecideOsKind(false, "", false, "", Win98), Win98);
}

TEST(OsKind, RegistryAsTheMergerReadsIt) {
  // What the NT value says, whatever the 9x key holds; without it the product name; else Win95.
  EXPECT_EQ(DecideOsKind(true, "4.0", true, "Microsoft Windows 98", Win95), WinNt4);
  EXPECT_EQ(DecideOsKind(true, "6.3", false, "", Win95), WinNtLater);
  EXPECT_EQ(DecideOsKind(false, "", true, "Microsoft Windows ME", Win95), WinMe);
  EXPECT_EQ(DecideOsKind(false, "", true, "Microsoft Windows 98", Win95), Win98);
  EXPECT_EQ(DecideOsKind(false, "", true, "windows me", Win95), Win95);  // exact in case
  EXPECT_EQ(DecideOsKind(false, "", false, "", Win95), Win95);
}

TEST(OsKind, FreeSpacePathChoice) {
  for (OsKind k : {Win98, WinMe, WinNt4, Win2000, WinNtLater})
    EXPECT_TRUE(UseExtendedFreeSpace(k, 0, 0)) << k;
  EXPECT_TRUE(UseExtendedFreeSpace(Win95, 1, 1001));
  EXPECT_FALSE(UseExtendedFreeSpace(Win95, 1, 1000));
  EXPECT_FALSE(UseExtendedFreeSpace(Win95, 1, 950));
  // Only the low 16 bits of the build number count (9x keeps the version in the high word).
  EXPECT_TRUE(UseExtendedFreeSpace(Win95, 1, 0x04000457));
  EXPECT_FALSE(UseExtendedFreeSpace(Win95, 1, 0x040003E8));
  EXPECT_FALSE(UseExtendedFreeSpace(Win95, 1, 0x040003B6));  // first release, build 950
  // A Win95 kind on an NT platform (both registry keys unreadable) stays on the legacy path.
  EXPECT_FALSE(UseExtendedFreeSpace(Win95, 2, 2195));
  EXPECT_FALSE(UseExtendedFreeSpace(Win95, 2, 7601));
}

}  // namespace

TEST(Crc32, KnownValuesAndCombinedParts) {
  struct Case { const char* text; uint32_t crc; };
  const Case cases[] = {{"", 0}, {"a", 0xE8B7BE43u}, {"123456789", 0xCBF43926u},
                        {"The quick brown fox jumps over the lazy dog", 0x414FA339u}};
  for (const Case& c : cases) EXPECT_EQ(Crc32Update(0, c.text, std::strlen(c.text)), c.crc) << c.text;

  std::string data(100003, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + (i >> 9));
  // Every length and offset around the 16- and 64-byte steps, against a bit-at-a-time CRC.
  for (size_t off = 0; off < 16; ++off) {
    for (size_t n = 0; n < 300; ++n) {
      ASSERT_EQ(Crc32Update(0, data.data() + off, n), refcheck::Crc(data.substr(off, n))) << off << " " << n;
    }
  }
  const uint32_t whole = Crc32Update(0, data.data(), data.size());
  for (size_t cut : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(50000), data.size()}) {
    const uint32_t a = Crc32Update(0, data.data(), cut);
    EXPECT_EQ(Crc32Update(a, data.data() + cut, data.size() - cut), whole) << cut;
    EXPECT_EQ(Crc32Combine(a, Crc32Update(0, data.data() + cut, data.size() - cut), data.size() - cut), whole)
        << cut;
  }
}

TEST(WriteSlices, EveryByteOnceInSlicesAndAShortSliceFails) {
  std::string data(3 * kWriteSliceBytes + 7, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + (i >> 11));
  struct Case { long n; int failAt; long putShort; long want; int calls; };
  const Case cases[] = {
      {0, -1, 0, 0, 0},
      {1, -1, 0, 1, 1},
      {kWriteSliceBytes, -1, 0, kWriteSliceBytes, 1},
      {kWriteSliceBytes + 1, -1, 0, kWriteSliceBytes + 1, 2},
      {3 * kWriteSliceBytes + 7, -1, 0, 3 * kWriteSliceBytes + 7, 4},
      {3 * kWriteSliceBytes + 7, 2, 0, -1, 3},   // the third slice fails: nothing more is written
      {3 * kWriteSliceBytes + 7, 1, 100, -1, 2},  // the second is written short
  };
  for (const Case& c : cases) {
    std::string out;
    int calls = 0;
    const long got = WriteInSlices(data.data(), c.n, [&](const char* p, long k) -> long {
      EXPECT_LE(k, kWriteSliceBytes);
      if (calls++ == c.failAt) return c.putShort ? c.putShort : -1;
      out.append(p, static_cast<size_t>(k));
      return k;
    });
    EXPECT_EQ(got, c.want) << c.n << " " << c.failAt;
    EXPECT_EQ(calls, c.calls) << c.n << " " << c.failAt;
    if (c.want >= 0) {
      EXPECT_EQ(out, data.substr(0, static_cast<size_t>(c.n)));
    }
  }
}
