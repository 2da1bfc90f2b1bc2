// LHA and ZIP archives on disk: reading other tools' archives, round trips,
// updates, damaged input and names that try to leave their folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "crc16.h"
#include "dostime.h"
#include "errors.h"
#include "fsio.h"
#include "lha.h"
#include "listing.h"
#include "ops.h"
#include "stream.h"
#include "testutil.h"
#include "zip.h"

namespace {

#include "known_archives.inc"

using arctest::MixedData;
using arctest::RandomData;
using arctest::ReadAll;
using arctest::WriteAll;
namespace fs = std::filesystem;

std::vector<uint8_t> SampleText() {
  std::string s;
  for (int i = 1; i <= 60; ++i) s += "line " + std::to_string(i) + " of the sample text, repeated words words words\n";
  return std::vector<uint8_t>(s.begin(), s.end());
}

template <size_t N>
std::vector<uint8_t> Bytes(const unsigned char (&a)[N]) {
  return std::vector<uint8_t>(a, a + N);
}

const uint32_t kSampleDos = arc::PackDos({2001, 2, 3, 4, 5, 6});

TEST(KnownArchives, JlhaHeadersOfEveryLevelAreRead) {
  std::vector<uint8_t> levels[] = {Bytes(kJlhaLevel0), Bytes(kJlhaLevel1), Bytes(kJlhaLevel2)};
  arc::LhDecodeRoom room;
  ASSERT_TRUE(room.Make());
  for (int level = 0; level < 3; ++level) {
    arc::MemorySource src(levels[level].data(), levels[level].size());
    arc::Vec<arc::LhaEntry> list;
    ASSERT_EQ(arc::kOk, arc::ListLha(src, &list)) << level;
    ASSERT_EQ(1u, list.size());
    const auto& e = list[0];
    EXPECT_EQ(level, e.level);
    EXPECT_EQ("sample.txt", e.name);
    EXPECT_EQ(0, memcmp(e.method, "-lh5-", 5));
    EXPECT_EQ(SampleText().size(), e.original);
    if (level == 2)
      EXPECT_EQ(981173106, e.mtime);  // 2001-02-03 04:05:06 UTC, where the vectors were made
    else
      EXPECT_EQ(kSampleDos, e.dosTime);
    arc::VectorSink out;
    ASSERT_EQ(arc::kOk, arc::ExtractLhaData(src, e, out, room));
    EXPECT_TRUE(out.bytes == SampleText());
  }
}

TEST(KnownArchives, InfoZipArchiveIsRead) {
  auto z = Bytes(kInfoZip);
  arc::MemorySource src(z.data(), z.size());
  arc::Vec<arc::ZipEntry> list;
  ASSERT_EQ(arc::kOk, arc::ListZip(src, &list));
  ASSERT_EQ(1u, list.size());
  EXPECT_EQ("sample.txt", list[0].name);
  EXPECT_EQ(8, list[0].method);
  EXPECT_EQ(kSampleDos, list[0].dosTime);
  arc::VectorSink out;
  arc::InflateRoom room;
  ASSERT_TRUE(room.Make());
  ASSERT_EQ(arc::kOk, arc::ExtractZipData(src, list[0], out, room));
  EXPECT_TRUE(out.bytes == SampleText());
}

TEST(KnownArchives, DamageIsReportedNotSwallowed) {
  auto l2 = Bytes(kJlhaLevel2);
  auto bad = l2;
  bad[30] ^= 0x40;  // inside the level 2 header, covered by its CRC
  arc::MemorySource s1(bad.data(), bad.size());
  arc::LhaEntry e;
  EXPECT_EQ(arc::kErrHeaderCrc, arc::ReadLhaHeader(s1, 0, &e));

  auto l0 = Bytes(kJlhaLevel0);
  bad = l0;
  bad[9] ^= 1;  // packed size: header checksum no longer matches
  arc::MemorySource s2(bad.data(), bad.size());
  EXPECT_EQ(arc::kErrHeaderCrc, arc::ReadLhaHeader(s2, 0, &e));

  bad = l0;
  bad[bad.size() - 20] ^= 0x10;  // compressed data
  arc::MemorySource s3(bad.data(), bad.size());
  ASSERT_EQ(arc::kOk, arc::ReadLhaHeader(s3, 0, &e));
  arc::VectorSink out;
  arc::LhDecodeRoom lhRoom;
  ASSERT_TRUE(lhRoom.Make());
  int r = arc::ExtractLhaData(s3, e, out, lhRoom);
  EXPECT_TRUE(r == arc::kErrFileCrc || r == arc::kErrBrokenData) << r;

  std::vector<uint8_t> cut(l0.begin(), l0.end() - 40);  // data runs past the end of the file
  arc::MemorySource s4(cut.data(), cut.size());
  EXPECT_NE(arc::kOk, arc::ReadLhaHeader(s4, 0, &e));

  auto z = Bytes(kInfoZip);
  bad = z;
  bad[60] ^= 0x01;  // deflate data
  arc::MemorySource s5(bad.data(), bad.size());
  arc::Vec<arc::ZipEntry> zl;
  ASSERT_EQ(arc::kOk, arc::ListZip(s5, &zl));
  arc::InflateRoom zipRoom;
  ASSERT_TRUE(zipRoom.Make());
  r = arc::ExtractZipData(s5, zl[0], out, zipRoom);
  EXPECT_TRUE(r == arc::kErrFileCrc || r == arc::kErrBrokenData) << r;
  std::vector<uint8_t> noEnd(z.begin(), z.end() - 10);
  arc::MemorySource s6(noEnd.data(), noEnd.size());
  EXPECT_EQ(arc::kErrNotArchive, arc::ListZip(s6, &zl));
}

using ArchiveFiles = arctest::TempDirTest;

TEST_F(ArchiveFiles, LhaRoundTripKeepsBytesNamesAndTimes) {
  auto text = MixedData(150000, 1), noise = RandomData(30000, 2);
  WriteAll("DATA.TXT", text);
  WriteAll("noise.bin", noise);
  WriteAll("empty", {});
  ASSERT_TRUE(arc::SetMTime("DATA.TXT", 1000000001));
  ASSERT_TRUE(arc::SetMTime("noise.bin", 1234567890));
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a DATA DATA.TXT noise.bin empty", arc::ShiftJisLead, &log)) << log;
  ASSERT_TRUE(fs::exists("DATA.LZH"));

  arc::HandleBlock* h = arc::OpenListing("DATA.LZH", true, malloc);
  ASSERT_NE(nullptr, h);
  arc::IndividualInfo info;
  ASSERT_EQ(0, arc::FindFirst(h, "*.*", &info));
  EXPECT_STREQ("DATA.TXT", reinterpret_cast<const char*>(&info) + 26);
  EXPECT_STREQ("-lh5-", info.mode);
  EXPECT_EQ(text.size(), arc::FoundOriginalSize(h));
  ASSERT_EQ(0, arc::FindNext(h, &info));
  EXPECT_STREQ("-lh0-", info.mode);  // noise does not shrink and is stored
  ASSERT_EQ(0, arc::FindNext(h, nullptr));
  EXPECT_EQ(-1, arc::FindNext(h, nullptr));
  EXPECT_EQ(text.size() + noise.size(), arc::FoundOriginalSize(h));
  free(h);

  fs::create_directory("out");
  fs::copy_file("DATA.LZH", "out/DATA.LZH");
  fs::current_path("out");
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("e DATA", arc::ShiftJisLead, &log)) << log;
  EXPECT_TRUE(ReadAll("DATA.TXT") == text);
  EXPECT_TRUE(ReadAll("noise.bin") == noise);
  EXPECT_TRUE(fs::exists("empty") && fs::file_size("empty") == 0);
  EXPECT_EQ(1000000001, arc::StatPath("DATA.TXT").mtime);
  EXPECT_EQ(1234567890, arc::StatPath("noise.bin").mtime);
}

