// Complete deletion on the model disk: what goes, what stays, what is reported.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fileops/delete_work.h"
#include "base/memdisk.h"

using namespace fileops;

namespace {

WipeGenerator g_gen;
std::vector<std::string> g_renamedTo;

void FixedClock(int* hundredths, int* seconds) {
  *hundredths = 42;
  *seconds = 17;
}

bool RecordingRename(const char* from, const char* to) {
  g_renamedTo.push_back(to);
  return memdisk::Files().rename(from, to);
}

const char kProgram[] = "C:\\T\\bin\\TOVRA.EXE";

class Wipe : public ::testing::Test {
 protected:
  void SetUp() override {
    memdisk::Reset();
    g_renamedTo.clear();
    fs_ = memdisk::Files();
    fs_.rename = RecordingRename;
  }
  WipeReport Run(const char* dir) {
    WipeReport r{};
    WipeTree(WipeJob{&fs_, kProgram, &g_gen, FixedClock}, dir, &r);
    return r;
  }
  DiskFiles fs_;
};

TEST_F(Wipe, ATreeGoesButWhatIsKept) {
  memdisk::Put("C:\\T\\a.txt", std::string(32769, 'a'), kAttrReadOnly);
  memdisk::Put("C:\\T\\empty", "");
  memdisk::Put("C:\\T\\sub\\deep\\b.bin", std::string(32768, 'b'), kAttrHidden);
  memdisk::Put("C:\\T\\sub\\.keep", "dot");
  memdisk::Put("C:\\T\\.git\\config", "dot folder");
  memdisk::Put(kProgram, "exe");
  memdisk::Put("C:\\T\\bin\\other.dll", "dll");
  memdisk::PutDir("C:\\T\\hollow");
  const WipeReport r = Run("C:\\T");
  EXPECT_EQ(r.failures, 0) << r.first;
  EXPECT_EQ(memdisk::NamesIn("C:\\T"), (std::set<std::string>{".git", "bin", "sub"}));
  EXPECT_EQ(memdisk::NamesIn("C:\\T\\sub"), std::set<std::string>{".keep"});
  EXPECT_EQ(memdisk::NamesIn("C:\\T\\bin"), std::set<std::string>{"TOVRA.EXE"});
  EXPECT_EQ(memdisk::Get("C:\\T\\.git\\config").data, "dot folder");
  // Each wiped file went under a name of its own length, one character repeated.
  for (const std::string& to : g_renamedTo) {
    const std::string leaf = to.substr(to.find_last_of('\\') + 1);
    EXPECT_EQ(leaf.find_first_not_of(leaf[0]), std::string::npos) << to;
  }
  EXPECT_EQ(g_renamedTo.size(), 4u);
  EXPECT_EQ(memdisk::OpenHandles(), 0);
}

TEST_F(Wipe, WhatCannotBeWipedStaysAndIsReported) {
  memdisk::Put("C:\\T\\locked.txt", "secret", kAttrReadOnly | kAttrSystem);
  memdisk::Put("C:\\T\\held.txt", "open elsewhere");
  memdisk::Put("C:\\T\\gone.txt", "wiped");
  memdisk::FailOpen("C:\\T\\locked.txt");
  FileHandle held = fs_.openRead("C:\\T\\held.txt");
  const WipeReport r = Run("C:\\T");
  fs_.close(held);
  EXPECT_EQ(r.failures, 2);
  EXPECT_EQ(memdisk::NamesIn("C:\\T"), (std::set<std::string>{"held.txt", "locked.txt"}));
  // Not overwritten and given its attributes back.
  EXPECT_EQ(memdisk::Get("C:\\T\\locked.txt").data, "secret");
  EXPECT_EQ(memdisk::Get("C:\\T\\locked.txt").attributes,
            kAttrReadOnly | kAttrSystem);
  // Wiped (it could be written) but not deleted, and not left under a scrambled name.
  EXPECT_EQ(memdisk::Get("C:\\T\\held.txt").data, std::string(14, '\0'));
  EXPECT_TRUE(std::string(r.first) == "C:\\T\\held.txt" || std::string(r.first) == "C:\\T\\locked.txt");
  EXPECT_TRUE(memdisk::Has("C:\\T"));
}

TEST_F(Wipe, EveryPassReachesTheDiskAndTheLengthStays) {
  memdisk::Put("C:\\T\\f.bin", std::string(70000, 'x'));
  WipeGenerator g;
  ASSERT_EQ(OverwriteFile(fs_, "C:\\T\\f.bin", 70000, g, FixedClock), WipeResult::Ok);
  EXPECT_EQ(memdisk::Get("C:\\T\\f.bin").flushes, 4);
  EXPECT_EQ(memdisk::Get("C:\\T\\f.bin").data, std::string(70000, '\0'));
  // A disk that fills up cannot take a pass: the wipe fails and says so.
  memdisk::Reset(10);
  memdisk::Put("C:\\T\\g.bin", "");
  EXPECT_EQ(OverwriteFile(memdisk::Files(), "C:\\T\\g.bin", 20, g, FixedClock),
            WipeResult::WriteFailed);
}

TEST_F(Wipe, TheScanFindsTheProgramAtAnyDepth) {
  memdisk::Put("C:\\T\\bin\\deeper\\x.txt", "x");
  EXPECT_FALSE(TreeHoldsProgram(fs_, "C:\\T", kProgram));
  memdisk::Put(kProgram, "exe");
  EXPECT_TRUE(TreeHoldsProgram(fs_, "C:\\T\\", kProgram));
  EXPECT_TRUE(TreeHoldsProgram(fs_, "c:\\t", "c:\\t\\BIN\\tovra.exe"));
  EXPECT_FALSE(TreeHoldsProgram(fs_, "C:\\T\\bin\\deeper", kProgram));
}

TEST(WipeGeneratorRules, DrawSeedAndReseed) {
  WipeGenerator g;
  g.state = 0;
  EXPECT_EQ(Draw(g), 0u);          // state 1
  EXPECT_EQ(Draw(g), 346u);        // state 22695478
  EXPECT_EQ(SeedOfClock(0, 0), 0u);
  EXPECT_EQ(SeedOfClock(99, 59), 65535u);
  EXPECT_EQ(SeedOfClock(50, 30), 33101u);  // (5000 + 30.5 * 5/3) * 6.5536
  SeedGenerator(g, 65535);
  g.position = kTableSize - 1;
  RefillBytes(g);  // past the last entry: the seed wraps to 1 and the table is drawn again
  EXPECT_EQ(g.seed, 1u);
  EXPECT_EQ(g.position, 0);
  WipeGenerator fresh;
  SeedGenerator(fresh, 1);
  EXPECT_EQ(g.seedTable[0], fresh.seedTable[0]);
  EXPECT_EQ(g.seedTable[kTableSize - 1], fresh.seedTable[kTableSize - 1]);
}

}  // namespace
