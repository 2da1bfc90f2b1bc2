// Copy, rename and make directory: their path rules and file work on the model disk.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <random>
#include <set>
#include <string>

#include "fileops/copy_work.h"
#include "fileops/makedir_work.h"
#include "fileops/rename_work.h"
#include "base/text.h"
#include "base/memdisk.h"

using namespace fileops;

namespace {

bool AsciiLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

TEST(CopyRules, DestinationForms) {
  struct Case { const char* typed; bool ok; const char* after; };
  const Case cases[] = {
      {"A:", true, "A:\\"},         {"A:\\", true, "A:\\"},        {"c:\\dir\\", true, "c:\\dir\\"},
      {"C:\\ABC", true, "C:\\ABC"}, {"C", false, ""},              {"", false, ""},
      {"DIR", false, ""},           {"\\\\SERVER\\SHARE", false, ""}, {"1:\\X", false, ""},
      {"C:X", false, ""},
  };
  for (const Case& c : cases) {
    char text[kPathBytes] = {0};
    CopyBounded(text, sizeof text, c.typed);
    EXPECT_EQ(NormalizeDestination(text, sizeof text, AsciiLetter), c.ok) << c.typed;
    if (c.ok) {
      EXPECT_STREQ(text, c.after) << c.typed;
    }
  }
}

TEST(CopyRules, TheDestinationNamesItsFolderAsThatFolder) {
  struct Case { const char* typed; bool dbcs932; const char* named; };
  const Case cases[] = {
      {"C:\\", false, "C:\\"},
      {"C:\\.", false, "C:\\"},
      {"C:\\SUB\\..", false, "C:\\"},
      {"C:\\..\\..", false, "C:\\"},
      {"C:\\SUB\\", false, "C:\\SUB"},
      {"C:\\A\\.\\B\\..\\C\\", false, "C:\\A\\C"},
      {"C:\\A\\\\B", false, "C:\\A\\B"},
      {"C:\\A\\...", false, "C:\\A\\..."},
      {"C:\\.A\\..B", false, "C:\\.A\\..B"},
      // The trail byte of ソ is 0x5C: in Japanese no backslash, so ".." is part of the name.
      {"C:\\A\\\x83\x5C..", true, "C:\\A\\\x83\x5C.."},
      {"C:\\A\\\x83\x5C..", false, "C:\\A"},
  };
  for (const Case& c : cases) {
    char text[kPathBytes] = {0};
    CopyBounded(text, sizeof text, c.typed);
    NameFolder(text, c.dbcs932);
    EXPECT_STREQ(text, c.named) << c.typed;
  }
}

// The source, a file of the same bytes beside it, and the running program, each with other names:
// a short name of its folder, and a hard link elsewhere.
TEST(CopyRules, TheDestinationIsJudgedByIdentity) {
  memdisk::Reset();
  memdisk::Put("C:\\Source files\\a.txt", "a");
  memdisk::Alias("C:\\SOURCE~1", "C:\\Source files");
  memdisk::Link("C:\\Source files\\a.txt", "C:\\LINKS\\a.txt");
  memdisk::Put("C:\\SAME\\a.txt", "a");
  memdisk::Put("C:\\Program\\TOVRA.EXE", "exe");
  memdisk::Alias("C:\\PROGRAM~1", "C:\\Program");
  memdisk::Link("C:\\Program\\TOVRA.EXE", "C:\\LINKS\\TOVRA.EXE");
  memdisk::Put("D:\\Source files\\a.txt", "a");
  struct Case { const char* dest; DestinationIs is; };
  const Case cases[] = {
      {"C:\\Source files\\a.txt", DestinationIs::TheSource},
      {"c:\\source files\\A.TXT", DestinationIs::TheSource},
      {"C:\\SOURCE~1\\a.txt", DestinationIs::TheSource},
      {"C:\\LINKS\\a.txt", DestinationIs::TheSource},
      {"C:\\SAME\\a.txt", DestinationIs::Other},
      {"D:\\Source files\\a.txt", DestinationIs::Other},
      {"C:\\NONE\\a.txt", DestinationIs::Other},
      {"C:\\Program\\TOVRA.EXE", DestinationIs::TheProgram},
      {"C:\\PROGRAM~1\\tovra.exe", DestinationIs::TheProgram},
      {"C:\\LINKS\\TOVRA.EXE", DestinationIs::TheProgram},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgeDestination(memdisk::Files(), "C:\\Source files\\a.txt", c.dest,
                               "C:\\Program\\TOVRA.EXE"),
              c.is)
        << c.dest;
  }
  // A program named by its short name is the program under its long one.
  EXPECT_EQ(JudgeDestination(memdisk::Files(), "C:\\SAME\\a.txt", "C:\\Program\\TOVRA.EXE",
                             "C:\\PROGRAM~1\\TOVRA.EXE"),
            DestinationIs::TheProgram);
}