TEST_F(ArchiveFiles, ZipRoundTripKeepsBytesNamesAndTimes) {
  auto text = MixedData(120000, 3), noise = RandomData(20000, 4);
  WriteAll("report.final.doc", text);
  WriteAll("noise.bin", noise);
  ASSERT_TRUE(arc::SetMTime("report.final.doc", 1000000001));
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunZipCommand("report.zip report.final.doc noise.bin", arc::ShiftJisLead, &log)) << log;
  auto z = ReadAll("report.zip");
  arc::MemorySource src(z.data(), z.size());
  arc::Vec<arc::ZipEntry> list;
  ASSERT_EQ(arc::kOk, arc::ListZip(src, &list));
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ("report.final.doc", list[0].name);
  EXPECT_EQ(8, list[0].method);
  EXPECT_EQ(0, list[1].method);
  EXPECT_EQ(1000000001, list[0].mtime);
  EXPECT_EQ(arc::UnixToDos(1000000001), list[0].dosTime);
  fs::create_directory("out");
  fs::current_path("out");
  fs::copy_file("../report.zip", "report.zip");
  ASSERT_EQ(arc::kOk, arc::RunUnzipCommand("report", arc::ShiftJisLead, &log)) << log;
  EXPECT_TRUE(ReadAll("report.final.doc") == text);
  EXPECT_TRUE(ReadAll("noise.bin") == noise);
  EXPECT_EQ(1000000001, arc::StatPath("report.final.doc").mtime);
}

