#include "core.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/memdisk.h"

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

// A set without a check line, appended piece by piece as Rundelo merges it, on the model disk.
TEST(AppendPieces, EveryPieceWholeAndNothingPastTheRecordedSize) {
  const char kDir[] = "C:\\set\\";
  std::string data(50000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  struct Case {
    const char* what;
    void (*damage)(const std::string& dir);
    uint64_t capacity;
    Appended want;
  };
  const Case cases[] = {
      {"whole", [](const std::string&) {}, UINT64_MAX, Appended::Ok},
      // Its low 32 bits are the length it should have: taken in 32 bits, it would pass.
      {"a piece of 4 GiB and its length", [](const std::string& d) {
         memdisk::ShowLength(d + "file-2", (uint64_t{1} << 32) + 20000);
       }, UINT64_MAX, Appended::SizeDiffers},
      {"a piece longer than the record leaves", [](const std::string& d) {
         memdisk::Put(d + "file-3", std::string(10001, 'x'));
       }, UINT64_MAX, Appended::SizeDiffers},
      {"a piece that cannot be opened", [](const std::string& d) { memdisk::FailOpen(d + "file-2"); },
       UINT64_MAX, Appended::CannotOpen},
      {"a piece that reads short", [](const std::string& d) { memdisk::FailReadAt(d + "file-1", 15000); },
       UINT64_MAX, Appended::SizeDiffers},
      {"a full disk", [](const std::string&) {}, 50000 + 45000, Appended::SizeDiffers},
  };
  static pieceset::MergeSession s;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset(c.capacity);
    for (int k = 1; k <= 3; ++k) {
      memdisk::Put(kDir + ("file-" + std::to_string(k)), data.substr((k - 1) * 20000, 20000));
    }
    c.damage(kDir);
    s.fs = &memdisk::Files();
    s.dir = kDir;
    s.prefix = "FILE-";
    for (int k = 1; k <= 3; ++k) {
      DirEntry e;
      ASSERT_TRUE(memdisk::Files().lookup((kDir + ("file-" + std::to_string(k))).c_str(), &e));
      s.pieces.length[k] = e.length;
    }
    const FileHandle out = memdisk::Files().createNew("C:\\set\\~RDL000.TMP");
    ASSERT_NE(out, kNoFile);
    EXPECT_EQ(AppendPieces(&s, out, 50000, 3), c.want);
    memdisk::Files().close(out);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
    if (c.want == Appended::Ok) {
      EXPECT_EQ(memdisk::Get("C:\\set\\~RDL000.TMP").data, data);
    }
  }
}

TEST(PackedTexts, EachUnpacksToItsTextInEitherLanguage) {
  struct Pair {
    const char* en;
    const char* ja;
  };
  static const Pair kWritten[] = {
#define RUNDELO_TEST_PAIR(id, en, ja) {en, ja},
      RUNDELO_TEXTS(RUNDELO_TEST_PAIR)
#undef RUNDELO_TEST_PAIR
  };
  static_assert(sizeof(kWritten) / sizeof(kWritten[0]) == kTextCount, "every text");
  std::size_t written = 0;
  for (int id = 0; id < kTextCount; ++id) {
    for (int language = 0; language < 2; ++language) {
      char out[kTextBytes];
      Unpack(out, static_cast<TextId>(id), language);
      const char* want = language ? kWritten[id].ja : kWritten[id].en;
      EXPECT_STREQ(out, want) << id;
      ASSERT_LT(std::strlen(want), sizeof(out));
      written += std::strlen(want);
    }
  }
  // A message and its caption at once: Tx takes two buffers in turn.
  g_uiLanguage = 1;
  const char* text = Tx(kNotHardDisk);
  const char* caption = Tx(kCaptionError);
  EXPECT_STREQ(text, kWritten[kNotHardDisk].ja);
  EXPECT_STREQ(caption, kWritten[kCaptionError].ja);
  g_uiLanguage = 0;
  EXPECT_GT(written, 2000u);
}
