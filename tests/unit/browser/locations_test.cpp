#include "browser/rules/locations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace browser;

TEST(DriveText, EveryKind) {
  char out[64];
  ASSERT_TRUE(DriveEntryText(out, sizeof out, 'a', DriveRemovable, ""));
  EXPECT_STREQ("A:[REMOVABLE-DRIVE]", out);
  ASSERT_TRUE(DriveEntryText(out, sizeof out, 'C', DriveFixed, "SYSTEM"));
  EXPECT_STREQ("C:[SYSTEM]", out);
  ASSERT_TRUE(DriveEntryText(out, sizeof out, 'E', DriveFixed, ""));
  EXPECT_STREQ("E:[FIXED-DRIVE]", out);
  ASSERT_TRUE(DriveEntryText(out, sizeof out, 'R', DriveRamDisk, "IGNORED"));
  EXPECT_STREQ("R:[RAM-DRIVE]", out);
  ASSERT_TRUE(DriveEntryText(out, sizeof out, 'D', DriveCdRom, "DISC"));
  EXPECT_STREQ("D:[CD-ROM]", out);
  ASSERT_TRUE(DriveEntryText(out, sizeof out, 'N', DriveRemote, "SHARE"));
  EXPECT_STREQ("N:[NETWORK-DRIVE]", out);
  EXPECT_FALSE(DriveEntryText(out, sizeof out, 'F', DriveUndetermined, ""));
  EXPECT_FALSE(DriveEntryText(out, sizeof out, 'G', DriveNoRoot, ""));
  EXPECT_FALSE(DriveEntryText(out, 8, 'C', DriveFixed, "SYSTEM"));
}

namespace {

// A, C and D as at start-up in C:\.
LocationList Drives() {
  LocationList l;
  ClearLocations(l);
  EXPECT_TRUE(AppendDrive(l, "A:[REMOVABLE-DRIVE]"));
  EXPECT_TRUE(AppendDrive(l, "C:[SYSTEM]"));
  EXPECT_TRUE(AppendDrive(l, "D:[CD-ROM]"));
  return l;
}

std::vector<std::string> Texts(const LocationList& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.count; ++i)
    v.push_back(std::string(l.entry[i].indent, '>') + ShownText(l.entry[i], false));
  return v;
}

bool FreedEntriesClear(const LocationList& l) {
  for (int i = l.count; i < kMaxLocations; ++i)
    if (l.entry[i].text[0] || l.entry[i].indent) return false;
  return true;
}

}  // namespace

TEST(Locations, DownTwoLevelsAndUpAgain) {
  LocationList l = Drives();
  EXPECT_EQ(1, StartEntry(l, "C:\\"));
  EXPECT_EQ(1, FindLocation(l, "c:\\", false));

  EXPECT_EQ(2, PushFolder(l, "c:\\WINDOWS"));
  EXPECT_EQ(3, PushFolder(l, "C:\\WINDOWS\\SYSTEM"));
  EXPECT_EQ((std::vector<std::string>{"A:[REMOVABLE-DRIVE]", "C:[SYSTEM]", ">WINDOWS", ">>SYSTEM",
                                      "D:[CD-ROM]"}),
            Texts(l));
  EXPECT_STREQ("C:\\WINDOWS", l.entry[2].text);  // drive letter upper-cased
  EXPECT_EQ(3, FindLocation(l, "c:\\windows\\system", false));
  EXPECT_EQ(2, FindLocation(l, "C:\\WINDOWS", false));
  EXPECT_EQ(-1, FindLocation(l, "C:\\OTHER", false));

  EXPECT_EQ(3, PopFolder(l, "C:\\WINDOWS"));
  EXPECT_EQ((std::vector<std::string>{"A:[REMOVABLE-DRIVE]", "C:[SYSTEM]", ">WINDOWS", "D:[CD-ROM]"}),
            Texts(l));
  EXPECT_TRUE(FreedEntriesClear(l));
  EXPECT_EQ(2, PopFolder(l, "C:\\"));
  EXPECT_EQ(3, l.count);
  // At the root there is nothing left to remove.
  EXPECT_EQ(-1, PopFolder(l, "C:\\"));
  EXPECT_EQ(3, l.count);
}

