// The file table on the system's own files, in a folder of the test's own (Windows tree only).
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/diskfiles.h"
#include "divide_work.h"
#include "merge_work.h"
#include "refcheck.h"

using namespace engine;

namespace {

// TOVRA_TMP (a Unix folder in the build tree) seen through drive Z:.
std::string TestFolder(const char* name) {
  const char* base = std::getenv("TOVRA_TMP");
  std::string dir = std::string("Z:") + (base ? base : "/tmp/engine-unit");
  for (char& c : dir) {
    if (c == '/') c = '\\';
  }
  CreateDirectoryA(dir.c_str(), nullptr);
  dir += std::string("\\") + name;
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + "\\";
}

void Put(const std::string& path, const std::string& data) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD put = 0;
  WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
  CloseHandle(h);
}

std::string Slurp(const std::string& path) {
  std::string out;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<none>";
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got) out.append(buf, got);
  CloseHandle(h);
  return out;
}

void Clear(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string p = dir + fd.cFileName;
    SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (fd.cFileName[0] != '.') RemoveDirectoryA(p.c_str());
    } else {
      DeleteFileA(p.c_str());
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 31 + (i >> 9)) & 0xFF);
  return s;
}

bool Roomy(void*, int64_t) { return true; }

class SystemFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TestFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Clear(dir_);
  }
  void TearDown() override { Clear(dir_); }
  std::string dir_;
};

TEST_F(SystemFilesTest, ReadOnlyFilesResistDeletionUntilForced) {
  const DiskFiles& fs = SystemFiles();
  const std::string p = dir_ + "file-1";
  Put(p, "old");
  ASSERT_TRUE(fs.setAttributes(p.c_str(), kAttrReadOnly | kAttrHidden));
  EXPECT_EQ(fs.getAttributes(p.c_str()) & (kAttrReadOnly | kAttrHidden), kAttrReadOnly | kAttrHidden);
  EXPECT_FALSE(fs.remove(p.c_str()));
  EXPECT_EQ(Slurp(p), "old");
  EXPECT_TRUE(RemoveForced(fs, p.c_str()));
  uint64_t length = 0;
  EXPECT_FALSE(FindLength(fs, p.c_str(), &length));
  EXPECT_EQ(fs.getAttributes(p.c_str()), kNoAttributes);
}

TEST_F(SystemFilesTest, LengthsNamesAndEntries) {
  const DiskFiles& fs = SystemFiles();
  Put(dir_ + "Data.Lzh", Pattern(12345));
  CreateDirectoryA((dir_ + "file-3").c_str(), nullptr);
  uint64_t length = 0;
  ASSERT_TRUE(FindLength(fs, (dir_ + "DATA.LZH").c_str(), &length));  // letter case aside
  EXPECT_EQ(length, 12345u);
  EXPECT_TRUE(FindLength(fs, (dir_ + "file-3").c_str(), &length));  // a folder is an entry too
  EXPECT_TRUE(NameExistsInDir(fs, dir_.c_str(), "data.lzh"));
  EXPECT_FALSE(NameExistsInDir(fs, dir_.c_str(), "data.lz"));
  EXPECT_TRUE(HasPieceMarkedEntry(fs, dir_.c_str(), false));
  // The system's comparison folds letters beyond ASCII as the file system does.
  if (GetACP() == 1252) {
    EXPECT_TRUE(fs.sameName("\xC9T\xC9.TXT", "\xE9t\xE9.txt"));
  }
  EXPECT_FALSE(fs.sameName("a.txt", "b.txt"));
}

