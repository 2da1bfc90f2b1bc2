// The command line's parts that need no run of the command: its arguments, sizes and names,
// local times on POSIX systems, the POSIX file seam on a folder of the test's own, and the file
// table of the check that writes nothing.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "args.h"
#include "base/diskfiles.h"
#include "base/diskfiles_posix.h"
#include "dryfiles.h"
#include "engine/divide_work.h"
#include "engine/merge_work.h"
#include "names.h"

using namespace cli;

namespace {

Args Parse(std::vector<const char*> words) {
  words.insert(words.begin(), "tovra");
  return ParseArgs(static_cast<int>(words.size()), words.data());
}

TEST(Args, CommandsOptionsAndOperands) {
  Args a = Parse({"divide", "--size", "720K", "-t", "out", "big file.iso"});
  EXPECT_EQ(a.error, "");
  EXPECT_EQ(a.command, Command::Divide);
  EXPECT_EQ(a.blocks, 72);
  EXPECT_EQ(a.to, "out");
  EXPECT_EQ(a.operands, std::vector<std::string>{"big file.iso"});

  // Options after the operand, values after '=', and '--' before a name that begins with '-'.
  a = Parse({"divide", "--", "-q", "--size=1.2M"});
  EXPECT_EQ(a.operands, (std::vector<std::string>{"-q", "--size=1.2M"}));
  EXPECT_EQ(a.error, "one file at a time");
  a = Parse({"divide", "-", "--size=1.2M", "-q"});
  EXPECT_EQ(a.operands, std::vector<std::string>{"-"});
  EXPECT_EQ(a.blocks, 120);
  EXPECT_TRUE(a.quiet);

  a = Parse({"merge", "--delete", "-y"});
  EXPECT_EQ(a.error, "");
  EXPECT_TRUE(a.remove && a.yes && a.operands.empty());
  a = Parse({"disks", "set", "--to", "/media/floppy", "--capacity", "720K", "--no-rundelo"});
  EXPECT_EQ(a.error, "");
  EXPECT_EQ(a.capacity, 730112);
  EXPECT_EQ(a.cluster, 1024);
  EXPECT_TRUE(a.noRundelo);
  EXPECT_TRUE(Parse({"check", "--help"}).help);
  EXPECT_TRUE(Parse({"--help"}).help);

  const struct {
    std::vector<const char*> words;
    const char* error;
  } refused[] = {
      {{"split"}, "unknown command split"},
      {{"divide", "--size", "1.5M", "f"}, "--size 1.5M is not a division size (1.44M, 1.2M, 720K, 640K, or 10K to 1440K in steps of 10K)"},
      {{"divide", "f", "--size"}, "--size needs a value"},
      {{"divide", "f", "--keep"}, "unknown option --keep"},
      {{"divide"}, "which file? (tovra divide FILE)"},
      {{"merge", "--keep=1"}, "--keep takes no value"},
      {{"merge", "--keep", "--delete"}, "--keep or --delete, not both"},
      {{"check", "a", "b"}, "one folder at a time"},
      {{"disks", "set"}, "where are the disks? (tovra disks DIR --to MOUNTPOINT)"},
      {{"disks", "set", "--to", "m", "--capacity", "0"}, "--capacity 0 is not a disk size (1.44M, 1.2M, 720K, or the free bytes of an empty disk)"},
      {{"merge", "--codepage", "437"}, "--codepage 437 is not a code page of the record's name (932 or 1252)"},
      {{"-x"}, "unknown option -x"},
  };
  for (const auto& r : refused) EXPECT_EQ(Parse(r.words).error, r.error) << r.words[0];
}

TEST(Args, DivisionSizes) {
  const struct {
    const char* text;
    int blocks;
  } sizes[] = {{"1.44M", 144}, {"1.44m", 144}, {"1.2M", 120}, {"720K", 72}, {"640k", 64}, {"10K", 1},
               {"1440K", 144}, {"350K", 35}, {"1440000", 144}, {"20000", 2}, {"9K", 0}, {"15K", 0},
               {"1450K", 0}, {"1440001", 0}, {"", 0}, {"K", 0}, {"-10K", 0}, {"1e4", 0}, {"1.4M", 0}};
  for (const auto& s : sizes) EXPECT_EQ(BlocksOfSize(s.text), s.blocks) << s.text;
}

// Names here are UTF-8; the record holds Shift-JIS or Western bytes, read back the same.
TEST(Names, BetweenThisSystemAndTheRecord) {
  const struct {
    const char* local;
    Codepage codepage;
    bool ok;
    const char* record;
    bool dbcs932;
  } names[] = {
      {"data.lzh", Codepage::Auto, true, "data.lzh", false},
      {"\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.lzh", Codepage::Auto, true, "\x83\x66\x81\x5B\x83\x5E.lzh", true},
      {"\xE3\x82\xBD\xE8\xA1\xA8.txt", Codepage::Auto, true, "\x83\x5C\x95\x5C.txt", true},  // trail bytes 0x5C
      {"caf\xC3\xA9.txt", Codepage::Auto, true, "caf\xE9.txt", false},
      {"\xC3\x97.txt", Codepage::Auto, true, "\x81\x7E.txt", true},  // in both: 932 first
      {"\xC3\x97.txt", Codepage::Cp1252, true, "\xD7.txt", false},
      {"\xE3\x83\x87.txt", Codepage::Cp1252, false, "", false},
      {"\xF0\x9F\x98\x80.txt", Codepage::Auto, false, "", false},  // in neither
      {"raw\x83\x5C.bin", Codepage::Auto, true, "raw\x83\x5C.bin", true},  // not UTF-8: as it is
  };
  for (const auto& n : names) {
    const RecordName r = RecordNameOf(n.local, n.codepage);
    EXPECT_EQ(r.ok, n.ok) << n.local;
    if (!n.ok) continue;
    EXPECT_EQ(r.bytes, n.record) << n.local;
    EXPECT_EQ(r.dbcs932, n.dbcs932) << n.local;
    if (IsUtf8(n.local)) {
      EXPECT_EQ(LocalNameOf(r.bytes, n.codepage == Codepage::Auto ? (r.dbcs932 ? Codepage::Cp932 : Codepage::Cp1252)
                                                                   : n.codepage),
                n.local);
    }
  }
  EXPECT_EQ(LocalNameOf("\x83\x66\x81\x5B\x83\x5E.lzh", Codepage::Auto), "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF.lzh");
  EXPECT_EQ(LocalNameOf("caf\xE9.txt", Codepage::Auto), "caf\xC3\xA9.txt");
  EXPECT_EQ(LocalNameOf("caf\xC3\xA9.txt", Codepage::Auto), "caf\xC3\xA9.txt");  // UTF-8 already
}

TEST(Names, ShownWithoutControlsOrBrokenCharacters) {
  const struct {
    const char* name;
    bool utf8;
    const char* shown;
  } names[] = {
      {"plain name.txt", true, "plain name.txt"},
      {"\xE3\x83\x87.txt", true, "\xE3\x83\x87.txt"},
      {"\xE3\x83\x87.txt", false, "\\xE3\\x83\\x87.txt"},
      {"\x83\x66.txt", true, "\\x83f.txt"},
      {"a\x1B[2Jb\n", true, "a\\x1B[2Jb\\x0A"},
      {"a\xC2\x9B" "31m", true, "a\\xC2\\x9B31m"},
      {"back\\slash", true, "back\\x5Cslash"},
  };
  for (const auto& n : names) EXPECT_EQ(Shown(n.name, n.utf8), n.shown) << n.shown;
}

class WithZone : public ::testing::Test {
 protected:
  void Zone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
  }
};