TEST(Locations, ChoosingWithinTheDrive) {
  LocationList l = Drives();
  PushFolder(l, "C:\\WINDOWS");
  PushFolder(l, "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(2, ChainBelow(l, 1));  // the drive entry: the whole chain
  EXPECT_EQ(1, ChainBelow(l, 2));  // WINDOWS: SYSTEM only
  EXPECT_EQ(0, ChainBelow(l, 3));  // the current directory itself
  EXPECT_EQ(0, ChainBelow(l, 4));  // D has no chain
  EXPECT_EQ(0, ChainBelow(l, 99));
  RemoveEntries(l, 3, ChainBelow(l, 2));
  EXPECT_EQ((std::vector<std::string>{"A:[REMOVABLE-DRIVE]", "C:[SYSTEM]", ">WINDOWS", "D:[CD-ROM]"}),
            Texts(l));
  EXPECT_TRUE(FreedEntriesClear(l));
}

TEST(Locations, ChoosingAnotherDriveMovesItsEntryForward) {
  LocationList l = Drives();
  PushFolder(l, "C:\\WINDOWS");
  PushFolder(l, "C:\\WINDOWS\\SYSTEM");
  int s = 4;  // D:[CD-ROM]
  int c = ChainStart(l);
  ASSERT_EQ(2, c);
  int m = 1 + ChainBelow(l, c);
  EXPECT_EQ(2, m);
  RemoveEntries(l, c, m);
  EXPECT_STREQ("D:[CD-ROM]", l.entry[s - m].text);
  EXPECT_EQ(3, l.count);
  EXPECT_EQ(-1, ChainStart(l));
  // The chain of a drive before the chosen one: the chosen entry keeps its place.
  LocationList k = Drives();
  PushFolder(k, "D:\\X");
  EXPECT_EQ(3, ChainStart(k));
  RemoveEntries(k, 3, 1);
  EXPECT_STREQ("A:[REMOVABLE-DRIVE]", k.entry[0].text);
  EXPECT_EQ(3, k.count);
}

TEST(Locations, ShownTextIsTheFolderName) {
  LocationList l = Drives();
  PushFolder(l, "C:\\a[1]");
  PushFolder(l, "C:\\a[1]\\x.y z");
  EXPECT_STREQ("a[1]", ShownText(l.entry[2], false));
  EXPECT_STREQ("x.y z", ShownText(l.entry[3], false));
  EXPECT_STREQ("C:[SYSTEM]", ShownText(l.entry[1], false));
  // ソフト: 83 5C 83 74 83 67; its 0x5C is no separator.
  PushFolder(l, "C:\\a[1]\\x.y z\\\x83\x5C\x83\x74\x83\x67");
  EXPECT_STREQ("\x83\x5C\x83\x74\x83\x67", ShownText(l.entry[4], true));
  EXPECT_EQ(4, FindLocation(l, "c:\\A[1]\\X.Y Z\\\x83\x5C\x83\x74\x83\x67", true));
}

TEST(Locations, StartDirectoryOutsideAnyRoot) {
  LocationList l = Drives();
  EXPECT_EQ(2, StartEntry(l, "d:\\GAMES\\X"));  // the drive that holds it
  EXPECT_EQ(-1, StartEntry(l, "Q:\\"));
  EXPECT_EQ(-1, StartEntry(l, "\\\\server\\share\\"));
  EXPECT_EQ(-1, FindLocation(l, "\\\\server\\share\\x", false));
  EXPECT_EQ(-1, PushFolder(l, "\\\\server\\share\\x"));
  EXPECT_EQ(3, l.count);
}

TEST(Locations, NeverWritesPastTheTable) {
  struct Guarded {
    LocationList l;
    char guard[512];
  } g;
  std::memset(g.guard, 0x5A, sizeof g.guard);
  ClearLocations(g.l);
  for (char c = 'A'; c <= 'Z'; ++c) {
    char text[4] = {c, ':', 0};
    ASSERT_TRUE(AppendDrive(g.l, text));
  }
  std::string path = "M:";
  int pushed = 0;
  while (HasRoomForFolder(g.l)) {
    path += "\\d";
    ASSERT_GE(PushFolder(g.l, path.c_str()), 0);
    ++pushed;
  }
  EXPECT_EQ(kMaxLocations - 26, pushed);
  EXPECT_EQ(kMaxLocations, g.l.count);
  EXPECT_EQ(-1, PushFolder(g.l, (path + "\\d").c_str()));
  EXPECT_FALSE(AppendDrive(g.l, "Z:"));
  EXPECT_EQ(kMaxLocations, g.l.count);
  // The chain sits right after M and before N, and the last drive is Z.
  EXPECT_EQ(pushed, ChainBelow(g.l, 12));
  EXPECT_EQ(pushed, g.l.entry[12 + pushed].indent);
  EXPECT_STREQ("N:", g.l.entry[13 + pushed].text);
  EXPECT_STREQ("Z:", g.l.entry[kMaxLocations - 1].text);
  for (char b : g.guard) ASSERT_EQ(0x5A, static_cast<unsigned char>(b));
  // Removing more than exists stops at the end.
  RemoveEntries(g.l, 13, 100000);
  EXPECT_EQ(13, g.l.count);
  EXPECT_TRUE(FreedEntriesClear(g.l));
  RemoveEntries(g.l, -1, 3);
  RemoveEntries(g.l, 50, 3);
  EXPECT_EQ(13, g.l.count);
}

TEST(Locations, LongTextsAreCut) {
  LocationList l;
  ClearLocations(l);
  std::string longText(400, 'x');
  longText[0] = 'C';
  longText[1] = ':';
  ASSERT_TRUE(AppendDrive(l, longText.c_str()));
  EXPECT_EQ(static_cast<size_t>(kPathBytes - 1), std::strlen(l.entry[0].text));
  ASSERT_EQ(1, PushFolder(l, longText.c_str()));
  EXPECT_EQ(static_cast<size_t>(kPathBytes - 1), std::strlen(l.entry[1].text));
}