TEST_F(ArchiveFiles, ExtensionCaseFollowsTheFileName) {
  WriteAll("DATA.TXT", {1, 2, 3});
  WriteAll("1234.567", {4});
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a DATA DATA.TXT", nullptr, &log));
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a 1234 1234.567", nullptr, &log));
  auto names = [] {
    std::vector<std::string> v;
    for (auto& e : fs::directory_iterator(".")) v.push_back(e.path().filename().string());
    return v;
  };
  auto has = [&](const std::string& n) {
    auto v = names();
    return std::find(v.begin(), v.end(), n) != v.end();
  };
  EXPECT_TRUE(has("DATA.LZH"));
  EXPECT_TRUE(has("1234.LZH"));
#ifndef _WIN32
  // Names differing only in case are different files here; on Windows they are one.
  WriteAll("data.txt", {5, 6});
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a data data.txt", nullptr, &log));
  EXPECT_TRUE(has("data.lzh"));
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("e data", nullptr, &log));
#endif
}

TEST_F(ArchiveFiles, StemFindsTheArchiveBeforeAFileOfThatName) {
  auto data = MixedData(3000, 12);
  WriteAll("DOCS.TXT", data);
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a DOCS DOCS.TXT", nullptr, &log));
  ASSERT_EQ(arc::kOk, arc::RunZipCommand("DOCS.ZIP DOCS.TXT", nullptr, &log));
  fs::remove("DOCS.TXT");
  WriteAll("DOCS", {'n', 'o', 't'});  // e.g. a merged file named like the stem
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("e DOCS", nullptr, &log)) << log;
  EXPECT_TRUE(ReadAll("DOCS.TXT") == data);
  fs::remove("DOCS.TXT");
  ASSERT_EQ(arc::kOk, arc::RunUnzipCommand("DOCS", nullptr, &log)) << log;
  EXPECT_TRUE(ReadAll("DOCS.TXT") == data);
  EXPECT_EQ(std::vector<uint8_t>({'n', 'o', 't'}), ReadAll("DOCS"));
}

TEST_F(ArchiveFiles, DottedStemFindsTheArchiveBesideItsOriginal) {
  // notes.txt.lzh beside notes.txt: the extraction is asked for "notes.txt".
  const std::vector<uint8_t> original = {'m', 'i', 'n', 'e'};
  arc::Str log;
  for (bool lha : {true, false}) {
    WriteAll("notes.txt", original);
    WriteAll(lha ? "notes.txt.lzh" : "notes.txt.zip", lha ? Bytes(kJlhaLevel2) : Bytes(kInfoZip));
    int r = lha ? arc::RunLhaCommand("e notes.txt", nullptr, &log) : arc::RunUnzipCommand("notes.txt", nullptr, &log);
    ASSERT_EQ(arc::kOk, r) << log;
    EXPECT_TRUE(ReadAll("sample.txt") == SampleText()) << lha;
    EXPECT_TRUE(ReadAll("notes.txt") == original) << lha;
    fs::remove("sample.txt");
  }
  // A plain file with no archive beside it is still refused, and kept.
  WriteAll("other.txt", original);
  EXPECT_EQ(arc::kErrNotArchive, arc::RunLhaCommand("e other.txt", nullptr, &log));
  EXPECT_NE(arc::kOk, arc::RunUnzipCommand("other.txt", nullptr, &log));
  EXPECT_TRUE(ReadAll("other.txt") == original);
}