TEST(CopyRules, DestinationPathHasOneBackslash) {
  char out[kPathBytes];
  ASSERT_TRUE(DestinationPath("C:\\DIR\\", "a.txt", out, sizeof out, false));
  EXPECT_STREQ(out, "C:\\DIR\\a.txt");
  ASSERT_TRUE(DestinationPath("A:\\", "a.txt", out, sizeof out, false));
  EXPECT_STREQ(out, "A:\\a.txt");
  // ソ ends in 0x5C: in Japanese it is a character, and the backslash is still added.
  ASSERT_TRUE(DestinationPath("C:\\\x83\x5C", "a", out, sizeof out, true));
  EXPECT_STREQ(out, "C:\\\x83\x5C\\a");
  EXPECT_FALSE(DestinationPath("C:\\", std::string(260, 'x').c_str(), out, sizeof out, false));
}

TEST(CopyRules, DestinationLookupAndRoom) {
  memdisk::Reset();
  memdisk::PutDir("C:\\DIR");
  memdisk::Put("C:\\FILE", "x");
  const DiskFiles& fs = memdisk::Files();
  EXPECT_TRUE(DestinationExists(fs, "C:\\", false));  // a root is not looked up
  EXPECT_TRUE(DestinationExists(fs, "c:\\dir\\", false));
  EXPECT_TRUE(DestinationExists(fs, "C:\\FILE", false));  // any entry passes
  EXPECT_FALSE(DestinationExists(fs, "C:\\NONE", false));
  EXPECT_TRUE(FitsWithMargin(1, 512, 100, 51200 - 1000));
  EXPECT_FALSE(FitsWithMargin(1, 512, 100, 51200 - 999));
  EXPECT_TRUE(FitsWithMargin(64, 512, 131072, 4000000000ull));  // 4 GiB free, in 64 bits
}

// A disk whose copies come out with one byte changed, as a bad floppy would give them.
bool CorruptCopy(const char* from, const char* to) {
  if (!memdisk::Files().copy(from, to)) return false;
  std::string data = memdisk::Get(to).data;
  if (!data.empty()) data[data.size() / 2] ^= 1;
  memdisk::Put(to, data);
  return true;
}

TEST(CopyWork, ReplacesOnlyWithAWholeGoodCopy) {
  struct Case { bool destExists; uint64_t capacity; bool corrupt; CopyResult result; };
  const Case cases[] = {
      {false, UINT64_MAX, false, CopyResult::Ok},
      {true, UINT64_MAX, false, CopyResult::Ok},
      {true, 2500, false, CopyResult::CopyFailed},  // out of room half-way
      {false, 2500, false, CopyResult::CopyFailed},
      {true, UINT64_MAX, true, CopyResult::Differs},
  };
  for (const Case& c : cases) {
    memdisk::Reset(c.capacity);
    memdisk::Put("C:\\src\\a.bin", std::string(2000, 's'),
                 kAttrReadOnly | kAttrHidden);
    memdisk::PutDir("A:\\");
    if (c.destExists) memdisk::Put("A:\\a.bin", "old", kAttrReadOnly);
    DiskFiles fs = memdisk::Files();
    if (c.corrupt) fs.copy = CorruptCopy;
    char left[kPathBytes];
    EXPECT_EQ(CopyReplacing(fs, "C:\\src\\a.bin", "A:\\a.bin", true, false, left), c.result);
    EXPECT_STREQ(left, "");
    const bool copied = c.result == CopyResult::Ok;
    EXPECT_EQ(memdisk::NamesIn("A:\\").size(), copied || c.destExists ? 1u : 0u) << "no temporary";
    if (copied) {
      EXPECT_EQ(memdisk::Get("A:\\a.bin").data, std::string(2000, 's'));
      EXPECT_EQ(memdisk::Get("A:\\a.bin").attributes, kAttrArchive);
    } else if (c.destExists) {
      EXPECT_EQ(memdisk::Get("A:\\a.bin").data, "old");
    }
    EXPECT_EQ(memdisk::OpenHandles(), 0);
  }
}