uint64_t FileTime(int64_t unixSeconds) { return static_cast<uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL; }

TEST_F(WithZone, LocalTimesOfFileTimes) {
  const struct {
    const char* zone;
    int64_t seconds;
    CalTime local;
  } times[] = {
      {"UTC0", 0, {1970, 1, 1, 0, 0, 0}},
      {"UTC0", 951782400, {2000, 2, 29, 0, 0, 0}},
      {"UTC0", 4107542399, {2100, 2, 28, 23, 59, 59}},
      {"UTC0", -11644473600, {1601, 1, 1, 0, 0, 0}},
      {"JST-9", 951782400, {2000, 2, 29, 9, 0, 0}},
      {"EST5", 0, {1969, 12, 31, 19, 0, 0}},
  };
  for (const auto& t : times) {
    Zone(t.zone);
    CalTime got{};
    EXPECT_TRUE(LocalTimeOfFileTime(FileTime(t.seconds), &got)) << t.zone << " " << t.seconds;
    EXPECT_EQ(std::vector<int>({got.year, got.month, got.day, got.hour, got.minute, got.second}),
              std::vector<int>({t.local.year, t.local.month, t.local.day, t.local.hour, t.local.minute,
                                t.local.second}))
        << t.zone << " " << t.seconds;
    uint64_t back = 0;
    EXPECT_TRUE(FileTimeOfLocalTime(t.local, &back));
    EXPECT_EQ(back, FileTime(t.seconds));
  }
  Zone("UTC0");
  uint64_t ignored = 0;
  EXPECT_FALSE(FileTimeOfLocalTime(CalTime{2001, 2, 29, 0, 0, 0}, &ignored));
  EXPECT_FALSE(FileTimeOfLocalTime(CalTime{1600, 12, 31, 23, 59, 59}, &ignored));
}