TEST_F(ArchiveFiles, UpdatingReplacesSameNamesAndKeepsOthers) {
  WriteAll("A.TXT", MixedData(5000, 5));
  WriteAll("B.TXT", MixedData(6000, 6));
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a ARC A.TXT B.TXT", nullptr, &log));
  ASSERT_EQ(arc::kOk, arc::RunZipCommand("ARC.ZIP A.TXT B.TXT", nullptr, &log));
  auto newer = MixedData(7000, 7);
  WriteAll("A.TXT", newer);
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a ARC A.TXT", nullptr, &log));
  ASSERT_EQ(arc::kOk, arc::RunZipCommand("ARC.ZIP A.TXT", nullptr, &log));
  auto b = ReadAll("B.TXT");
  fs::remove("A.TXT");
  fs::remove("B.TXT");
  for (bool lha : {true, false}) {
    arc::HandleBlock* h = arc::OpenListing(lha ? "ARC.LZH" : "ARC.ZIP", lha, malloc);
    ASSERT_NE(nullptr, h);
    int n = 0;
    for (int r = arc::FindFirst(h, "*", nullptr); r == 0; r = arc::FindNext(h, nullptr)) ++n;
    EXPECT_EQ(2, n);
    EXPECT_EQ(newer.size() + b.size(), arc::FoundOriginalSize(h));
    free(h);
    ASSERT_EQ(arc::kOk, lha ? arc::RunLhaCommand("e ARC", nullptr, &log) : arc::RunUnzipCommand("ARC.ZIP", nullptr, &log));
    EXPECT_TRUE(ReadAll("A.TXT") == newer);
    EXPECT_TRUE(ReadAll("B.TXT") == b);
  }
}

std::vector<std::string> EntryNames(const char* archive, bool lha) {
  std::vector<std::string> names;
  arc::HandleBlock* h = arc::OpenListing(archive, lha, malloc);
  arc::IndividualInfo info;
  for (int r = h ? arc::FindFirst(h, "*.*", &info) : -1; r == 0; r = arc::FindNext(h, &info))
    names.push_back(info.fileName);
  free(h);
  return names;
}

std::vector<std::string> FolderNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(".")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// "notes 1.txt" lies beside notes, 1 and 1.txt, which its words name when read one by one.
TEST_F(ArchiveFiles, NamesWithBlanksAreQuotedAndDashesEndTheSwitches) {
  for (const char* n : {"notes", "1", "1.txt"}) WriteAll(n, {'x'});
  struct Case { const char* name; const char* lha; const char* zip; const char* unlha; const char* unzip; };
  const Case cases[] = {
      {"notes 1.txt", "a \"notes 1\" \"notes 1.txt\"", "\"notes 1.zip\"\t\"notes 1.txt\"", "e \"notes 1\"",
       "\"notes 1\""},
      {"-memo.txt", "a -- -memo -memo.txt", "-- -memo.zip -memo.txt", "e -- -memo", "-- -memo"},
      {"%s%d.txt", "a %s%d %s%d.txt", "%s%d.zip %s%d.txt", "e %s%d", "%s%d"},  // '%' means nothing
  };
  for (const Case& c : cases) {
    const std::string stem = std::string(c.name).substr(0, std::strlen(c.name) - 4);
    const auto data = MixedData(3000, 8);
    WriteAll(c.name, data);
    arc::Str log;
    ASSERT_EQ(arc::kOk, arc::RunLhaCommand(c.lha, nullptr, &log)) << c.lha << log;
    ASSERT_EQ(arc::kOk, arc::RunZipCommand(c.zip, nullptr, &log)) << c.zip << log;
    EXPECT_EQ(std::vector<std::string>{c.name}, EntryNames((stem + ".lzh").c_str(), true)) << c.lha;
    EXPECT_EQ(std::vector<std::string>{c.name}, EntryNames((stem + ".zip").c_str(), false)) << c.zip;
    for (const char* extract : {c.unlha, c.unzip}) {
      fs::remove(c.name);
      const bool lha = extract == c.unlha;
      ASSERT_EQ(arc::kOk, lha ? arc::RunLhaCommand(extract, nullptr, &log) : arc::RunUnzipCommand(extract, nullptr, &log))
          << extract << log;
      EXPECT_TRUE(ReadAll(c.name) == data) << extract;
    }
  }
  for (const char* n : {"notes", "1", "1.txt"}) EXPECT_EQ(std::vector<uint8_t>{'x'}, ReadAll(n));
  // Texts that could be read two ways, or not at all, fail and change nothing.
  const std::vector<std::string> before = FolderNames();
  const char* const lhaTexts[] = {"a notes 1 notes 1.txt", "a \"notes 1\" notes 1.txt", "e notes 1", "a -memo -memo.txt",
                                  "e -memo", "a -x DATA 1.txt", "a --", "a \"notes 1 1.txt", "a no\"tes\" 1.txt",
                                  "a \"notes\"1 1.txt", "a \"\" 1.txt"};
  const char* const zipTexts[] = {"notes 1.zip notes 1.txt", "-memo.zip -memo.txt", "\"notes 1.zip 1.txt"};
  const char* const unzipTexts[] = {"notes 1", "-memo"};
  arc::Str log;
  for (const char* t : lhaTexts) EXPECT_EQ(arc::kErrBadCommand, arc::RunLhaCommand(t, nullptr, &log)) << t;
  for (const char* t : zipTexts) EXPECT_EQ(arc::kErrBadCommand, arc::RunZipCommand(t, nullptr, &log)) << t;
  for (const char* t : unzipTexts) EXPECT_EQ(arc::kErrBadCommand, arc::RunUnzipCommand(t, nullptr, &log)) << t;
  EXPECT_EQ(before, FolderNames());
  // Without the file its words would join into, the same plain words are read one by one.
  fs::remove("notes 1.txt");
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a N notes 1.txt", nullptr, &log)) << log;
  EXPECT_EQ((std::vector<std::string>{"notes", "1.txt"}), EntryNames("N.lzh", true));
}