// Renames and deletions that fail on demand: the renames numbered in g_failRenames (counted from
// 1), and every deletion while g_failRemove is set.
int g_renames;
std::set<int> g_failRenames;
bool g_failRemove;
bool CountedRename(const char* from, const char* to) {
  return !g_failRenames.count(++g_renames) && memdisk::Files().rename(from, to);
}
bool FailingRemove(const char* path) { return !g_failRemove && memdisk::Files().remove(path); }

TEST(CopyWork, NoStepOfAReplacementLosesAFile) {
  const uint32_t kept = kAttrReadOnly | kAttrHidden;
  struct Case {
    const char* what;
    bool folder;           // a folder has the file's name at the destination
    std::set<int> renames;  // 1: the old file aside, 2: the copy into place, 3: the old one back
    bool removeFails;
    CopyResult result;
    const char* dest;      // what stands under the name afterwards
    const char* left;      // the file reported as left under another name, or ""
  };
  const Case cases[] = {
      {"replaced", false, {}, false, CopyResult::Ok, "new", ""},
      {"old file cannot be moved", false, {1}, false, CopyResult::ReplaceFailed, "old", ""},
      {"copy cannot take the name", false, {2}, false, CopyResult::ReplaceFailed, "old", ""},
      {"nor the old file again", false, {2, 3}, false, CopyResult::OldAside, nullptr, "A:\\~TVR001.TMP"},
      {"old file cannot be deleted", false, {}, true, CopyResult::OldLeft, "new", "A:\\~TVR001.TMP"},
      {"a folder of the name", true, {}, false, CopyResult::ReplaceFailed, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset();
    memdisk::Put("C:\\src\\a.bin", "new");
    if (c.folder) memdisk::PutDir("A:\\a.bin");
    else memdisk::Put("A:\\a.bin", "old", kept);
    DiskFiles fs = memdisk::Files();
    fs.rename = CountedRename;
    fs.remove = FailingRemove;
    g_renames = 0;
    g_failRenames = c.renames;
    g_failRemove = c.removeFails;
    char left[kPathBytes];
    EXPECT_EQ(CopyReplacing(fs, "C:\\src\\a.bin", "A:\\a.bin", false, false, left), c.result);
    EXPECT_STREQ(left, c.left);
    std::set<std::string> names{"a.bin"};
    if (c.dest) {
      EXPECT_EQ(memdisk::Get("A:\\a.bin").data, c.dest);
      EXPECT_EQ(memdisk::Get("A:\\a.bin").attributes, std::string(c.dest) == "old" ? kept : kAttrArchive);
    } else if (c.folder) {
      EXPECT_TRUE(memdisk::Get("A:\\a.bin").attributes & kAttrDirectory);
    } else {
      names.clear();
    }
    if (*c.left) {
      EXPECT_EQ(memdisk::Get(c.left).data, "old");
      EXPECT_EQ(memdisk::Get(c.left).attributes, kept);
      names.insert(std::string(c.left).substr(3));
    }
    EXPECT_EQ(memdisk::NamesIn("A:\\"), names);
  }
}

TEST(CopyWork, ACopyThatCannotBeDeletedIsNamed) {
  struct Case {
    const char* what;
    uint64_t capacity;
    bool corrupt;
    std::set<int> renames;
    CopyResult kept;  // when the copy can be deleted
  };
  const Case cases[] = {
      {"out of room", 2500, false, {}, CopyResult::CopyFailed},
      {"read back different", UINT64_MAX, true, {}, CopyResult::Differs},
      {"cannot take the name", UINT64_MAX, false, {1}, CopyResult::CopyFailed},
  };
  for (const Case& c : cases) {
    for (bool removable : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (removable ? "" : ", nothing can be deleted"));
      memdisk::Reset(c.capacity);
      memdisk::Put("C:\\src\\a.bin", std::string(2000, 's'));
      memdisk::PutDir("A:\\");
      DiskFiles fs = memdisk::Files();
      if (c.corrupt) fs.copy = CorruptCopy;
      fs.rename = CountedRename;
      fs.remove = FailingRemove;
      g_renames = 0;
      g_failRenames = c.renames;
      g_failRemove = !removable;
      char left[kPathBytes];
      EXPECT_EQ(CopyReplacing(fs, "C:\\src\\a.bin", "A:\\a.bin", true, false, left),
                removable ? c.kept : CopyResult::CopyLeft);
      EXPECT_STREQ(left, removable ? "" : "A:\\~TVR000.TMP");
      EXPECT_EQ(memdisk::NamesIn("A:\\").size(), removable ? 0u : 1u);
    }
  }
}

