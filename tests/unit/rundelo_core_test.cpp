#include "core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace rundelo;

TEST(CopyPasses, FullChunksThenTheRest) {
  auto total = [](std::uint32_t len) {
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < PassCount(len); ++i) {
      EXPECT_LE(PassBytes(len, i), kChunkBytes);
      sum += PassBytes(len, i);
    }
    return sum;
  };
  const std::uint32_t c = kChunkBytes;
  for (std::uint32_t len : {0u, 1u, 31999u, 32000u, c - 1, c, c + 1, 2 * c, 1457664u}) {
    EXPECT_EQ(total(len), len) << len;
  }
  EXPECT_EQ(PassCount(2 * c), 3u);  // a multiple of the chunk ends with an empty pass
  EXPECT_EQ(PassBytes(2 * c, 2), 0u);
  EXPECT_EQ(PassCount(2 * c + 1), 3u);
  EXPECT_EQ(PassBytes(2 * c + 1, 2), 1u);
  EXPECT_EQ(PassCount(1440000), 2u);  // a floppy piece in one pass and an empty one
}

TEST(ProgramDirectory, TheRunningModulesOwnDirectory) {
  char dir[258];
  ASSERT_TRUE(ChooseProgramDirectory("D:\\SET\\MERGE.EXE", false, dir, sizeof(dir)));
  EXPECT_STREQ(dir, "D:\\SET\\");
  EXPECT_FALSE(ChooseProgramDirectory("", false, dir, sizeof(dir)));
  EXPECT_FALSE(ChooseProgramDirectory("D:\\SET\\MERGE.EXE", false, dir, 7));
  EXPECT_EQ(dir[0], 0);
}

TEST(ProgramDirectory, ShiftJisTrailByte5CIsNoSeparator) {
  // "ソ.exe": 0x83 0x5C; the last real separator is before it.
  const char* module = "X:\\\x83\x5C\\\x83\x5C.exe";
  char dir[258];
  ASSERT_TRUE(ChooseProgramDirectory(module, true, dir, sizeof(dir)));
  EXPECT_EQ(std::string(dir), std::string("X:\\\x83\x5C\\"));
  ASSERT_TRUE(ChooseProgramDirectory("X:\\set\\\x83\x5C.exe", true, dir, sizeof(dir)));
  EXPECT_STREQ(dir, "X:\\set\\");
  // Under another code page the same byte is a separator.
  EXPECT_EQ(DirectoryLength("X:\\set\\\x83\x5C.exe", false), 9u);
}