// The Windows rule: every time by the offset as it is now, so a zone with daylight saving gives
// the same offset to a summer and a winter time.
TEST_F(WithZone, OneOffsetForEveryTime) {
  Zone("CET-1CEST,M3.5.0,M10.5.0/3");
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const int hour = static_cast<int>(12 + local.tm_gmtoff / 3600);
  CalTime summer{}, winter{};
  ASSERT_TRUE(LocalTimeOfFileTime(FileTime(1593604800), &summer));  // 2020-07-01 12:00 UTC
  ASSERT_TRUE(LocalTimeOfFileTime(FileTime(1577880000), &winter));  // 2020-01-01 12:00 UTC
  EXPECT_EQ(summer.hour, hour);
  EXPECT_EQ(winter.hour, hour);
}

std::string TestFolder(const char* name) {
  const char* base = std::getenv("TOVRA_TMP");
  std::string dir = std::string(base ? base : "/tmp/tovra-cli-unit");
  mkdir(dir.c_str(), 0777);
  dir += std::string("/") + name;
  std::system(("rm -rf '" + dir + "'").c_str());
  mkdir(dir.c_str(), 0777);
  return dir + "/";
}

void Put(const std::string& path, const std::string& data) { std::ofstream(path, std::ios::binary) << data; }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<none>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> out;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = d ? readdir(d) : nullptr) {
    if (e->d_name[0] != '.') out.insert(e->d_name);
  }
  if (d) closedir(d);
  return out;
}

// Every entry of a file table is filled: one that the seam gains and a table here lacks would
// be a null call.
TEST(PosixFiles, EveryEntryOfTheTablesIsThere) {
  for (const DiskFiles* fs : {&SystemFiles(), &DryFiles(SystemFiles())}) {
    static_assert(sizeof(DiskFiles) % sizeof(void (*)()) == 0, "a table of calls only");
    void (*calls[sizeof(DiskFiles) / sizeof(void (*)())])();
    std::memcpy(calls, fs, sizeof(calls));
    for (auto* call : calls) EXPECT_NE(call, nullptr);
  }
}

