// The file table's folder, rename, listing and overwrite calls, one table of steps run on the
// model disk (both trees) and on the system's own files (Windows tree, under Wine): the model
// must answer as the system does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "base/diskfiles.h"
#include "base/memdisk.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string g_dir;

std::string At(const std::string& name) { return g_dir + name; }

bool CollectName(void* ctx, const DirEntry& e) {
  static_cast<std::set<std::string>*>(ctx)->insert(e.name);
  return false;
}

std::set<std::string> Listed(const DiskFiles& fs, const std::string& dir) {
  std::set<std::string> names;
  fs.list(dir.c_str(), CollectName, &names);
  return names;
}

std::string Contents(const DiskFiles& fs, const std::string& path) {
  FileHandle f = fs.openRead(path.c_str());
  if (f == kNoFile) return "<none>";
  char buf[64];
  long n = fs.read(f, buf, sizeof buf);
  fs.close(f);
  return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

bool WriteAt(const DiskFiles& fs, const std::string& path, uint64_t offset, const std::string& s) {
  FileHandle f = fs.openWrite(path.c_str());
  if (f == kNoFile) return false;
  bool ok = fs.seek(f, offset) &&
            fs.write(f, s.data(), static_cast<long>(s.size())) == static_cast<long>(s.size()) &&
            fs.flush(f);
  fs.close(f);
  return ok;
}

void RunSteps(const DiskFiles& fs) {
  const std::string sub = At("sub"), a = At("sub\\a.txt"), b = At("sub\\B.txt");
  EXPECT_TRUE(fs.makeDir(sub.c_str()));
  EXPECT_FALSE(fs.makeDir(sub.c_str()));                      // exists
  EXPECT_FALSE(fs.makeDir(At("none\\deeper").c_str()));       // no parent
  FileHandle f = fs.create(a.c_str());
  ASSERT_NE(f, kNoFile);
  EXPECT_EQ(fs.write(f, "hello", 5), 5);
  fs.close(f);

  EXPECT_TRUE(fs.rename(a.c_str(), b.c_str()));
  EXPECT_FALSE(fs.rename(a.c_str(), b.c_str()));              // gone from the old name
  // A taken name is replaced by neither a new file nor a rename, in any letter case.
  const std::string d = At("sub\\d.txt"), bUpper = At("sub\\b.TXT");
  EXPECT_EQ(fs.createNew(bUpper.c_str()), kNoFile);
  f = fs.createNew(d.c_str());
  ASSERT_NE(f, kNoFile);
  EXPECT_EQ(fs.write(f, "d", 1), 1);
  fs.close(f);
  EXPECT_FALSE(fs.rename(d.c_str(), bUpper.c_str()));
  EXPECT_EQ(Contents(fs, b), "hello");
  EXPECT_EQ(Contents(fs, d), "d");
  // A copy writes over the file made for it.
  const std::string made = At("sub\\e.txt");
  f = fs.createNew(made.c_str());
  ASSERT_NE(f, kNoFile);
  fs.close(f);
  EXPECT_TRUE(fs.copy(b.c_str(), made.c_str()));
  EXPECT_EQ(Contents(fs, made), "hello");
  // One file under any spelling, a folder too; another file is another.
  FileId ib, ibUpper, id, isub;
  ASSERT_TRUE(fs.identify(b.c_str(), &ib));
  ASSERT_TRUE(fs.identify(bUpper.c_str(), &ibUpper));
  ASSERT_TRUE(fs.identify(d.c_str(), &id));
  ASSERT_TRUE(fs.identify(sub.c_str(), &isub));
  EXPECT_TRUE(ib == ibUpper);
  EXPECT_FALSE(ib == id);
  EXPECT_FALSE(ib == isub);
  EXPECT_FALSE(fs.identify(At("sub\\none.txt").c_str(), &id));
  EXPECT_TRUE(SameFile(fs, b.c_str(), bUpper.c_str()));
  EXPECT_FALSE(SameFile(fs, b.c_str(), made.c_str()));
  EXPECT_TRUE(RemoveForced(fs, d.c_str()));
  EXPECT_TRUE(RemoveForced(fs, made.c_str()));
  EXPECT_FALSE(fs.removeDir(sub.c_str()));                    // not empty
  EXPECT_EQ(Listed(fs, sub + "\\"), (std::set<std::string>{".", "..", "B.txt"}));

  // Overwritten in place, nothing cut, and grown where a write runs past the end.
  EXPECT_TRUE(WriteAt(fs, b, 0, "HE"));
  EXPECT_TRUE(WriteAt(fs, b, 3, "LO"));
  EXPECT_EQ(Contents(fs, b), "HElLO");
  EXPECT_TRUE(WriteAt(fs, b, 5, "!"));
  DirEntry e;
  ASSERT_TRUE(fs.lookup(b.c_str(), &e));
  EXPECT_EQ(e.length, 6u);
  EXPECT_EQ(Contents(fs, b), "HElLO!");

  // A read-only file cannot be deleted, but it can be renamed. (Whether it opens for writing
  // differs: Windows refuses, Wine run by root does not; callers clear the attribute first.)
  ASSERT_TRUE(fs.setAttributes(b.c_str(), kAttrReadOnly));
  EXPECT_FALSE(fs.remove(b.c_str()));
  const std::string c = At("sub\\c.txt");
  EXPECT_TRUE(fs.rename(b.c_str(), c.c_str()));
  EXPECT_EQ(fs.getAttributes(c.c_str()) & kAttrReadOnly, kAttrReadOnly);

  // A folder takes a time, and moves with what it holds.
  EXPECT_EQ(fs.setTimes(sub.c_str(), CalTime{2001, 3, 1, 12, 30, 44}), TimeResult::Ok);
  ASSERT_TRUE(fs.lookup(sub.c_str(), &e));
  EXPECT_TRUE(e.attributes & kAttrDirectory);
  EXPECT_EQ(e.lastWrite.year, 2001);
  EXPECT_EQ(e.lastWrite.day, 1);
  EXPECT_EQ(e.lastWrite.second, 44);
  const std::string sub2 = At("sub2");
  EXPECT_TRUE(fs.rename(sub.c_str(), sub2.c_str()));
  EXPECT_EQ(Contents(fs, sub2 + "\\c.txt"), "HElLO!");
  EXPECT_FALSE(fs.lookup(sub.c_str(), &e));

  EXPECT_TRUE(RemoveForced(fs, (sub2 + "\\c.txt").c_str()));
  EXPECT_TRUE(fs.removeDir(sub2.c_str()));
  EXPECT_FALSE(fs.lookup(sub2.c_str(), &e));
  EXPECT_FALSE(fs.removeDir(sub2.c_str()));
}

TEST(FileSeam, ModelDisk) {
  memdisk::Reset();
  g_dir = "C:\\T\\";
  memdisk::PutDir("C:\\T");
  RunSteps(memdisk::Files());
  EXPECT_EQ(memdisk::OpenHandles(), 0);
}

#ifdef _WIN32
TEST(FileSeam, SystemFiles) {
  const char* base = std::getenv("TOVRA_TMP");
  std::string dir = std::string("Z:") + (base ? base : "/tmp/engine-unit");
  for (char& ch : dir)
    if (ch == '/') ch = '\\';
  CreateDirectoryA(dir.c_str(), nullptr);
  dir += "\\seam";
  CreateDirectoryA(dir.c_str(), nullptr);
  g_dir = dir + "\\";
  // What a run that failed half-way left.
  for (const char* folder : {"sub", "sub2"}) {
    for (const char* name : {"a.txt", "B.txt", "c.txt", "d.txt", "e.txt"}) {
      const std::string left = At(folder) + "\\" + name;
      SetFileAttributesA(left.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(left.c_str());
    }
    RemoveDirectoryA(At(folder).c_str());
  }
  RunSteps(SystemFiles());
}
#endif

}  // namespace
