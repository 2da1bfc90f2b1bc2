// The icon bar's fifteen buttons: table, geometry, pictures, enabling rules, and the command
// identifiers their clicks become.
#pragma once
#include <cstddef>
#include <cstdint>
#include "base/oskind.h"
#include "resources/ids.h"

// Positions in the order of creation; the row holds 1 to 14, Up One Level sits below.
enum ButtonPos {
  PosDivision = 1, PosMerger, PosDirectory, PosCopy, PosRename, PosDelete, PosCompress,
  PosDecompress, PosFileSize, PosTimestamp, PosAttributes, PosAbout, PosHelp, PosExit,
  PosUpOneLevel, kButtonCount = 15
};

enum {
  kFirstButtonControl = IDC_BTN_DIVISION,
  kFirstCommand = IDM_DIVISION,
  kDriveSelectorCommand = IDC_DRIVESELECTOR
};
enum { kButtonWidth = 32, kButtonHeight = 20 };

struct ButtonInfo {
  const char* plainStem;    // "Delete" -> "DeleteUp"
  const char* letteredStem; // "Delet"  -> "Delet9Up"
  bool enabledAtCreation;
};
const ButtonInfo& ButtonAt(int pos);  // pos 1 to 15

inline int ControlIdOf(int pos) { return kFirstButtonControl - 1 + pos; }

enum BitmapState { StateUp, StateDn, StateIn };
// Disabled wins over pressed.
BitmapState PickBitmapState(bool disabled, bool pressed);

// "", "9", "8" or "X" for the OS kind.
const char* SetLetterFor(OsKind kind);
// Resource name of a button picture, at most 8 characters; out holds at least 12 bytes.
void BitmapName(int pos, OsKind kind, BitmapState state, char* out, size_t size);

struct Rect4 { int left, top, right, bottom; };
// Place of a button in the bar's client coordinates.
Rect4 ButtonRect(int pos, int cyBorder);

enum class Change : int8_t { Keep, Enable, Disable };
struct ButtonChanges { Change at[kButtonCount + 1]; };  // indexed by position

// Case-sensitive: ".lzh", ".LZH", ".zip" or ".ZIP" anywhere in the name.
bool LooksLikeArchive(const char* name);
// The enabling rules. selectedCount: rows selected in the list; ownFile: the selected file path
// is the program path (compared without regard to case by the caller).
ButtonChanges ButtonRules(int selectedCount, const char* fileName, bool ownFile,
                          const char* dirName);

// Command identifier a bar button's WM_COMMAND forwards (101 to 115), or 0 for other controls.
int ForwardedCommand(int controlId);
// Command to run for a WM_COMMAND wParam of the main window: 101 to 115, 116 only for a
// selection change of the drive selector, else 0.
int CommandToRun(uint32_t wParam);