TEST_F(ArchiveFiles, MissingSourcesAndBadCommandsChangeNothing) {
  arc::Str log;
  EXPECT_EQ(arc::kErrFileOpen, arc::RunLhaCommand("a ARC nothere.txt", nullptr, &log));
  EXPECT_EQ(arc::kErrFileOpen, arc::RunZipCommand("ARC.ZIP nothere.txt", nullptr, &log));
  EXPECT_FALSE(fs::exists("ARC.LZH"));
  EXPECT_FALSE(fs::exists("ARC.ZIP"));
  EXPECT_EQ(arc::kErrBadCommand, arc::RunLhaCommand("q ARC", nullptr, &log));
  EXPECT_EQ(arc::kErrBadCommand, arc::RunLhaCommand("", nullptr, &log));
  EXPECT_EQ(arc::kErrArchiveOpen, arc::RunLhaCommand("e NONE", nullptr, &log));
  EXPECT_EQ(arc::kErrArchiveOpen, arc::RunUnzipCommand("NONE", nullptr, &log));
  WriteAll("x.txt", {1});
  // The archive to create must stay inside the current folder.
  EXPECT_EQ(arc::kErrBadCommand, arc::RunLhaCommand("a ..\\ARC x.txt", nullptr, &log));
  EXPECT_EQ(arc::kErrBadCommand, arc::RunZipCommand("../ARC.zip x.txt", nullptr, &log));
  // A file that is not an archive is neither read nor overwritten.
  WriteAll("NOT.LZH", std::vector<uint8_t>(100, 'z'));
  EXPECT_EQ(arc::kErrNotArchive, arc::RunLhaCommand("a NOT x.txt", nullptr, &log));
  EXPECT_EQ(std::vector<uint8_t>(100, 'z'), ReadAll("NOT.LZH"));
  EXPECT_EQ(arc::kErrNotArchive, arc::RunLhaCommand("e NOT", nullptr, &log));
  WriteAll("NOT.ZIP", std::vector<uint8_t>(100, 'z'));
  EXPECT_EQ(arc::kErrNotArchive, arc::RunUnzipCommand("NOT.ZIP", nullptr, &log));
  EXPECT_EQ(arc::kErrNotArchive, arc::RunZipCommand("NOT.ZIP x.txt", nullptr, &log));
  EXPECT_EQ(std::vector<uint8_t>(100, 'z'), ReadAll("NOT.ZIP"));
  EXPECT_EQ(nullptr, arc::OpenListing("NOT.LZH", true, malloc));
  EXPECT_EQ(nullptr, arc::OpenListing("NOT.ZIP", false, malloc));
  EXPECT_EQ(nullptr, arc::OpenListing("absent.zip", false, malloc));
}

