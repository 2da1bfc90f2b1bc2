#include "shell/rules/button_rules.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

static const ButtonInfo kButtons[kButtonCount] = {
    {"Divi", "Divi", false},     {"Merge", "Merge", false},   {"Credir", "Credi", true},
    {"Copy2", "Copy2", false},   {"Rename", "Renam", false},  {"Delete", "Delet", false},
    {"Comp", "Comp", false},     {"Decomp", "Decom", false},  {"FlSize", "FlSiz", false},
    {"TsChg", "TsChg", false},   {"Attrb", "Attrb", false},   {"About", "About", true},
    {"Help", "Help", true},      {"Exit", "Exit", true},      {"DirUp", "DirUp", true},
};

const ButtonInfo& ButtonAt(int pos) {
  if (pos < 1 || pos > kButtonCount) pos = 1;
  return kButtons[pos - 1];
}

BitmapState PickBitmapState(bool disabled, bool pressed) {
  if (disabled) return StateIn;
  return pressed ? StateDn : StateUp;
}

const char* SetLetterFor(OsKind kind) {
  switch (kind) {
    case WinMe: return "9";
    case Win2000: return "8";
    case WinNtLater: return "X";
    default: return "";
  }
}

void BitmapName(int pos, OsKind kind, BitmapState state, char* out, size_t size) {
  static const char* const kSuffix[] = {"Up", "Dn", "In"};
  const char* letter = SetLetterFor(kind);
  const ButtonInfo& b = ButtonAt(pos);
  std::snprintf(out, size, "%s%s%s", *letter ? b.letteredStem : b.plainStem, letter,
                kSuffix[state]);
}

Rect4 ButtonRect(int pos, int cyBorder) {
  int left = pos == PosUpOneLevel ? 347 : 20 + kButtonWidth * (pos - 1);
  int top = pos == PosUpOneLevel ? cyBorder + 29 : cyBorder - 1;
  return {left, top, left + kButtonWidth, top + kButtonHeight};
}

bool LooksLikeArchive(const char* name) {
  return std::strstr(name, ".lzh") || std::strstr(name, ".LZH") || std::strstr(name, ".zip") ||
         std::strstr(name, ".ZIP");
}

static bool IsInformationFile(const char* name) {
  static const char kName[] = "file-0";
  for (size_t i = 0; i < sizeof kName; ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kName[i]) return false;
  }
  return true;
}

static Change OnIf(bool on) { return on ? Change::Enable : Change::Disable; }

ButtonChanges ButtonRules(int selectedCount, const char* fileName, bool ownFile,
                          const char* dirName) {
  ButtonChanges r{};
  static const int kFileButtons[] = {PosDivision, PosMerger,     PosCopy,     PosRename,
                                     PosDelete,   PosCompress,   PosDecompress, PosFileSize,
                                     PosTimestamp, PosAttributes};
  if (selectedCount <= 0) {
    for (int p : kFileButtons) r.at[p] = Change::Disable;
    return r;
  }
  if (*fileName) {
    r.at[PosFileSize] = Change::Disable;
    bool archive = LooksLikeArchive(fileName);
    if (!ownFile) {
      r.at[PosDivision] = OnIf(!IsInformationFile(fileName));
      for (int p : {PosMerger, PosCopy, PosRename, PosDelete, PosTimestamp, PosAttributes})
        r.at[p] = Change::Enable;
      r.at[PosCompress] = OnIf(!archive);
    } else {
      for (int p : {PosDivision, PosMerger, PosCopy, PosRename, PosDelete, PosCompress,
                    PosTimestamp, PosAttributes})
        r.at[p] = Change::Disable;
    }
    r.at[PosDecompress] = OnIf(archive);
  }
  if (*dirName) {
    for (int p : {PosDivision, PosMerger, PosCopy, PosCompress, PosDecompress})
      r.at[p] = Change::Disable;
    for (int p : {PosRename, PosDelete, PosFileSize, PosTimestamp, PosAttributes})
      r.at[p] = Change::Enable;
  }
  return r;
}

int ForwardedCommand(int controlId) {
  if (controlId < kFirstButtonControl || controlId >= kFirstButtonControl + kButtonCount) return 0;
  return controlId - (kFirstButtonControl - kFirstCommand);
}

int CommandToRun(uint32_t wParam) {
  int id = static_cast<int>(wParam & 0xFFFF);
  int code = static_cast<int>(wParam >> 16);
  if (id >= kFirstCommand && id < kDriveSelectorCommand) return id;
  if (id == kDriveSelectorCommand && code == 1) return id;  // CBN_SELCHANGE only
  return 0;
}
