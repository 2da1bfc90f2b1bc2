#include "shell/rules/button_rules.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

namespace {

std::string Name(int pos, OsKind kind, BitmapState state) {
  char buf[12];
  BitmapName(pos, kind, state, buf, sizeof buf);
  return buf;
}

// The ten buttons whose state depends on the selection, in the column order of the table below.
const int kFileButtons[] = {PosDivision, PosMerger,     PosCopy,     PosRename,    PosDelete,
                            PosCompress, PosDecompress, PosFileSize, PosTimestamp, PosAttributes};

// Applies the rules to a bar whose buttons all start in state `start` and returns the ten
// file buttons as a string of 1 (enabled) and 0.
std::string Apply(bool start, int count, const char* file, bool own, const char* dir) {
  bool on[kButtonCount + 1];
  for (bool& b : on) b = start;
  ButtonChanges c = ButtonRules(count, file, own, dir);
  for (int p = 1; p <= kButtonCount; ++p) {
    if (c.at[p] == Change::Enable) on[p] = true;
    if (c.at[p] == Change::Disable) on[p] = false;
  }
  std::string s;
  for (int p : kFileButtons) s += on[p] ? '1' : '0';
  return s;
}

}  // namespace

TEST(ButtonRules, BitmapNamesOfTheFourSets) {
  EXPECT_EQ(Name(PosDelete, WinMe, StateUp), "Delet9Up");
  EXPECT_EQ(Name(PosDelete, WinMe, StateDn), "Delet9Dn");
  EXPECT_EQ(Name(PosDelete, WinMe, StateIn), "Delet9In");
  EXPECT_EQ(Name(PosDelete, Win2000, StateUp), "Delet8Up");
  EXPECT_EQ(Name(PosDelete, WinNtLater, StateIn), "DeletXIn");
  EXPECT_EQ(Name(PosDelete, Win98, StateUp), "DeleteUp");
  EXPECT_EQ(Name(PosDelete, Win95, StateDn), "DeleteDn");
  EXPECT_EQ(Name(PosDelete, WinNt4, StateIn), "DeleteIn");
  EXPECT_EQ(Name(PosDirectory, Win2000, StateUp), "Credi8Up");
  EXPECT_EQ(Name(PosDirectory, Win98, StateUp), "CredirUp");
  EXPECT_EQ(Name(PosUpOneLevel, WinNtLater, StateDn), "DirUpXDn");

  // 15 buttons x 4 sets x 3 states: 180 names, distinct without regard to case, 8 at most.
  std::set<std::string> seen;
  for (OsKind k : {Win95, WinMe, Win2000, WinNtLater})
    for (int p = 1; p <= kButtonCount; ++p)
      for (BitmapState s : {StateUp, StateDn, StateIn}) {
        std::string n = Name(p, k, s);
        EXPECT_LE(n.size(), 8u) << n;
        for (char& c : n) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        seen.insert(n);
      }
  EXPECT_EQ(seen.size(), 180u);
  // Kinds sharing the plain set give the same names.
  for (int p = 1; p <= kButtonCount; ++p) {
    EXPECT_EQ(Name(p, Win95, StateUp), Name(p, Win98, StateUp));
    EXPECT_EQ(Name(p, Win95, StateUp), Name(p, WinNt4, StateUp));
  }
}

TEST(ButtonRules, DisabledLookWinsOverPressed) {
  EXPECT_EQ(PickBitmapState(true, true), StateIn);
  EXPECT_EQ(PickBitmapState(true, false), StateIn);
  EXPECT_EQ(PickBitmapState(false, true), StateDn);
  EXPECT_EQ(PickBitmapState(false, false), StateUp);
}

TEST(ButtonRules, RowIsContiguousAndUpOneLevelSitsBelow) {
  for (int cyb : {1, 2}) {
    Rect4 first = ButtonRect(1, cyb);
    EXPECT_EQ(first.left, 20);
    EXPECT_EQ(first.top, cyb - 1);
    for (int p = 1; p < 14; ++p) {
      Rect4 a = ButtonRect(p, cyb), b = ButtonRect(p + 1, cyb);
      EXPECT_EQ(a.right, b.left);
      EXPECT_EQ(a.top, b.top);
      EXPECT_EQ(b.right - b.left, 32);
      EXPECT_EQ(b.bottom - b.top, 20);
    }
    EXPECT_EQ(ButtonRect(14, cyb).right, 468);
    Rect4 up = ButtonRect(PosUpOneLevel, cyb);
    EXPECT_EQ(up.left, 347);
    EXPECT_EQ(up.top, cyb + 29);
    EXPECT_EQ(up.right - up.left, 32);
  }
}