// A piece on a floppy with sectors that do not read, and the system's copy meeting them: it
// fails there, or (g_quietCopy) stops quietly with what it read before, as some systems do.
bool g_quietCopy;
bool CopyUpToBadSector(const char* from, const char* to) {
  const DiskFiles& fs = memdisk::Files();
  const FileHandle in = fs.openRead(from);
  const FileHandle out = fs.create(to);
  static char buf[65536];
  long n = 0;
  while ((n = fs.read(in, buf, sizeof buf)) > 0) fs.write(out, buf, n);
  fs.close(in);
  fs.close(out);
  return n == 0 || g_quietCopy;
}
bool FailingCopy(const char*, const char*) { return false; }

// The user's answer to the question, and how often it came.
bool g_yes;
int g_asked;
bool Answer(void*) {
  ++g_asked;
  return g_yes;
}

std::string Source50000() {
  std::mt19937 random(7);
  std::string data(50000, 0);
  for (char& c : data) c = static_cast<char>(random() | 1);  // no zero byte of its own
  return data;
}

// A:\a.bin with its time on a fresh model disk with a floppy B:, and no question asked yet.
void PutSource(const std::string& data) {
  memdisk::Reset();
  memdisk::Put("A:\\a.bin", data);
  memdisk::Files().setTimes("A:\\a.bin", CalTime{1999, 3, 7, 14, 5, 8});
  memdisk::PutDir("B:\\");
  g_asked = 0;
}

TEST(CopyWork, UnreadableSectorsAreZerosInTheCopyWhenTheUserAgrees) {
  const std::string data = Source50000();
  // A stretch within two sectors, and one in the short last sector.
  std::string expected = data;
  expected.replace(512, 1024, 1024, '\0');
  expected.replace(49664, 336, 336, '\0');
  for (bool quiet : {false, true}) {
    SCOPED_TRACE(quiet);
    PutSource(data);
    memdisk::FailReadRange("A:\\a.bin", 1000, 1100);
    memdisk::FailReadRange("A:\\a.bin", 49900, 49910);
    DiskFiles fs = memdisk::Files();
    fs.copy = CopyUpToBadSector;
    g_quietCopy = quiet;
    g_yes = true;
    UnreadableSectors u{Answer, nullptr, 0};
    char left[kPathBytes];
    // Read back as a copy to a floppy is: the zeros pass, the rest is compared.
    EXPECT_EQ(CopyReplacing(fs, "A:\\a.bin", "B:\\a.bin", true, false, left, &u), CopyResult::Ok);
    EXPECT_EQ(g_asked, 1);
    EXPECT_EQ(u.unreadBytes, 1360u);
    EXPECT_EQ(memdisk::NamesIn("B:\\"), std::set<std::string>{"a.bin"});
    const memdisk::Entry& copy = memdisk::Get("B:\\a.bin");
    EXPECT_TRUE(copy.data == expected);
    EXPECT_EQ(copy.attributes, kAttrArchive);
    EXPECT_TRUE(copy.hasTime && copy.time.year == 1999 && copy.time.second == 8);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
  }
}