TEST(PosixFiles, TheSeamOnThisSystem) {
  const DiskFiles& fs = SystemFiles();
  const std::string dir = TestFolder("seam");
  Put(dir + "FILE-3", "three");
  // A name in another letter case is found, for reading, as Windows finds it; one that is
  // there as asked is taken first.
  FileHandle f = fs.openRead((dir + "file-3").c_str());
  ASSERT_NE(f, kNoFile);
  char buf[16] = {};
  EXPECT_EQ(fs.read(f, buf, sizeof(buf)), 5);
  EXPECT_EQ(fs.read(f, buf, sizeof(buf)), 0);
  fs.close(f);
  DirEntry e;
  ASSERT_TRUE(fs.lookup((dir + "file-3").c_str(), &e));
  EXPECT_STREQ(e.name, "FILE-3");
  EXPECT_EQ(e.length, 5u);
  Put(dir + "file-3", "lower");
  ASSERT_TRUE(fs.lookup((dir + "file-3").c_str(), &e));
  EXPECT_STREQ(e.name, "file-3");

  // A new file only where the name is free; a rename never replaces.
  EXPECT_EQ(fs.createNew((dir + "file-3").c_str()), kNoFile);
  EXPECT_FALSE(fs.rename((dir + "FILE-3").c_str(), (dir + "file-3").c_str()));
  EXPECT_EQ(Slurp(dir + "file-3"), "lower");
  EXPECT_TRUE(fs.rename((dir + "FILE-3").c_str(), (dir + "moved").c_str()));
  EXPECT_EQ(Slurp(dir + "moved"), "three");
  EXPECT_FALSE(fs.copy((dir + "moved").c_str(), (dir + "file-3").c_str()));
  EXPECT_TRUE(fs.copy((dir + "moved").c_str(), (dir + "copied").c_str()));
  EXPECT_EQ(Slurp(dir + "copied"), "three");

  // What stands under a piece's name but is no file is never opened as one, nor waited on.
  mkdir((dir + "file-4").c_str(), 0777);
  mkfifo((dir + "file-5").c_str(), 0666);
  for (const char* name : {"file-4", "file-5"}) {
    EXPECT_EQ(fs.openRead((dir + name).c_str()), kNoFile) << name;
    EXPECT_EQ(fs.create((dir + name).c_str()), kNoFile) << name;
    EXPECT_FALSE(fs.remove((dir + "file-4").c_str())) << name;
  }
  ASSERT_TRUE(fs.lookup((dir + "file-4").c_str(), &e));
  EXPECT_TRUE(e.attributes & kAttrDirectory);

  // Removal does not care for permissions, and attributes change nothing here.
  chmod((dir + "moved").c_str(), 0444);
  EXPECT_EQ(fs.getAttributes((dir + "moved").c_str()) & kAttrReadOnly, kAttrReadOnly);
  EXPECT_TRUE(fs.setAttributes((dir + "moved").c_str(), kAttrNormal));
  EXPECT_EQ(fs.getAttributes((dir + "moved").c_str()) & kAttrReadOnly, kAttrReadOnly);
  EXPECT_TRUE(RemoveForced(fs, (dir + "moved").c_str()));
  EXPECT_FALSE(fs.setAttributes((dir + "moved").c_str(), kAttrNormal));

  // Overwritten in place, nothing cut; the time as local calendar fields.
  f = fs.openWrite((dir + "copied").c_str());
  ASSERT_NE(f, kNoFile);
  EXPECT_TRUE(fs.seek(f, 1));
  EXPECT_EQ(fs.write(f, "HR", 2), 2);
  fs.close(f);
  EXPECT_EQ(Slurp(dir + "copied"), "tHRee");
  ASSERT_EQ(fs.setTimes((dir + "copied").c_str(), CalTime{1999, 3, 7, 14, 5, 9}), TimeResult::Ok);
  struct stat st;
  ASSERT_EQ(stat((dir + "copied").c_str(), &st), 0);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::tm utc{};
  const std::time_t shifted = st.st_mtime + local.tm_gmtoff;
  gmtime_r(&shifted, &utc);
  EXPECT_EQ(std::vector<int>({utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec}),
            std::vector<int>({1999, 3, 7, 14, 5, 9}));
  EXPECT_EQ(fs.setTimes((dir + "none").c_str(), CalTime{1999, 3, 7, 14, 5, 9}), TimeResult::CannotOpen);

  // Stopped, nothing more is opened, read or written, but removals still work (in a process
  // of its own: the stop holds to the end).
  EXPECT_EXIT(
      {
        const FileHandle open = fs.openRead((dir + "copied").c_str());
        StopFileWork();
        const bool refused = fs.read(open, buf, 1) == -1 && fs.openRead((dir + "copied").c_str()) == kNoFile &&
                             fs.create((dir + "new").c_str()) == kNoFile;
        std::exit(refused && open != kNoFile && fs.remove((dir + "copied").c_str()) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Slurp(dir + "copied"), "<none>");
}

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  uint32_t x = 7;
  for (char& c : s) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  return s;
}

// The check runs Tovra's merge on a table that writes nothing: the folder is as it was, and what
// the merge found is what the real merge finds.
TEST(DryFiles, TheMergeJudgesAndWritesNothing) {
  const std::string dir = TestFolder("dry");
  const std::string data = Pattern(75000);
  const std::string source = dir + "data.bin";
  Put(source, data);
  const engine::DivideJob job{dir.c_str(), source.c_str(), "data.bin", data.size(),
                              {2000, 1, 2, 3, 4, 6}, engine::PlanDivision(data.size(), 2), false};
  ASSERT_EQ(engine::DivideFile(SystemFiles(), job).result, engine::DivideResult::Ok);
  ASSERT_EQ(std::remove(source.c_str()), 0);
  for (int k : {2, 3}) {  // block 0 of one, block 1 of the other
    std::string piece = Slurp(dir + "file-" + std::to_string(k));
    piece[k == 2 ? 5 : 12345] ^= 1;
    Put(dir + "file-" + std::to_string(k), piece);
  }
  const std::set<std::string> before = Names(dir);

  pieceset::InfoRecord rec;
  pieceset::InfoValues vals;
  static pieceset::Checks checks;
  ASSERT_TRUE(engine::ReadInformationFile(SystemFiles(), (dir + "file-0").c_str(), false, &rec, &vals, &checks).checked);
  static int asked;
  asked = 0;
  engine::MergeJob merge{dir.c_str(), "file-", "data.bin", vals.size, vals.count, kAttrArchive, vals.time,
                         [](void*, int64_t) { return true; }, nullptr, &checks,
                         [](void*, const pieceset::BadPieces&, int blocks, bool) { asked = blocks; return false; },
                         nullptr};
  const engine::MergeOutcome dry = engine::MergePieces(DryFiles(SystemFiles()), merge);
  EXPECT_EQ(dry.result, engine::MergeResult::RebuildDeclined);
  EXPECT_EQ(Names(dir), before);
  const int dryBlocks = asked;

  const engine::MergeOutcome real = engine::MergePieces(SystemFiles(), merge);
  EXPECT_EQ(real.result, engine::MergeResult::RebuildDeclined);
  EXPECT_EQ(asked, dryBlocks);
  EXPECT_EQ(real.bad.count, dry.bad.count);
  EXPECT_EQ(real.bad.piece[0], dry.bad.piece[0]);
  EXPECT_EQ(real.bad.piece[1], dry.bad.piece[1]);
  EXPECT_EQ(Names(dir), before);

  EXPECT_EQ(dryBlocks, 2);

  // A set without a check line: its size check sees the lengths the merge would have written.
  merge.checks = nullptr;
  EXPECT_EQ(engine::MergePieces(DryFiles(SystemFiles()), merge).result, engine::MergeResult::Ok);
  EXPECT_EQ(Names(dir), before);
}

}  // namespace
