#include "browser/rules/listrules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace browser;

TEST(AttributeLetters, FixedOrderAndOnlyFourBits) {
  char out[8];
  AttributeLetters(0, out);
  EXPECT_STREQ("", out);
  AttributeLetters(kAttrArchive | kAttrSystem | kAttrHidden | kAttrReadOnly, out);
  EXPECT_STREQ("RHSA", out);
  AttributeLetters(kAttrArchive | kAttrReadOnly, out);
  EXPECT_STREQ("RA", out);
  AttributeLetters(kAttrSystem | kAttrHidden, out);
  EXPECT_STREQ("HS", out);
  // Directory, normal (0x80), compressed (0x800) and the like never show.
  AttributeLetters(kAttrDirectory | 0x80 | 0x800 | 0x100, out);
  EXPECT_STREQ("", out);
  AttributeLetters(0xFFFFFFFFu, out);
  EXPECT_STREQ("RHSA", out);
}

TEST(TimeText, BothDateOrdersWithTwoBlanks) {
  char out[32];
  CalTime t{2001, 3, 5, 14, 7, 9};
  ASSERT_TRUE(FormatTimeText(out, sizeof out, t, false));
  EXPECT_STREQ("03/05/2001  14:07:09", out);
  ASSERT_TRUE(FormatTimeText(out, sizeof out, t, true));
  EXPECT_STREQ("2001/03/05  14:07:09", out);
  CalTime early{1980, 1, 1, 0, 0, 0};
  ASSERT_TRUE(FormatTimeText(out, sizeof out, early, true));
  EXPECT_STREQ("1980/01/01  00:00:00", out);
}

TEST(TimeText, RefusesShortBuffer) {
  char out[20];
  std::memset(out, 'x', sizeof out);
  CalTime t{2001, 3, 5, 14, 7, 9};
  EXPECT_FALSE(FormatTimeText(out, sizeof out, t, false));  // needs 21 bytes
  EXPECT_STREQ("", out);
  EXPECT_FALSE(FormatTimeText(out, 0, t, false));
}

TEST(SizeText, RightAlignedInTenCharacters) {
  char out[32];
  ASSERT_TRUE(FormatSizeText(out, sizeof out, 0));
  EXPECT_EQ(std::string(9, ' ') + "0", out);
  ASSERT_TRUE(FormatSizeText(out, sizeof out, 1440000));
  EXPECT_STREQ("   1440000", out);
  ASSERT_TRUE(FormatSizeText(out, sizeof out, 2147483647));
  EXPECT_STREQ("2147483647", out);
  // Both halves of the entry count: sizes beyond 32 bits are neither cut nor wrapped.
  ASSERT_TRUE(FormatSizeText(out, sizeof out, 5000000000ull));
  EXPECT_STREQ("5000000000", out);
  ASSERT_TRUE(FormatSizeText(out, sizeof out, 123456789012ull));
  EXPECT_STREQ("123456789012", out);
  EXPECT_FALSE(FormatSizeText(out, 10, 1));
  EXPECT_STREQ("", out);
}

TEST(Names, DotEntriesAndRecycleBins) {
  EXPECT_TRUE(IsDotEntry("."));
  EXPECT_TRUE(IsDotEntry(".."));
  EXPECT_FALSE(IsDotEntry("..."));
  EXPECT_FALSE(IsDotEntry(".hidden"));
  EXPECT_FALSE(IsDotEntry(""));
  for (const char* n : {"Recycled", "RECYCLED", "recycler", "ReCyClEr"}) EXPECT_TRUE(IsRecycleBinName(n)) << n;
  for (const char* n : {"Recycle", "Recycled2", "xRecycled", "Recycle Bin", ""})
    EXPECT_FALSE(IsRecycleBinName(n)) << n;
}

TEST(DirectoryPrefix, OneBackslashExactly) {
  char out[16];
  ASSERT_TRUE(MakeDirectoryPrefix(out, sizeof out, "C:\\", false));
  EXPECT_STREQ("C:\\", out);
  ASSERT_TRUE(MakeDirectoryPrefix(out, sizeof out, "C:\\DATA", false));
  EXPECT_STREQ("C:\\DATA\\", out);
  // A folder whose name ends in ソ still gets its separator.
  ASSERT_TRUE(MakeDirectoryPrefix(out, sizeof out, "C:\\\x83\x5C", true));
  EXPECT_STREQ("C:\\\x83\x5C\\", out);
  ASSERT_TRUE(MakeDirectoryPrefix(out, sizeof out, "C:\\ab\\", true));
  EXPECT_STREQ("C:\\ab\\", out);
  // 15 characters need 17 bytes with the separator.
  EXPECT_FALSE(MakeDirectoryPrefix(out, sizeof out, "C:\\abcdefghijkl", false));
  EXPECT_STREQ("", out);
  EXPECT_TRUE(MakeDirectoryPrefix(out, sizeof out, "C:\\abcdefghijk", false));
  EXPECT_STREQ("C:\\abcdefghijk\\", out);
}