TEST_F(ArchiveFiles, DamagedEntryLeavesExistingFileWhole) {
  auto data = MixedData(50000, 9);
  WriteAll("KEEP.TXT", data);
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a K KEEP.TXT", nullptr, &log));
  ASSERT_EQ(arc::kOk, arc::RunZipCommand("K.ZIP KEEP.TXT", nullptr, &log));
  for (const char* name : {"K.LZH", "K.ZIP"}) {
    auto a = ReadAll(name);
    a[a.size() / 2] ^= 0x55;
    WriteAll(name, a);
  }
  WriteAll("KEEP.TXT", {'o', 'l', 'd'});
  EXPECT_NE(arc::kOk, arc::RunLhaCommand("e K", nullptr, &log));
  EXPECT_EQ(std::vector<uint8_t>({'o', 'l', 'd'}), ReadAll("KEEP.TXT"));
  EXPECT_NE(arc::kOk, arc::RunUnzipCommand("K.ZIP", nullptr, &log));
  EXPECT_EQ(std::vector<uint8_t>({'o', 'l', 'd'}), ReadAll("KEEP.TXT"));
  // No temporary files are left behind.
  int files = 0;
  for (auto& e : fs::directory_iterator(".")) files += e.is_regular_file();
  EXPECT_EQ(3, files);
}

TEST_F(ArchiveFiles, ReadOnlyFilesAreReadButNeverReplaced) {
  auto data = MixedData(20000, 11);
  WriteAll("RO.TXT", data);
  fs::permissions("RO.TXT", fs::perms::owner_read);
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a RO RO.TXT", nullptr, &log));
  ASSERT_EQ(arc::kOk, arc::RunZipCommand("RO.ZIP RO.TXT", nullptr, &log));
  EXPECT_EQ(arc::kErrCannotWrite, arc::RunLhaCommand("e RO", nullptr, &log));
  EXPECT_EQ(arc::kErrCannotWrite, arc::RunUnzipCommand("RO.ZIP", nullptr, &log));
  EXPECT_TRUE(ReadAll("RO.TXT") == data);
  fs::permissions("RO.LZH", fs::perms::owner_read);
  auto before = ReadAll("RO.LZH");
  EXPECT_EQ(arc::kErrCannotWrite, arc::RunLhaCommand("a RO RO.TXT", nullptr, &log));
  EXPECT_TRUE(ReadAll("RO.LZH") == before);
}

// Builds an LHA archive with the given stored names around the same small data.
std::vector<uint8_t> LhaWithNames(const std::vector<std::string>& names) {
  std::vector<uint8_t> out;
  for (const auto& n : names) {
    arc::LhaEntry e;
    memcpy(e.method, "-lh0-", 5);
    e.name = arctest::S(n);
    e.packed = e.original = 4;
    e.crc = arc::Crc16Update(0, "evil", 4);
    e.mtime = 1000000000;
    auto h = arc::MakeLhaHeader(e, arc::ShiftJisLead);
    out.insert(out.end(), h.begin(), h.end());
    out.insert(out.end(), {'e', 'v', 'i', 'l'});
  }
  out.push_back(0);
  return out;
}

std::vector<uint8_t> ZipWithNames(const std::vector<std::string>& names) {
  std::vector<uint8_t> out, cd;
  for (const auto& n : names) {
    arc::ZipLocal z{arctest::S(n), 0, arc::ZipCrc32(0, "evil", 4), 4, 4, arc::UnixToDos(1000000000), 1000000000};
    auto c = arc::MakeZipCentralRecord(z, static_cast<uint32_t>(out.size()), 0x20);
    cd.insert(cd.end(), c.begin(), c.end());
    auto l = arc::MakeZipLocalHeader(z);
    out.insert(out.end(), l.begin(), l.end());
    out.insert(out.end(), {'e', 'v', 'i', 'l'});
  }
  auto end = arc::MakeZipEnd(static_cast<uint32_t>(names.size()), static_cast<uint32_t>(cd.size()),
                             static_cast<uint32_t>(out.size()));
  out.insert(out.end(), cd.begin(), cd.end());
  out.insert(out.end(), end.begin(), end.end());
  return out;
}

