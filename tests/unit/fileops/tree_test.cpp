// Attributes, timestamps and the size inquiry through whole trees on the model disk.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "fileops/attributes_work.h"
#include "fileops/delete_work.h"
#include "fileops/sizeinquiry_work.h"
#include "fileops/timestamp_work.h"
#include "base/memdisk.h"

using namespace fileops;

namespace {

const char kProgram[] = "C:\\T\\TOVRA.EXE";

void PutTree() {
  memdisk::Reset();
  memdisk::Put("C:\\T\\a.txt", "a", kAttrArchive);
  memdisk::Put("C:\\T\\sub\\b.txt", "bb", kAttrHidden);
  memdisk::PutDir("C:\\T\\sub", kAttrSystem);
  memdisk::Put("C:\\T\\.dot\\c.txt", "c", kAttrArchive);
  memdisk::Put("C:\\T\\.hidden", "d", kAttrArchive);
}

TEST(AttributeWork, TreeBoxesFollowEachOther) {
  EXPECT_EQ(ToggleSubfolders({false, false, false}).filesOnlyEnabled, true);
  const TreeBoxes off = ToggleSubfolders({true, true, true});
  EXPECT_FALSE(off.subfolders || off.filesOnly || off.filesOnlyEnabled);
  EXPECT_FALSE(ToggleSubfolders({false, true, false}).filesOnly);  // ticking clears files-only
}

TEST(AttributeWork, WalksWithAndWithoutFilesOnly) {
  const AttributeChoice ro{true, false, false, false};
  for (bool filesOnly : {false, true}) {
    PutTree();
    memdisk::Put(kProgram, "exe", kAttrArchive);
    AttributeJob job{&memdisk::Files(), ro, filesOnly, kProgram, 0};
    AttributeWalk(job, "C:\\T");
    EXPECT_EQ(job.failures, 1);  // the program's own file, left alone
    EXPECT_EQ(memdisk::Get(kProgram).attributes, kAttrArchive);
    EXPECT_EQ(memdisk::Get("C:\\T\\a.txt").attributes, kAttrReadOnly);
    EXPECT_EQ(memdisk::Get("C:\\T\\sub\\b.txt").attributes, kAttrReadOnly);
    EXPECT_EQ(memdisk::Get("C:\\T\\sub").attributes,
              filesOnly ? kAttrSystem | kAttrDirectory : kAttrReadOnly | kAttrDirectory);
    EXPECT_EQ(memdisk::Get("C:\\T\\.dot\\c.txt").attributes, kAttrArchive);
    EXPECT_EQ(memdisk::Get("C:\\T\\.hidden").attributes, kAttrArchive);
  }
  // Nothing chosen: a file ends normal, a folder with the folder bit alone.
  PutTree();
  AttributeJob none{&memdisk::Files(), {false, false, false, false}, false, kProgram, 0};
  SetChosenAttributes(none, "C:\\T\\a.txt", false);
  SetChosenAttributes(none, "C:\\T\\sub", true);
  EXPECT_EQ(memdisk::Get("C:\\T\\a.txt").attributes, kAttrNormal);
  EXPECT_EQ(memdisk::Get("C:\\T\\sub").attributes, kAttrDirectory);
  EXPECT_EQ(none.failures, 0);
  SetChosenAttributes(none, "C:\\T\\gone.txt", false);  // a change that does not take counts
  EXPECT_EQ(none.failures, 1);
}

TEST(TimestampRules, Calendar) {
  struct Case { CalTime t; bool ok; CalTime earlier; };
  const Case cases[] = {
      {{2001, 3, 1, 0, 0, 0}, true, {2001, 2, 28, 23, 59, 59}},
      {{2000, 3, 1, 0, 0, 0}, true, {2000, 2, 29, 23, 59, 59}},
      {{2001, 1, 1, 0, 0, 0}, true, {2000, 12, 31, 23, 59, 59}},
      {{2001, 5, 1, 0, 0, 0}, true, {2001, 4, 30, 23, 59, 59}},
      {{2001, 8, 1, 0, 0, 0}, true, {2001, 7, 31, 23, 59, 59}},
      {{2001, 8, 2, 0, 0, 0}, true, {2001, 8, 1, 23, 59, 59}},
      {{2001, 8, 2, 5, 0, 0}, true, {2001, 8, 2, 4, 59, 59}},
      {{2001, 8, 2, 5, 7, 0}, true, {2001, 8, 2, 5, 6, 59}},
      {{2001, 8, 2, 5, 7, 36}, true, {2001, 8, 2, 5, 7, 35}},
      {{1980, 1, 1, 0, 0, 0}, false, {}},
  };
  for (const Case& c : cases) {
    CalTime e;
    ASSERT_EQ(OneSecondEarlier(c.t, &e), c.ok) << c.t.year << "-" << c.t.month << "-" << c.t.day;
    if (c.ok) {
      EXPECT_EQ(std::to_string(e.year) + "-" + std::to_string(e.month) + "-" + std::to_string(e.day) +
                    " " + std::to_string(e.hour) + ":" + std::to_string(e.minute) + ":" +
                    std::to_string(e.second),
                std::to_string(c.earlier.year) + "-" + std::to_string(c.earlier.month) + "-" +
                    std::to_string(c.earlier.day) + " " + std::to_string(c.earlier.hour) + ":" +
                    std::to_string(c.earlier.minute) + ":" + std::to_string(c.earlier.second));
    }
  }
  EXPECT_EQ(DaysInMonth(2, 2000), 29);
  EXPECT_EQ(DaysInMonth(2, 2001), 28);
  EXPECT_EQ(DaysInMonth(2, 1900), 28);
  EXPECT_EQ(DaysInMonth(9, 2001), 30);
  EXPECT_EQ(ClampYear(1975), 1980);
  EXPECT_EQ(ClampYear(2090), 2079);
  EXPECT_EQ(EvenSecond({2001, 1, 1, 0, 0, 37}).second, 36);
  EXPECT_EQ(ChooseTimeMethod(true, Win98), TimeMethod::Direct);
  EXPECT_EQ(ChooseTimeMethod(false, WinNt4), TimeMethod::Direct);
  for (OsKind k : {Win95, Win98, WinMe}) EXPECT_EQ(ChooseTimeMethod(false, k), TimeMethod::Recreation);
}

// A clock a test holds: what it was set to, and whether it may be set at all. Its ticks run
// 30 ms for every folder made.
ClockTime g_clock{{2026, 12, 7, 12, 0, 0}, 0};
uint32_t g_ticks = 0;
bool g_clockSettable = true;
int g_sets = 0;
bool ReadClock(ClockTime* now) {
  *now = g_clock;
  return true;
}
bool SetClock(const ClockTime& t) {
  if (!g_clockSettable) return false;
  g_clock = t;
  ++g_sets;
  return true;
}
uint32_t Ticks() { return g_ticks; }
const MachineClock kTestClock = {ReadClock, SetClock, Ticks};

// Folders made while the test's clock runs get its time, as on a FAT volume.
bool MakeDirAtClock(const char* path) {
  g_ticks += 30;
  if (!memdisk::Files().makeDir(path)) return false;
  return memdisk::Files().setTimes(path, g_clock.time) == TimeResult::Ok;
}

TEST(TimestampWork, RecreationKeepsEverythingWhateverFails) {
  const ClockTime now{{2026, 12, 7, 12, 0, 59}, 980};
  struct Case { bool settable; bool makeFails; int failures; };
  const Case cases[] = {{true, false, 0}, {false, false, 1}, {true, true, 1}};
  for (const Case& c : cases) {
    PutTree();
    memdisk::Put("C:\\T\\!!!", "in the way");
    memdisk::PutDir("C:\\T\\!!!!");
    g_clock = now;
    g_clockSettable = c.settable;
    g_sets = 0;
    DiskFiles fs = memdisk::Files();
    fs.makeDir = c.makeFails ? [](const char*) { return false; } : MakeDirAtClock;
    TimeJob job{&fs, &kTestClock, kProgram, {2001, 3, 1, 0, 0, 1}, false, Win98, false, 0};
    SetPathTime(job, "C:\\T\\sub");
    EXPECT_EQ(job.failures, c.failures);
    EXPECT_EQ(memdisk::Get("C:\\T\\sub\\b.txt").data, "bb");
    EXPECT_EQ(memdisk::Get("C:\\T\\sub").attributes, kAttrSystem | kAttrDirectory);
    EXPECT_EQ(memdisk::NamesIn("C:\\T"),
              (std::set<std::string>{"!!!", "!!!!", ".dot", ".hidden", "a.txt", "sub"}));
    // The clock stands as it would have, to the millisecond.
    const ClockTime back = c.settable ? Later(now, c.makeFails ? 0 : 30) : now;
    EXPECT_EQ(std::make_tuple(g_clock.time.minute, g_clock.time.second, g_clock.millisecond),
              std::make_tuple(back.time.minute, back.time.second, back.millisecond));
    if (c.failures == 0) {
      // Made at T1, one second before the even time: a FAT volume rounds it up to T.
      EXPECT_EQ(g_sets, 2);
      EXPECT_EQ(memdisk::Get("C:\\T\\sub").time.month, 2);
      EXPECT_EQ(memdisk::Get("C:\\T\\sub").time.day, 28);
      EXPECT_EQ(memdisk::Get("C:\\T\\sub").time.second, 59);
    }
  }
  g_clockSettable = true;
  char temp[kPathBytes];
  ASSERT_TRUE(TemporaryFolderFor(memdisk::Files(), "C:\\T\\sub", temp, sizeof temp, false));
  EXPECT_STREQ(temp, "C:\\T\\!!!!!");
}

TEST(TimestampWork, LaterCarriesMillisecondsIntoTheCalendar) {
  struct Case { ClockTime from; uint32_t ms; ClockTime to; };
  const Case cases[] = {
      {{{2026, 12, 7, 12, 0, 0}, 750}, 30, {{2026, 12, 7, 12, 0, 0}, 780}},
      {{{2026, 12, 7, 12, 0, 59}, 980}, 30, {{2026, 12, 7, 12, 1, 0}, 10}},
      {{{2026, 12, 31, 23, 59, 59}, 999}, 1, {{2027, 1, 1, 0, 0, 0}, 0}},
      {{{2000, 2, 28, 23, 59, 59}, 500}, 600, {{2000, 2, 29, 0, 0, 0}, 100}},
      {{{2001, 2, 28, 23, 0, 0}, 0}, 3600000, {{2001, 3, 1, 0, 0, 0}, 0}},
      {{{2001, 1, 30, 0, 0, 0}, 0}, 3 * 86400000u, {{2001, 2, 2, 0, 0, 0}, 0}},
  };
  for (const Case& c : cases) {
    const ClockTime t = Later(c.from, c.ms);
    EXPECT_EQ(std::make_tuple(t.time.year, t.time.month, t.time.day, t.time.hour, t.time.minute,
                              t.time.second, t.millisecond),
              std::make_tuple(c.to.time.year, c.to.time.month, c.to.time.day, c.to.time.hour,
                              c.to.time.minute, c.to.time.second, c.to.millisecond));
  }
}

TEST(TimestampWork, DirectWalkSetsEverythingButTheKeptOnes) {
  PutTree();
  memdisk::Put(kProgram, "exe", kAttrReadOnly);
  memdisk::Put("C:\\T\\ro.txt", "r", kAttrReadOnly | kAttrArchive);
  TimeJob job{&memdisk::Files(), &kTestClock, kProgram, {1999, 12, 31, 23, 59, 37}, false,
              WinNtLater, false, 0};
  TimestampWalk(job, "C:\\T");
  EXPECT_EQ(job.failures, 1);
  EXPECT_EQ(memdisk::Get("C:\\T\\sub\\b.txt").time.second, 36);  // even, not NTFS
  EXPECT_TRUE(memdisk::Get("C:\\T\\sub").hasTime);
  EXPECT_EQ(memdisk::Get("C:\\T\\ro.txt").attributes, kAttrReadOnly | kAttrArchive);
  EXPECT_TRUE(memdisk::Get("C:\\T\\ro.txt").hasTime);
  EXPECT_FALSE(memdisk::Get(kProgram).hasTime);
  EXPECT_FALSE(memdisk::Get("C:\\T\\.dot\\c.txt").hasTime);
  EXPECT_FALSE(memdisk::Get("C:\\T\\.hidden").hasTime);
}

// Lists every file as a million times longer than it is: sums past 4 GiB without the bytes.
bool ListHuge(const char* dir, bool (*visit)(void*, const DirEntry&), void* ctx) {
  struct Pass {
    bool (*visit)(void*, const DirEntry&);
    void* ctx;
  } pass{visit, ctx};
  return memdisk::Files().list(dir,
                               [](void* c, const DirEntry& e) {
                                 auto* p = static_cast<Pass*>(c);
                                 DirEntry big = e;
                                 big.length *= 1000000000ull;
                                 return p->visit(p->ctx, big);
                               },
                               &pass);
}

TEST(SizeInquiryWork, CountsInSixtyFourBits) {
  PutTree();
  memdisk::PutDir("C:\\T\\empty\\inner");
  TreeSize s{0, 0, 0};
  AddUpTree(memdisk::Files(), "C:\\T", &s);
  EXPECT_EQ(s.bytes, 3u);
  EXPECT_EQ(s.files, 2u);
  EXPECT_EQ(s.folders, 3u);  // sub, empty, inner
  DiskFiles huge = memdisk::Files();
  huge.list = ListHuge;
  TreeSize h{0, 0, 0};
  AddUpTree(huge, "C:\\T\\", &h);
  EXPECT_EQ(h.bytes, 3000000000ull);
  TreeSize none{0, 0, 0};
  AddUpTree(memdisk::Files(), "C:\\T\\empty\\inner", &none);
  EXPECT_EQ(none.bytes + none.files + none.folders, 0u);
}

// A tree holding links to a folder and to a file elsewhere, as a junction and a symbolic link
// show in a listing; what is put below the folder link stands for what lies behind it.
void PutTreeWithLinks() {
  PutTree();
  memdisk::PutDir("C:\\T\\sub\\elsewhere", kAttrReparsePoint);
  memdisk::Put("C:\\T\\sub\\elsewhere\\outside.txt", "outside", kAttrArchive);
  memdisk::Put("C:\\T\\sub\\file-link", "target", kAttrArchive | kAttrReparsePoint);
}

void ExpectBehindLinksUntouched() {
  const memdisk::Entry& outside = memdisk::Get("C:\\T\\sub\\elsewhere\\outside.txt");
  EXPECT_EQ(outside.data, "outside");
  EXPECT_EQ(outside.attributes, kAttrArchive);
  EXPECT_FALSE(outside.hasTime);
}

WipeGenerator g_generator;
void NoonClock(int* hundredths, int* seconds) { *hundredths = *seconds = 0; }

TEST(Walks, NeverEnterALink) {
  struct Case {
    const char* walk;
    const char* root;  // the walk's own folder, or a link given as one
  };
  for (const Case c : {Case{"attributes", "C:\\T"}, Case{"timestamp", "C:\\T"},
                       Case{"size", "C:\\T"}, Case{"wipe", "C:\\T"},
                       Case{"attributes", "C:\\T\\sub\\elsewhere"},
                       Case{"timestamp", "C:\\T\\sub\\elsewhere"},
                       Case{"size", "C:\\T\\sub\\elsewhere"},
                       Case{"wipe", "C:\\T\\sub\\elsewhere"}}) {
    SCOPED_TRACE(std::string(c.walk) + " of " + c.root);
    PutTreeWithLinks();
    const std::string walk = c.walk;
    if (walk == "attributes") {
      AttributeJob job{&memdisk::Files(), {true, true, false, false}, false, kProgram, 0};
      AttributeWalk(job, c.root);
      EXPECT_EQ(job.failures, 0);
      EXPECT_EQ(memdisk::Get("C:\\T\\sub\\file-link").attributes, kAttrArchive | kAttrReparsePoint);
    } else if (walk == "timestamp") {
      TimeJob job{&memdisk::Files(), nullptr, kProgram, {2001, 3, 1, 0, 0, 2}, true, WinNtLater,
                  false, 0};
      TimestampWalk(job, c.root);
      EXPECT_EQ(job.failures, 0);
      EXPECT_FALSE(memdisk::Get("C:\\T\\sub\\file-link").hasTime);
    } else if (walk == "size") {
      TreeSize s{0, 0, 0};
      AddUpTree(memdisk::Files(), c.root, &s);
      const bool whole = std::string(c.root) == "C:\\T";
      EXPECT_EQ(s.bytes, whole ? 3u : 0u);  // a.txt and b.txt only
      EXPECT_EQ(s.files, whole ? 2u : 0u);
      EXPECT_EQ(s.folders, whole ? 1u : 0u);
    } else {
      // Where the system cannot remove a link by itself, it stays, named, and so does its folder.
      DiskFiles keeping = memdisk::Files();
      keeping.removeLink = [](const char*, bool) { return false; };
      WipeReport kept{};
      WipeTree(WipeJob{&keeping, kProgram, &g_generator, NoonClock}, c.root, &kept);
      EXPECT_EQ(kept.failures, std::string(c.root) == "C:\\T" ? 2 : 1);
      EXPECT_TRUE(memdisk::Has("C:\\T\\sub\\elsewhere"));
      ExpectBehindLinksUntouched();
      PutTreeWithLinks();
      WipeReport r{};
      WipeTree(WipeJob{&memdisk::Files(), kProgram, &g_generator, NoonClock}, c.root, &r);
      EXPECT_EQ(r.failures, 0) << r.first;
      // The links themselves are gone, and with them the tree that held them.
      EXPECT_FALSE(memdisk::Has("C:\\T\\sub\\elsewhere"));
      EXPECT_EQ(memdisk::Has("C:\\T\\sub\\file-link"), std::string(c.root) != "C:\\T");
      EXPECT_EQ(memdisk::Has("C:\\T\\sub"), std::string(c.root) != "C:\\T");
    }
    ExpectBehindLinksUntouched();
  }
}

TEST(Walks, KnowTheProgramUnderAnyOfItsNames) {
  // The program runs by its own name or by a short name of a folder it is in; the tree holds it
  // under two other names, and a file of its length that is another.
  const char* programs[] = {"C:\\P\\TOVRA.EXE", "C:\\T\\BIN~1\\TOVRA.EXE"};
  const char* names[] = {"C:\\P\\TOVRA.EXE", "C:\\T\\sub\\linked.exe",
                         "C:\\T\\bin folder\\TOVRA.EXE"};
  for (const std::string w : {"attributes", "timestamp", "wipe", "scan"}) {
    for (const char* program : programs) {
      SCOPED_TRACE(w + " with " + program);
      PutTree();
      memdisk::Put("C:\\P\\TOVRA.EXE", "exe");
      memdisk::Link("C:\\P\\TOVRA.EXE", "C:\\T\\sub\\linked.exe");
      memdisk::Link("C:\\P\\TOVRA.EXE", "C:\\T\\bin folder\\TOVRA.EXE");
      memdisk::Alias("C:\\T\\BIN~1", "C:\\T\\bin folder");
      memdisk::Put("C:\\T\\same.exe", "exe");  // as long, and another file
      if (w == "attributes") {
        AttributeJob job{&memdisk::Files(), {true, false, false, false}, false, program, 0};
        AttributeWalk(job, "C:\\T");
        EXPECT_EQ(job.failures, 2);
        EXPECT_EQ(memdisk::Get("C:\\T\\same.exe").attributes, kAttrReadOnly);
      } else if (w == "timestamp") {
        TimeJob job{&memdisk::Files(), nullptr, program, {2001, 3, 1, 0, 0, 2}, true, WinNtLater,
                    false, 0};
        TimestampWalk(job, "C:\\T");
        EXPECT_EQ(job.failures, 2);
        EXPECT_TRUE(memdisk::Get("C:\\T\\same.exe").hasTime);
      } else if (w == "wipe") {
        WipeReport r{};
        WipeTree(WipeJob{&memdisk::Files(), program, &g_generator, NoonClock}, "C:\\T", &r);
        EXPECT_EQ(r.failures, 0) << r.first;
        EXPECT_FALSE(memdisk::Has("C:\\T\\same.exe"));
      } else {
        EXPECT_TRUE(TreeHoldsProgram(memdisk::Files(), "C:\\T\\sub", program));
        EXPECT_TRUE(TreeHoldsProgram(memdisk::Files(), "C:\\T\\bin folder", program));
        EXPECT_FALSE(TreeHoldsProgram(memdisk::Files(), "C:\\T\\.dot", program));
      }
      for (const char* name : names) {
        EXPECT_EQ(memdisk::Get(name).data, "exe") << name;
        EXPECT_EQ(memdisk::Get(name).attributes, kAttrArchive) << name;
        EXPECT_FALSE(memdisk::Get(name).hasTime) << name;
      }
    }
  }
}

}  // namespace