TEST(DriveLetter, FirstCharacterOnly) {
  char out[258];
  UpperDriveLetter(out, sizeof out, "c:\\data\\x");
  EXPECT_STREQ("C:\\data\\x", out);
  UpperDriveLetter(out, sizeof out, "D:\\abc");
  EXPECT_STREQ("D:\\abc", out);
  UpperDriveLetter(out, sizeof out, "\\\\server\\share");
  EXPECT_STREQ("\\\\server\\share", out);
  std::strcpy(out, "e:\\same");
  UpperDriveLetter(out, sizeof out, out);
  EXPECT_STREQ("E:\\same", out);
  char small[5];
  UpperDriveLetter(small, sizeof small, "f:\\long\\path");
  EXPECT_STREQ("F:\\l", small);
}

TEST(FolderIcons, ListRuleTable) {
  const char* docs = "C:\\My Documents";
  struct Row {
    OsKind os;
    FolderIcon recycled, docsHere, docsElsewhere;
  } rows[] = {
      {Win95, FolderIcon::Recycle9x, FolderIcon::Folder, FolderIcon::Folder},
      {Win98, FolderIcon::Recycle9x, FolderIcon::Documents9x, FolderIcon::Folder},
      {WinMe, FolderIcon::RecycleMe, FolderIcon::DocumentsMe, FolderIcon::Folder},
      {WinNt4, FolderIcon::Folder, FolderIcon::Folder, FolderIcon::Folder},
      {Win2000, FolderIcon::RecycleMe, FolderIcon::Folder, FolderIcon::Folder},
      {WinNtLater, FolderIcon::RecycleXp, FolderIcon::Folder, FolderIcon::Folder},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.os);
    EXPECT_EQ(r.recycled, ListFolderIcon("RECYCLED", "D:\\RECYCLED", docs, r.os, false));
    EXPECT_EQ(r.docsHere, ListFolderIcon("My Documents", "c:\\MY DOCUMENTS", docs, r.os, false));
    EXPECT_EQ(r.docsElsewhere,
              ListFolderIcon("My Documents", "D:\\My Documents", docs, r.os, false));
    EXPECT_EQ(FolderIcon::Folder, ListFolderIcon("Recycler", "C:\\Recycler", docs, r.os, false));
    EXPECT_EQ(FolderIcon::Folder, ListFolderIcon("DATA", "C:\\DATA", docs, r.os, false));
    // The documents icon belongs to the folder's name too, not the path alone.
    EXPECT_EQ(FolderIcon::Folder, ListFolderIcon("Other", docs, docs, r.os, false));
  }
}

TEST(FolderIcons, ChainRule) {
  const char* docs = "C:\\My Documents";
  EXPECT_EQ(FolderIcon::DocumentsMe, ChainFolderIcon("C:\\MY DOCUMENTS", docs, WinMe, false));
  EXPECT_EQ(FolderIcon::Documents9x, ChainFolderIcon("C:\\My Documents", docs, Win98, false));
  EXPECT_EQ(FolderIcon::Folder, ChainFolderIcon("C:\\My Documents", docs, WinNtLater, false));
  EXPECT_EQ(FolderIcon::Folder, ChainFolderIcon("C:\\My Documents\\x", docs, WinMe, false));
  // No documents folder known: nothing matches, not even an empty path.
  EXPECT_EQ(FolderIcon::Folder, ChainFolderIcon("", "", WinMe, false));
}

TEST(Icons, KindsAndFilesWithIconsOfTheirOwn) {
  struct Case { const char* name; const char* kind; bool own; };
  const Case cases[] = {{"a.txt", "TXT", false}, {"B.Txt", "TXT", false}, {"noext", "", false},
                        {"x.tar.gz", "GZ", false}, {"TOVRA.EXE", "EXE", true}, {"s.lnk", "LNK", true},
                        {"i.ico", "ICO", true},    {"dot.", "", false}};
  for (const Case& c : cases) {
    char kind[16];
    ASSERT_TRUE(IconKind(c.name, kind, sizeof kind, true)) << c.name;
    EXPECT_STREQ(kind, c.kind) << c.name;
    EXPECT_EQ(IconIsOwn(c.name), c.own) << c.name;
  }
  char small[4];
  EXPECT_FALSE(IconKind("a.toolong", small, sizeof small, false));
  char sj[8];
  ASSERT_TRUE(IconKind("x.\x83\x61", sj, sizeof sj, true));  // a trail byte is not a letter
  EXPECT_STREQ(sj, "\x83\x61");
}

TEST(Names, OnlyOddNamesAreLookedUpAgain) {
  for (const char* n : {"trail.", "space ", "a?b", "x*", ""}) EXPECT_TRUE(MayNotLookUp(n)) << n;
  for (const char* n : {"a.txt", ".hidden", "TOVRA.EXE", "\x83\x5C"}) EXPECT_FALSE(MayNotLookUp(n)) << n;
}