TEST_F(ArchiveFiles, ListingOfACutArchiveEndsWithItsDamage) {
  std::vector<uint8_t> whole = LhaWithNames({"one.txt", "two.txt", "three.txt"});
  struct Case { size_t cut; int entries; int end; };
  const Case cases[] = {
      {0, 3, -1},                   // whole
      {3, 2, arc::kErrBrokenData},  // the last entry's data is cut short
      {1, 3, -1},                   // only the end mark is missing
  };
  for (const Case& c : cases) {
    WriteAll("CUT.LZH", std::vector<uint8_t>(whole.begin(), whole.end() - c.cut));
    arc::HandleBlock* h = arc::OpenListing("CUT.LZH", true, malloc);
    ASSERT_NE(nullptr, h);
    for (int pass = 0; pass < 2; ++pass) {  // a new search reports the damage again
      int n = 0, r = arc::FindFirst(h, "*.*", nullptr);
      for (; r == 0; r = arc::FindNext(h, nullptr)) ++n;
      EXPECT_EQ(c.entries, n) << c.cut;
      EXPECT_EQ(c.end, r) << c.cut;
      EXPECT_EQ(-1, arc::FindNext(h, nullptr)) << c.cut;
    }
    free(h);
  }
}

TEST_F(ArchiveFiles, EntriesNeverLandOutsideTheFolder) {
  std::vector<std::string> refused = {"../evil1", "..\\evil2", "a/../../evil3", "sub\\..\\..\\evil4", "..", "con.txt"};
  std::vector<std::string> stripped = {"/abs1", "\\abs2", "C:\\abs3", "c:abs4"};
  std::vector<std::string> all = refused;
  all.insert(all.end(), stripped.begin(), stripped.end());
  all.push_back("plain.txt");
  WriteAll("EVIL.LZH", LhaWithNames(all));
  WriteAll("EVIL.ZIP", ZipWithNames(all));
  arc::Str log;
  for (int round = 0; round < 3; ++round) {
    int r = round == 0 ? arc::RunLhaCommand("e EVIL", nullptr, &log)
            : round == 1 ? arc::RunLhaCommand("x EVIL", nullptr, &log)
                         : arc::RunUnzipCommand("EVIL.ZIP", nullptr, &log);
    EXPECT_EQ(arc::kErrUnsafeName, r) << round;
    for (auto& e : fs::recursive_directory_iterator(Outside())) {
      std::string leaf = e.path().filename().string();
      EXPECT_EQ(std::string::npos, leaf.find("evil")) << e.path();
      if (e.path().parent_path() == Outside()) {
        EXPECT_EQ("work", leaf);
      }
    }
    EXPECT_EQ(std::vector<uint8_t>({'e', 'v', 'i', 'l'}), ReadAll("plain.txt"));
    EXPECT_TRUE(fs::exists("abs1") && fs::exists("abs2") && fs::exists("abs3") && fs::exists("abs4")) << round;
    for (const char* f : {"plain.txt", "abs1", "abs2", "abs3", "abs4"}) fs::remove(f);
  }
}

TEST_F(ArchiveFiles, StoredFoldersComeBackWithX) {
  fs::create_directories("tree/sub");
  auto data = MixedData(2000, 10);
  WriteAll("tree/sub/f.txt", data);
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("a T tree/sub/f.txt", nullptr, &log));
  ASSERT_EQ(arc::kOk, arc::RunZipCommand("T.ZIP tree/sub/f.txt", nullptr, &log));
  fs::remove_all("tree");
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("e T", nullptr, &log));
  EXPECT_TRUE(ReadAll("f.txt") == data);  // "e" drops the folders
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("x T", nullptr, &log));
  EXPECT_TRUE(ReadAll("tree/sub/f.txt") == data);
  fs::remove_all("tree");
  ASSERT_EQ(arc::kOk, arc::RunUnzipCommand("T.ZIP", nullptr, &log));
  EXPECT_TRUE(ReadAll("tree/sub/f.txt") == data);
  // An extraction folder and a name filter.
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("e T outdir\\ f.txt", nullptr, &log));
  EXPECT_TRUE(ReadAll("outdir/f.txt") == data);
  EXPECT_EQ(arc::kErrNoMatch, arc::RunLhaCommand("e T nothing.*", nullptr, &log));
}

