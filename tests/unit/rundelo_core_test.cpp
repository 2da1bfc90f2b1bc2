#include "core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace rundelo;

TEST(OsKind, NtKeyDecidesWhenItsValueIsRead) {
  EXPECT_EQ(OsKindFromRegistry("4.0", "Microsoft Windows 98"), WinNt4);
  EXPECT_EQ(OsKindFromRegistry("5.0", nullptr), Win2000);
  EXPECT_EQ(OsKindFromRegistry("5.1", nullptr), WinNtLater);
  EXPECT_EQ(OsKindFromRegistry("6.3", nullptr), WinNtLater);
  EXPECT_EQ(OsKindFromRegistry("", nullptr), WinNtLater);
}

TEST(OsKind, ProductNameDecidesWithoutTheNtValue) {
  EXPECT_EQ(OsKindFromRegistry(nullptr, "Microsoft Windows ME"), WinMe);
  EXPECT_EQ(OsKindFromRegistry(nullptr, "Microsoft Windows 98"), Win98);
  EXPECT_EQ(OsKindFromRegistry(nullptr, "Microsoft Windows 95"), Win95);
  EXPECT_EQ(OsKindFromRegistry(nullptr, "windows me"), Win95);  // the match is exact in case
  EXPECT_EQ(OsKindFromRegistry(nullptr, nullptr), Win95);
}

TEST(FreeSpacePath, OnlyWin95AsksTheVersion) {
  for (OsKind k : {Win98, WinMe, WinNt4, Win2000, WinNtLater}) {
    EXPECT_TRUE(UsesExtendedFreeSpace(k, 0, 0)) << k;
  }
  EXPECT_TRUE(UsesExtendedFreeSpace(Win95, 1, 0x04000457));   // OSR2, build 1111
  EXPECT_FALSE(UsesExtendedFreeSpace(Win95, 1, 0x040003B6));  // first release, build 950
  EXPECT_FALSE(UsesExtendedFreeSpace(Win95, 1, 1000));
  EXPECT_TRUE(UsesExtendedFreeSpace(Win95, 1, 1001));
  EXPECT_FALSE(UsesExtendedFreeSpace(Win95, 2, 7601));         // NT platform reporting as 95
}

TEST(CopyPasses, FullChunksThenTheRest) {
  auto total = [](std::uint32_t len) {
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < PassCount(len); ++i) {
      EXPECT_LE(PassBytes(len, i), kChunkBytes);
      sum += PassBytes(len, i);
    }
    return sum;
  };
  for (std::uint32_t len : {0u, 1u, 31999u, 32000u, 32001u, 64000u, 1440000u, 1457664u}) {
    EXPECT_EQ(total(len), len) << len;
  }
  EXPECT_EQ(PassCount(64000), 3u);  // a multiple of the chunk ends with an empty pass
  EXPECT_EQ(PassBytes(64000, 2), 0u);
  EXPECT_EQ(PassCount(64001), 3u);
  EXPECT_EQ(PassBytes(64001, 2), 1u);
}

TEST(ProgramDirectory, SearchHitCountsOnlyWhenItIsTheRunningModule) {
  char dir[258];
  ASSERT_TRUE(ChooseProgramDirectory("C:\\PIECES\\RUNDELO.EXE", "c:\\pieces\\rundelo.exe", false,
                                     dir, sizeof(dir)));
  EXPECT_STREQ(dir, "C:\\PIECES\\");
  // Another copy on the search path, or none: the running module's own directory.
  ASSERT_TRUE(ChooseProgramDirectory("C:\\OTHER\\RUNDELO.EXE", "D:\\SET\\MERGE.EXE", false, dir,
                                     sizeof(dir)));
  EXPECT_STREQ(dir, "D:\\SET\\");
  ASSERT_TRUE(ChooseProgramDirectory("", "D:\\SET\\MERGE.EXE", false, dir, sizeof(dir)));
  EXPECT_STREQ(dir, "D:\\SET\\");
  EXPECT_FALSE(ChooseProgramDirectory("", "", false, dir, sizeof(dir)));
  EXPECT_FALSE(ChooseProgramDirectory("", "D:\\SET\\MERGE.EXE", false, dir, 7));
  EXPECT_EQ(dir[0], 0);
}

TEST(ProgramDirectory, ShiftJisTrailByte5CIsNoSeparator) {
  // "ソ.exe": 0x83 0x5C; the last real separator is before it.
  const char* module = "X:\\\x83\x5C\\\x83\x5C.exe";
  char dir[258];
  ASSERT_TRUE(ChooseProgramDirectory("", module, true, dir, sizeof(dir)));
  EXPECT_EQ(std::string(dir), std::string("X:\\\x83\x5C\\"));
  ASSERT_TRUE(ChooseProgramDirectory("", "X:\\set\\\x83\x5C.exe", true, dir, sizeof(dir)));
  EXPECT_STREQ(dir, "X:\\set\\");
  // Under another code page the same byte is a separator.
  EXPECT_EQ(DirectoryLength("X:\\set\\\x83\x5C.exe", false), 9u);
}

TEST(SamePath, FoldsAsciiButNotShiftJisTrailBytes) {
  EXPECT_TRUE(SamePath("x:\\Set\\RUNDELO.EXE", "X:\\SET\\rundelo.exe", false));
  EXPECT_FALSE(SamePath("X:\\SET\\RUNDELO.EXE", "X:\\SET\\RUNDELO.EX", false));
  EXPECT_FALSE(SamePath("X:\\SET", "X:\\SET\\", false));
  // 0x83 0x61 and 0x83 0x41 are two different characters whose trail bytes look like a/A.
  EXPECT_FALSE(SamePath("X:\\\x83\x61", "X:\\\x83\x41", true));
  EXPECT_TRUE(SamePath("X:\\\x83\x61", "x:\\\x83\x61", true));
}

TEST(Messages, AppendIsBoundedAndKeepsDoubleBytesWhole) {
  char buf[8] = {0};
  AppendText(buf, sizeof(buf), "abc", false);
  AppendText(buf, sizeof(buf), "defghij", false);
  EXPECT_STREQ(buf, "abcdefg");
  char sj[5] = {0};
  AppendText(sj, sizeof(sj), "a\x83\x5C\x83\x5C", true);  // the second character does not fit
  EXPECT_STREQ(sj, "a\x83\x5C");
  char num[32] = {0};
  AppendText(num, sizeof(num), "FILE-", false);
  AppendNumber(num, sizeof(num), 999);
  EXPECT_STREQ(num, "FILE-999");
  char tiny[4] = {0};
  AppendNumber(tiny, sizeof(tiny), 123456);
  EXPECT_STREQ(tiny, "123");
}