TEST(CopyWork, ACopyOfUnreadableSectorsThatIsDeclinedOrFromAFixedDriveLeavesNothing) {
  struct Case { const char* what; bool destExists; bool fromRemovable; bool quiet; int asked; };
  const Case cases[] = {
      {"declined", false, true, false, 1},
      {"declined, a file there", true, true, false, 1},
      {"fixed drive", false, false, false, 0},
      {"fixed drive, the copy ending quietly", false, false, true, 0},
      {"fixed drive, the copy ending quietly, a file there", true, false, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PutSource(Source50000());
    memdisk::FailReadRange("A:\\a.bin", 40000, 40001);
    if (c.destExists) memdisk::Put("B:\\a.bin", "old");
    DiskFiles fs = memdisk::Files();
    fs.copy = CopyUpToBadSector;
    g_quietCopy = c.quiet;
    g_yes = false;
    UnreadableSectors u{Answer, nullptr, 0};
    char left[kPathBytes];
    EXPECT_EQ(CopyReplacing(fs, "A:\\a.bin", "B:\\a.bin", false, false, left,
                            c.fromRemovable ? &u : nullptr),
              CopyResult::CopyFailed);
    EXPECT_EQ(g_asked, c.asked);
    if (c.destExists) {
      EXPECT_EQ(memdisk::NamesIn("B:\\"), std::set<std::string>{"a.bin"});
      EXPECT_EQ(memdisk::Get("B:\\a.bin").data, "old");
    } else {
      EXPECT_TRUE(memdisk::NamesIn("B:\\").empty());
    }
    EXPECT_EQ(memdisk::OpenHandles(), 0);
  }
}

// The source's sector at 19968: of the reads that touch it, those up to g_failFirst fail, and
// those after g_failAfter. Positions are kept by handle.
int g_failFirst, g_failAfter, g_touched;
std::map<FileHandle, uint64_t> g_pos;
std::set<FileHandle> g_sources;
FileHandle OpenSource(const char* path) {
  const FileHandle f = memdisk::Files().openRead(path);
  if (std::string(path) == "A:\\a.bin") g_sources.insert(f);
  return f;
}
bool TrackedSeek(FileHandle f, uint64_t offset) {
  g_pos[f] = offset;
  return memdisk::Files().seek(f, offset);
}
long FlakyRead(FileHandle f, void* buf, long n) {
  const uint64_t at = g_pos[f];
  if (g_sources.count(f) && at < 20480 && at + n > 19968) {
    ++g_touched;
    if (g_touched <= g_failFirst || g_touched > g_failAfter) return -1;
  }
  const long got = memdisk::Files().read(f, buf, n);
  if (got > 0) g_pos[f] = at + got;
  return got;
}

TEST(CopyWork, ASectorIsReadThreeTimesBeforeItCountsAsUnreadable) {
  const std::string data = Source50000();
  struct Case {
    const char* what;
    int failFirst, failAfter;
    bool zeros;  // the sector is zeros in the copy
  };
  // The first read of the sector is its run's (16 KB), then come the reads of it alone.
  const Case cases[] = {
      {"read at the third try", 3, 1 << 30, false},
      {"not read in three tries", 4, 1 << 30, true},
      // Read in the copy, unreadable when read back: it is passed over as the zeros are.
      {"unreadable when read back", 0, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PutSource(data);
    // Elsewhere a sector that never reads, so that the copy is read back around its zeros.
    memdisk::FailReadRange("A:\\a.bin", 45000, 45001);
    DiskFiles fs = memdisk::Files();
    fs.copy = FailingCopy;
    fs.seek = TrackedSeek;
    fs.read = FlakyRead;
    fs.openRead = OpenSource;
    g_failFirst = c.failFirst;
    g_failAfter = c.failAfter;
    g_touched = 0;
    g_yes = true;
    UnreadableSectors u{Answer, nullptr, 0};
    char left[kPathBytes];
    EXPECT_EQ(CopyReplacing(fs, "A:\\a.bin", "B:\\a.bin", true, false, left, &u), CopyResult::Ok);
    std::string expected = data;
    expected.replace(44544, 512, 512, '\0');
    if (c.zeros) expected.replace(19968, 512, 512, '\0');
    EXPECT_EQ(u.unreadBytes, c.zeros ? 1024u : 512u);
    EXPECT_EQ(g_asked, 1);
    EXPECT_TRUE(memdisk::Get("B:\\a.bin").data == expected);
  }
}

// A floppy that changes one byte of what is written to it at offset g_changeAt.
uint64_t g_changeAt;
long ChangingWrite(FileHandle f, const void* buf, long n) {
  std::string bytes(static_cast<const char*>(buf), static_cast<std::size_t>(n));
  const uint64_t at = g_pos[f];
  if (at <= g_changeAt && at + n > g_changeAt) bytes[g_changeAt - at] ^= 0x40;
  g_pos[f] = at + n;
  return memdisk::Files().write(f, bytes.data(), n);
}

TEST(CopyWork, TheReadBackOfACopyWithZerosComparesEveryByteThatReads) {
  std::mt19937 random(11);
  std::string data(500000, 0);
  for (char& c : data) c = static_cast<char>(random() | 1);
  struct Case {
    const char* what;
    int bad;             // unreadable sectors, every fourth from sector 10 on
    uint64_t changeAt;   // the byte the floppy changes
    CopyResult result;
  };
  const uint64_t kNone = UINT64_MAX;
  const Case cases[] = {
      {"one stretch, a byte changed", 1, 30000, CopyResult::Differs},
      {"200 stretches, none changed", 200, kNone, CopyResult::Ok},
      {"200 stretches, a byte changed among the first", 200, 12 * 512 + 7, CopyResult::Differs},
      {"200 stretches, a byte changed among the last", 200, (10 + 4 * 198 + 2) * 512 + 300,
       CopyResult::Differs},
      {"200 stretches, a byte changed after them", 200, 490000, CopyResult::Differs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PutSource(data);
    std::string expected = data;
    for (int k = 0; k < c.bad; ++k) {
      const uint64_t at = (10 + 4 * static_cast<uint64_t>(k)) * 512 + 100;
      memdisk::FailReadRange("A:\\a.bin", at, at + 1);
      expected.replace(at - 100, 512, 512, '\0');
    }
    DiskFiles fs = memdisk::Files();
    fs.copy = CopyUpToBadSector;
    fs.write = ChangingWrite;
    fs.seek = TrackedSeek;
    g_changeAt = c.changeAt;
    g_quietCopy = false;
    g_yes = true;
    UnreadableSectors u{Answer, nullptr, 0};
    char left[kPathBytes];
    EXPECT_EQ(CopyReplacing(fs, "A:\\a.bin", "B:\\a.bin", true, false, left, &u), c.result);
    if (c.result == CopyResult::Ok) {
      EXPECT_EQ(u.unreadBytes, 512u * c.bad);
      EXPECT_EQ(memdisk::NamesIn("B:\\"), std::set<std::string>{"a.bin"});
      EXPECT_TRUE(memdisk::Get("B:\\a.bin").data == expected);
    } else {
      EXPECT_TRUE(memdisk::NamesIn("B:\\").empty());
    }
    EXPECT_EQ(memdisk::OpenHandles(), 0);
  }
}

// Another program that takes the first free temporary name just after it was looked up: at the
// first creation or copy aimed at it, its file is there.
bool g_taken;
void TakeFirstName(const char* path) {
  if (!g_taken && std::string(path).find("~TVR000.TMP") != std::string::npos) {
    memdisk::Put(path, "theirs");
    g_taken = true;
  }
}
FileHandle TakingCreateNew(const char* path) {
  TakeFirstName(path);
  return memdisk::Files().createNew(path);
}
bool TakingCopy(const char* from, const char* to) {
  TakeFirstName(to);
  return memdisk::Files().copy(from, to);
}

TEST(CopyWork, ATemporaryNameThatAnotherProgramTakesIsLeftAlone) {
  struct Case { const char* what; bool destExists; bool fails; };
  const Case cases[] = {
      {"copied", false, false},
      {"copied over a file", true, false},
      {"out of room", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memdisk::Reset(c.fails ? 3000 : UINT64_MAX);
    memdisk::Put("C:\\src\\a.bin", std::string(2000, 's'));
    memdisk::PutDir("A:\\");
    if (c.destExists) memdisk::Put("A:\\a.bin", "old");
    DiskFiles fs = memdisk::Files();
    fs.createNew = TakingCreateNew;
    fs.copy = TakingCopy;
    g_taken = false;
    char left[kPathBytes];
    EXPECT_EQ(CopyReplacing(fs, "C:\\src\\a.bin", "A:\\a.bin", true, false, left),
              c.fails ? CopyResult::CopyFailed : CopyResult::Ok);
    EXPECT_EQ(memdisk::Get("A:\\~TVR000.TMP").data, "theirs");
    std::set<std::string> names{"~TVR000.TMP"};
    if (!c.fails || c.destExists) names.insert("a.bin");
    EXPECT_EQ(memdisk::NamesIn("A:\\"), names);
    EXPECT_EQ(memdisk::OpenHandles(), 0);
  }
}

TEST(RenameRules, NamesAndPaths) {
  struct Case { const char* name; bool ok; };
  const Case names[] = {{"new.txt", true}, {"", false},        {"a:b", false}, {"a\\b", false},
                        {"../x", false},   {"\x83\x5C", true},  {"x y.", true}};
  for (const Case& c : names) EXPECT_EQ(IsAcceptableNewName(c.name, true), c.ok) << c.name;
  EXPECT_FALSE(IsAcceptableNewName("\x83\x5C", false));  // read as single bytes, 0x5C separates
  char out[kPathBytes];
  ASSERT_TRUE(NewPathOf("C:\\dir\\old.txt", "old.txt", "new.txt", out, sizeof out));
  EXPECT_STREQ(out, "C:\\dir\\new.txt");
  ASSERT_TRUE(NewPathOf("C:\\old", "old", "NEW", out, sizeof out));
  EXPECT_STREQ(out, "C:\\NEW");
  EXPECT_EQ(RenameLimit("C:\\dir\\old.txt", "old.txt"), 249 - 14 + 7);
}

TEST(RenameWork, AttributesStayWithTheEntry) {
  const uint32_t kept = kAttrReadOnly | kAttrHidden | kAttrSystem;
  memdisk::Reset();
  memdisk::Put("C:\\d\\a.txt", "a", kept);
  memdisk::Put("C:\\d\\held.txt", "h", kept);
  const DiskFiles& fs = memdisk::Files();
  EXPECT_TRUE(RenameKeepingAttributes(fs, "C:\\d\\a.txt", "C:\\d\\b.txt"));
  EXPECT_EQ(memdisk::Get("C:\\d\\b.txt").attributes, kept);
  EXPECT_FALSE(memdisk::Has("C:\\d\\a.txt"));
  // Open elsewhere: the rename fails and the old name keeps its attributes.
  FileHandle f = fs.openRead("C:\\d\\held.txt");
  EXPECT_FALSE(RenameKeepingAttributes(fs, "C:\\d\\held.txt", "C:\\d\\c.txt"));
  fs.close(f);
  EXPECT_EQ(memdisk::Get("C:\\d\\held.txt").attributes, kept);
}

TEST(MakeDirRules, PathForms) {
  struct Case { const char* text; bool ok; };
  const Case cases[] = {{"C:\\", false}, {"C:", false},       {"ABC", false}, {"1:\\AB", false},
                        {"C:\\N", true}, {"C:\\NEW\\", true}, {"C:NEW", false}};
  for (const Case& c : cases) EXPECT_EQ(IsDirectoryPathForm(c.text, AsciiLetter), c.ok) << c.text;
  struct Drop { const char* text; bool dbcs; const char* after; };
  const Drop drops[] = {{"C:\\NEW\\", false, "C:\\NEW"},
                        {"C:\\NEW\\\\", false, "C:\\NEW\\"},  // one backslash only
                        {"C:\\\x83\x5C", true, "C:\\\x83\x5C"},  // ソ keeps its second byte
                        {"C:\\\x83\x5C", false, "C:\\\x83"}};
  for (const Drop& d : drops) {
    char text[kPathBytes] = {0};
    CopyBounded(text, sizeof text, d.text);
    DropTrailingBackslash(text, d.dbcs);
    EXPECT_STREQ(text, d.after) << d.text;
  }
  char parent[kPathBytes];
  EXPECT_FALSE(ParentToTest("C:\\NEW", parent, sizeof parent, false));
  ASSERT_TRUE(ParentToTest("C:\\A\\B", parent, sizeof parent, false));
  EXPECT_STREQ(parent, "C:\\A");
  ListedParent("C:\\NEW", parent, sizeof parent, false);
  EXPECT_STREQ(parent, "C:\\");
}

TEST(MakeDirWork, OnlyTheLastComponentIsMade) {
  memdisk::Reset();
  memdisk::PutDir("C:\\A");
  memdisk::Put("C:\\F", "file");
  const DiskFiles& fs = memdisk::Files();
  struct Case { const char* path; MakeDirResult result; };
  const Case cases[] = {{"C:\\NEW", MakeDirResult::Ok},        {"C:\\new", MakeDirResult::Exists},
                        {"C:\\A\\B", MakeDirResult::Ok},       {"C:\\X\\Y", MakeDirResult::NoParent},
                        {"C:\\F\\Y", MakeDirResult::CreateFailed}, {"C:\\F", MakeDirResult::Exists}};
  for (const Case& c : cases) EXPECT_EQ(MakeDirectory(fs, c.path, false), c.result) << c.path;
  EXPECT_TRUE(memdisk::Get("C:\\A\\B").attributes & kAttrDirectory);
  EXPECT_FALSE(memdisk::Has("C:\\X"));
}

}  // namespace