#ifndef _WIN32
// Shift-JIS bytes are plain bytes in POSIX file names; under Windows the system
// code page decides, which the Wine tests cover.
TEST_F(ArchiveFiles, ShiftJisFileNamesRoundTrip) {
  const std::string name = "\x83\x5C\x95\x5C.txt", dir = "\x83\x5C";
  auto data = MixedData(4000, 13);
  fs::create_directory(dir);
  WriteAll(dir + "/" + name, data);
  arc::Str log;
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand(arctest::S("a SJ " + dir + "/" + name), arc::ShiftJisLead, &log)) << log;
  ASSERT_EQ(arc::kOk, arc::RunZipCommand(arctest::S("SJ.ZIP " + dir + "/" + name), arc::ShiftJisLead, &log)) << log;
  fs::remove_all(dir);
  ASSERT_EQ(arc::kOk, arc::RunLhaCommand("e SJ", arc::ShiftJisLead, &log)) << log;
  EXPECT_TRUE(ReadAll(name) == data);
  ASSERT_EQ(arc::kOk, arc::RunUnzipCommand("SJ.ZIP", arc::ShiftJisLead, &log)) << log;
  EXPECT_TRUE(ReadAll(dir + "/" + name) == data);
}
#endif

// The header's folder extension splits the name where the name was joined, with the lead-byte
// test it was joined with: a second byte 0x5C stays, a last byte of a single-byte code page
// (é, 0xE9) is no lead byte.
TEST(ShiftJisNames, HeaderFoldersSplitWhereTheNameWasJoined) {
  auto extension = [](char type, const std::string& data) {
    return std::string{static_cast<char>(data.size() + 3), 0, type} + data;
  };
  struct Case { std::string name; arc::LeadByteFn lead; std::string dir, file; };
  const Case cases[] = {
      {"\x83\x5C\\\x95\x5C.txt", arc::ShiftJisLead, "\x83\x5C\xFF", "\x95\x5C.txt"},
      {"caf\xE9/x.txt", nullptr, "caf\xE9\xFF", "x.txt"},
  };
  for (const Case& c : cases) {
    arc::LhaEntry e;
    memcpy(e.method, "-lh0-", 5);
    e.name = arctest::S(c.name);
    const auto h = arc::MakeLhaHeader(e, c.lead);
    const std::string bytes(h.begin(), h.end());
    EXPECT_NE(std::string::npos, bytes.find(extension('\x01', c.file))) << c.name;
    EXPECT_NE(std::string::npos, bytes.find(extension('\x02', c.dir))) << c.name;
  }
}

TEST(ShiftJisNames, BytesSurviveHeadersAndSplitting) {
  // "ソ表.txt" in Shift-JIS: both characters end in 0x5C, the backslash byte.
  const std::string sjis = "\x83\x5C\x95\x5C.txt";
  arc::LhaEntry e;
  memcpy(e.method, "-lh0-", 5);
  e.name = arctest::S("\x83\x5C\x95\x5C\\" + sjis);  // a folder of the same name
  auto h = arc::MakeLhaHeader(e, arc::ShiftJisLead);
  h.push_back(0);
  arc::MemorySource src(h.data(), h.size());
  arc::LhaEntry back;
  ASSERT_EQ(arc::kOk, arc::ReadLhaHeader(src, 0, &back));
  EXPECT_EQ(e.name, back.name);
  arc::Vec<arc::Str> parts;
  ASSERT_EQ(arc::NameCheck::kOk, arc::SplitSafeName(back.name, arc::ShiftJisLead, true, &parts));
  ASSERT_EQ(2u, parts.size());
  EXPECT_EQ(sjis, parts[1]);
  // Read as single bytes the same name splits at each 0x5C.
  ASSERT_EQ(arc::NameCheck::kOk, arc::SplitSafeName(back.name, nullptr, true, &parts));
  EXPECT_EQ(5u, parts.size());
}

}  // namespace