TEST(ButtonRules, StatesTableWhateverTheStartingState) {
  //                             Div Mrg Cpy Ren Del Cmp Dec Siz Tim Att
  const struct { int count; const char* file; bool own; const char* dir; const char* want; } rows[] = {
      {0, "", false, "", "0000000000"},
      {0, "a.txt", false, "", "0000000000"},  // nothing selected wins over a stale record
      {1, "FILE-0", false, "", "0111110011"},
      {1, "x.lzh", false, "", "1111101011"},
      {1, "x.ZIP", false, "", "1111101011"},
      {1, "notes.txt", false, "", "1111110011"},
      {1, "TOVRA.EXE", true, "", "0000000000"},
      {1, "", false, "Data", "0001100111"},
  };
  for (const auto& r : rows)
    for (bool start : {false, true})
      EXPECT_EQ(Apply(start, r.count, r.file, r.own, r.dir), r.want)
          << r.file << "|" << r.dir << " start " << start;
}

TEST(ButtonRules, NameTestsAreExactWhereTheyShouldBe) {
  // Information file: equality without regard to case.
  EXPECT_EQ(Apply(true, 1, "File-0", false, "")[0], '0');
  EXPECT_EQ(Apply(true, 1, "file-0", false, "")[0], '0');
  EXPECT_EQ(Apply(false, 1, "FILE-0.txt", false, "")[0], '1');
  EXPECT_EQ(Apply(false, 1, "XFILE-0", false, "")[0], '1');
  EXPECT_EQ(Apply(false, 1, "FILE-", false, "")[0], '1');
  // Archives: case-sensitive substring anywhere.
  EXPECT_TRUE(LooksLikeArchive("a.lzh.bak"));
  EXPECT_TRUE(LooksLikeArchive("b.zip"));
  EXPECT_FALSE(LooksLikeArchive("a.Lzh"));
  EXPECT_FALSE(LooksLikeArchive("a.Zip"));
  EXPECT_FALSE(LooksLikeArchive("lzh"));
  EXPECT_EQ(Apply(true, 1, "a.Lzh", false, ""), "1111110011");
}

TEST(ButtonRules, SelectionWithoutNamesChangesNothing) {
  ButtonChanges c = ButtonRules(1, "", false, "");
  for (int p = 1; p <= kButtonCount; ++p) EXPECT_EQ(c.at[p], Change::Keep) << p;
}

TEST(ButtonRules, AlwaysUsableButtonsAreNeverTouched) {
  const ButtonChanges all[] = {ButtonRules(0, "", false, ""), ButtonRules(1, "a", false, ""),
                               ButtonRules(1, "a", true, ""), ButtonRules(1, "", false, "d")};
  for (const ButtonChanges& c : all)
    for (int p : {PosDirectory, PosAbout, PosHelp, PosExit, PosUpOneLevel})
      EXPECT_EQ(c.at[p], Change::Keep) << p;
}

TEST(ButtonRules, ClicksBecomeCommandIdentifiers) {
  EXPECT_EQ(ForwardedCommand(117), 0);
  EXPECT_EQ(ForwardedCommand(118), 101);
  EXPECT_EQ(ForwardedCommand(125), 108);
  EXPECT_EQ(ForwardedCommand(132), 115);
  EXPECT_EQ(ForwardedCommand(133), 0);
  EXPECT_EQ(ForwardedCommand(1), 0);
}

TEST(ButtonRules, DispatchTakesButtonsAlwaysAndTheSelectorOnlyOnSelectionChange) {
  auto wp = [](uint32_t code, uint32_t id) { return (code << 16) | id; };
  for (uint32_t id = 101; id <= 115; ++id) {
    EXPECT_EQ(CommandToRun(wp(0, id)), static_cast<int>(id));
    EXPECT_EQ(CommandToRun(wp(5, id)), static_cast<int>(id));  // a double click still runs
  }
  EXPECT_EQ(CommandToRun(wp(1, 116)), 116);
  for (uint32_t code : {0u, 2u, 3u, 7u}) EXPECT_EQ(CommandToRun(wp(code, 116)), 0) << code;
  for (uint32_t id : {0u, 100u, 117u, 118u, 1u, 0xFFFFu}) EXPECT_EQ(CommandToRun(wp(0, id)), 0);
  EXPECT_EQ(CommandToRun(wp(1, 100)), 0);
}