TEST_F(SystemFilesTest, TimesAreSetFromLocalCalendarFields) {
  const DiskFiles& fs = SystemFiles();
  const std::string p = dir_ + "merged.bin";
  Put(p, "x");
  ASSERT_EQ(fs.setTimes(p.c_str(), CalTime{1999, 3, 7, 14, 5, 9}), TimeResult::Ok);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(p.c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FindClose(h);
  FILETIME local;
  SYSTEMTIME st;
  FileTimeToLocalFileTime(&fd.ftLastWriteTime, &local);
  FileTimeToSystemTime(&local, &st);
  EXPECT_EQ(st.wYear, 1999);
  EXPECT_EQ(st.wMonth, 3);
  EXPECT_EQ(st.wDay, 7);
  EXPECT_EQ(st.wHour, 14);
  EXPECT_EQ(st.wMinute, 5);
  EXPECT_EQ(st.wSecond, 9);
  EXPECT_EQ(fs.setTimes((dir_ + "none.bin").c_str(), CalTime{1999, 3, 7, 14, 5, 9}),
            TimeResult::CannotOpen);
}

TEST_F(SystemFilesTest, DivideAndMergeBackOnDisk) {
  const DiskFiles& fs = SystemFiles();
  const std::string data = Pattern(3500000);
  const std::string source = dir_ + "data.bin";
  Put(source, data);
  DivideJob job{dir_.c_str(), source.c_str(), "data.bin", data.size(), {2000, 1, 2, 3, 4, 6},
                PlanDivision(data.size(), 72), false};
  ASSERT_EQ(DivideFile(fs, job).result, DivideResult::Ok);
  EXPECT_EQ(Slurp(dir_ + "file-0"), "data.bin;3500000;5;6;4;3;2;1;2000;\n" + refcheck::CheckLine(data, 720000));
  EXPECT_EQ(Slurp(dir_ + "file-5").size(), 3500000u - 4 * 720000u);
  EXPECT_EQ(Slurp(dir_ + "file-6").size(), 720000u);
  EXPECT_EQ(Slurp(dir_ + "file-7"), refcheck::BlockChecks(data, 720000));
  ASSERT_TRUE(DeleteFileA(source.c_str()));

  MergeJob merge{dir_.c_str(), "FILE-", "data.bin", 3500000, 5, kAttrReadOnly | kAttrArchive,
                 {2000, 1, 2, 3, 4, 6}, Roomy, nullptr, nullptr, nullptr, nullptr};
  ASSERT_EQ(MergePieces(fs, merge).result, MergeResult::Ok);
  EXPECT_EQ(Slurp(source), data);
  EXPECT_TRUE(fs.getAttributes((dir_ + "file-3").c_str()) & kAttrReadOnly);
  EXPECT_TRUE(FilesEqual(fs, (dir_ + "data.bin").c_str(), source.c_str()));

  // Checked, with FILE-2 gone: its 72 blocks rebuilt into their place in the merged file from
  // the parity piece.
  ASSERT_TRUE(DeleteFileA(source.c_str()));
  SetFileAttributesA((dir_ + "file-2").c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(DeleteFileA((dir_ + "file-2").c_str()));
  pieceset::InfoRecord rec;
  pieceset::InfoValues vals;
  static pieceset::Checks checks;
  const InfoFile info = ReadInformationFile(fs, (dir_ + "file-0").c_str(), false, &rec, &vals, &checks);
  ASSERT_TRUE(info.checked);
  merge.checks = &checks;
  merge.confirmRebuild = [](void*, const pieceset::BadPieces&, int, bool) { return true; };
  const MergeOutcome out = MergePieces(fs, merge);
  ASSERT_EQ(out.result, MergeResult::Ok);
  ASSERT_EQ(out.bad.count, 1);
  EXPECT_EQ(out.bad.piece[0], 2);
  EXPECT_EQ(out.rebuiltBlocks, 72);
  EXPECT_EQ(Slurp(source), data);

  RemovePieceSet(fs, dir_.c_str(), "file-", 7);
  EXPECT_EQ(Slurp(dir_ + "file-3"), "<none>");
  EXPECT_EQ(Slurp(dir_ + "file-7"), "<none>");
}

}  // namespace
#endif
