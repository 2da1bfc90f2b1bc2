// Compress and decompress: the names and command texts the libraries get, and what a listing
// allows before anything is extracted.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "archive/archive_work.h"
#include "base/memdisk.h"

using namespace archive;

namespace {

bool AsciiLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool AsciiLower(char c) { return std::islower(static_cast<unsigned char>(c)) != 0; }

// "ソ表" in Shift-JIS: both characters end in the byte 0x5C.
const std::string kSoHyo = "\x83\x5C\x95\x5C";

TEST(CompressNames, StemExtensionCaseAndCommand) {
  struct Case { Tool tool; std::string name; const char* archive; std::string command; };
  const Case cases[] = {
      {Tool::Zip, "report.final.doc", "report.zip", "report.zip report.final.doc"},
      {Tool::Lha, "DATA.TXT", "DATA.LZH", "a DATA DATA.TXT"},
      {Tool::Lha, "data.txt", "data.lzh", "a data data.txt"},
      {Tool::Zip, "1234.567", "1234.ZIP", "1234.ZIP 1234.567"},  // no letter: upper case
      {Tool::Lha, "README.md", "README.lzh", "a README README.md"},
      {Tool::Zip, "noext", "noext.zip", "noext.zip noext"},
      {Tool::Lha, kSoHyo + ".TXT", nullptr, "a " + kSoHyo + " " + kSoHyo + ".TXT"},
      // A name with a blank is quoted; before a first name with a dash the switches end.
      {Tool::Lha, "notes 1.txt", "notes 1.lzh", "a \"notes 1\" \"notes 1.txt\""},
      {Tool::Zip, "notes 1.txt", "notes 1.zip", "\"notes 1.zip\" \"notes 1.txt\""},
      {Tool::Lha, "x.v 2.TXT", "x.LZH", "a x \"x.v 2.TXT\""},
      {Tool::Lha, "-memo.txt", "-memo.lzh", "a -- -memo -memo.txt"},
      {Tool::Zip, "-memo.txt", "-memo.zip", "-- -memo.zip -memo.txt"},
      {Tool::Zip, "- a.b c", "- a.zip", "-- \"- a.zip\" \"- a.b c\""},
      {Tool::Lha, "%s%d.txt", "%s%d.lzh", "a %s%d %s%d.txt"},  // no meaning to the libraries
  };
  for (const Case& c : cases) {
    CompressNames n;
    const bool lower = LowerExtension(c.name.c_str(), true, AsciiLetter, AsciiLower);
    ASSERT_TRUE(NameCompression(c.tool, c.name.c_str(), lower, &n)) << c.name;
    EXPECT_STREQ(n.archive, c.archive ? c.archive : (kSoHyo + ".LZH").c_str()) << c.name;
    EXPECT_EQ(n.command, c.command) << c.name;
  }
  // The trail byte of ア (0x83 0x41) is not the letter A in Japanese.
  EXPECT_TRUE(LowerExtension("x\x83\x41", true, AsciiLetter, AsciiLower));
  EXPECT_FALSE(LowerExtension("x\x83\x41", false, AsciiLetter, AsciiLower));
  CompressNames n;
  EXPECT_FALSE(NameCompression(Tool::Zip, std::string(300, 'x').c_str(), true, &n));
  EXPECT_FALSE(NameCompression(Tool::Zip, "a\"b.txt", true, &n));  // cannot be one word
}

TEST(Libraries, LoadedFromTheProgramsFolderOnly) {
  char path[258];
  ASSERT_TRUE(LibraryPath(("C:\\" + kSoHyo + "\\TOVRA.EXE").c_str(), "UNLHA32.DLL", true, path,
                          sizeof path));
  EXPECT_EQ(path, "C:\\" + kSoHyo + "\\UNLHA32.DLL");
  EXPECT_FALSE(LibraryPath("TOVRA.EXE", "UNLHA32.DLL", true, path, sizeof path));
  EXPECT_FALSE(LibraryPath(("C:\\" + std::string(250, 'd') + "\\T.EXE").c_str(), "UNZIP32.DLL",
                           true, path, sizeof path));
}

TEST(DecompressNames, ToolFromTheName) {
  struct Case { const char* name; Tool before, after; };
  const Case cases[] = {
      {"DOCS.LZH", Tool::Zip, Tool::Lha}, {"docs.zip", Tool::Lha, Tool::Zip},
      {"a.zip.lzh", Tool::Lha, Tool::Zip},  // both: ZIP wins
      {"OLD.LZH.TXT", Tool::Zip, Tool::Lha}, {"a.Lzh", Tool::Zip, Tool::Zip},  // exact letters only
      {"plain.txt", Tool::Lha, Tool::Lha},
  };
  for (const Case& c : cases) EXPECT_EQ(ToolOfName(c.name, c.before, true), c.after) << c.name;
}

TEST(DecompressNames, PathStemAndCommand) {
  struct Case { Tool tool; std::string selected; const char* merged; std::string path, dir, command; };
  const Case cases[] = {
      {Tool::Lha, "C:\\DIR\\DOCS.LZH", nullptr, "C:\\DIR\\DOCS.LZH", "C:\\DIR\\", "e DOCS"},
      {Tool::Zip, "C:\\docs.zip", nullptr, "C:\\docs.zip", "C:\\", "docs"},
      {Tool::Zip, "C:\\P\\FILE-0", "BACKUP.ZIP", "C:\\P\\BACKUP.ZIP", "C:\\P\\", "BACKUP"},
      {Tool::Lha, "C:\\" + kSoHyo + "\\file-0", "a.lzh", "C:\\" + kSoHyo + "\\a.lzh",
       "C:\\" + kSoHyo + "\\", "e a"},
      {Tool::Lha, "C:\\notes 1.lzh", nullptr, "C:\\notes 1.lzh", "C:\\", "e \"notes 1\""},
      {Tool::Zip, "C:\\notes 1.zip", nullptr, "C:\\notes 1.zip", "C:\\", "\"notes 1\""},
      {Tool::Lha, "C:\\-memo.LZH", nullptr, "C:\\-memo.LZH", "C:\\", "e -- -memo"},
      {Tool::Zip, "C:\\-memo.zip", nullptr, "C:\\-memo.zip", "C:\\", "-- -memo"},
  };
  for (const Case& c : cases) {
    DecompressNames n;
    const std::string name = c.selected.substr(c.selected.rfind('\\') + 1);
    ASSERT_TRUE(NameDecompression(c.tool, c.selected.c_str(), name.c_str(), c.merged, true, &n));
    EXPECT_EQ(n.path, c.path);
    EXPECT_EQ(n.dir, c.dir);
    EXPECT_EQ(n.command, c.command);
  }
}

Listing ListingOf(std::initializer_list<std::string> names, uint32_t size = 10) {
  Listing l;
  l.bound = true;
  l.opened = true;
  l.firstResult = 0;
  for (const std::string& n : names) l.entries.push_back(EntryOfRecord(n.c_str(), size, "-lh5-", true));
  return l;
}

TEST(Listing, WhatIsRefusedBeforeExtraction) {
  Listing unbound, closed = ListingOf({}), empty = ListingOf({}), cut = ListingOf({"a.txt"});
  closed.opened = false;
  empty.firstResult = -1;
  cut.endResult = 0x8022;
  struct Case { Listing listing; Verdict verdict; };
  const Case cases[] = {
      {unbound, Verdict::NoTool},  // the tool's failure, not the archive's
      {closed, Verdict::Unreadable}, {empty, Verdict::Unreadable}, {cut, Verdict::Unreadable},
      {ListingOf({"a.txt", "sub/b.txt", "..x", kSoHyo + "\\c"}), Verdict::Ok},
      {ListingOf({"a.txt", "../x"}), Verdict::LeavesFolder},
      {ListingOf({"a\\..\\..\\x"}), Verdict::LeavesFolder},
      {ListingOf({"C:..\\x"}), Verdict::LeavesFolder},
      {ListingOf({"... /x"}), Verdict::LeavesFolder},  // the system drops the trailing stop
      {ListingOf({"a.txt", "aux"}), Verdict::DeviceName},
      {ListingOf({"sub/Con.txt"}), Verdict::DeviceName},
      {ListingOf({"NUL /a.txt"}), Verdict::DeviceName},
      {ListingOf({"com1 .log.gz"}), Verdict::DeviceName},
      {ListingOf({"lpt9."}), Verdict::DeviceName},
      {ListingOf({"prn\\"}), Verdict::DeviceName},
      {ListingOf({"Clock$"}), Verdict::DeviceName},
      {ListingOf({"nul", "../x"}), Verdict::LeavesFolder},
      {ListingOf({"console.txt", "com10", "lpt", "xcon", " nul", "aux_1.txt", "comA"}), Verdict::Ok},
  };
  for (const Case& c : cases) EXPECT_EQ(JudgeListing(c.listing, true), c.verdict);
  // Sizes add up in 64 bits: two entries of 2 GiB do not wrap to nothing.
  EXPECT_EQ(SpaceNeeded(ListingOf({"a", "b"}, 0x80000000u)), 0x100000000ull + 1000);
  Listing reported = ListingOf({"a"}, 5);
  reported.libraryTotal = 7000;
  EXPECT_EQ(SpaceNeeded(reported), 8000u);
}

TEST(Listing, EntriesThatWouldReplaceFilesAndTheRowShown) {
  memdisk::Reset();
  memdisk::Put("C:\\D\\b.txt", "old");
  memdisk::Put("C:\\D\\SUB\\c.txt", "old");
  const Listing l = ListingOf({"sub/", "sub/c.txt", "a.txt", "B.TXT", kSoHyo});
  EXPECT_TRUE(l.entries[0].folder);
  EXPECT_FALSE(l.entries[4].folder);  // ends in 0x5C, yet a file
  EXPECT_TRUE(EntryOfRecord("d", 0, "-lhd-", true).folder);
  struct Case { Tool tool; const char* existing; const char* shown; };
  const Case cases[] = {{Tool::Zip, "sub\\c.txt", "sub"}, {Tool::Lha, "B.TXT", "c.txt"}};
  for (const Case& c : cases) {
    EXPECT_EQ(FirstExistingTarget(memdisk::Files(), "C:\\D\\", c.tool, l, true), c.existing);
    EXPECT_EQ(FirstShownName(c.tool, l, true), c.shown);
  }
  EXPECT_EQ(FirstExistingTarget(memdisk::Files(), "C:\\E\\", Tool::Zip, l, true), "");
  EXPECT_EQ(TargetName(Tool::Zip, EntryOfRecord("/abs/./x", 0, "", true), true), "abs\\x");
}

TEST(Listing, AnEntryThatWouldReplaceTheRunningProgramUnderAnyOfItsNames) {
  memdisk::Reset();
  memdisk::Put("C:\\Program\\TOVRA.EXE", "exe");
  memdisk::Alias("C:\\PROGRA~1", "C:\\Program");
  memdisk::Link("C:\\Program\\TOVRA.EXE", "C:\\D\\SUB\\run.exe");
  memdisk::Put("C:\\D\\same.exe", "exe");
  const Listing l = ListingOf({"same.exe", "x/tovra.exe", "sub/RUN.EXE"});
  struct Case { const char* dir; Tool tool; const char* program; const char* target; };
  const Case cases[] = {
      {"C:\\Program\\", Tool::Lha, "C:\\Program\\TOVRA.EXE", "tovra.exe"},
      {"C:\\Program\\", Tool::Lha, "C:\\PROGRA~1\\TOVRA.EXE", "tovra.exe"},
      {"C:\\PROGRA~1\\", Tool::Lha, "C:\\Program\\TOVRA.EXE", "tovra.exe"},
      {"C:\\Program\\", Tool::Zip, "C:\\Program\\TOVRA.EXE", ""},  // it goes into X
      {"C:\\D\\", Tool::Zip, "C:\\Program\\TOVRA.EXE", "sub\\RUN.EXE"},
      {"C:\\D\\", Tool::Lha, "C:\\Program\\TOVRA.EXE", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TargetThatIs(memdisk::Files(), c.dir, c.tool, l, false, c.program), c.target)
        << c.dir << " " << c.program;
  }
}

}  // namespace
