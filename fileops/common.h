// What the file commands share: their target from the selection, the drives they refuse,
// the system's letter test, and the dialog of one typed path or name.
#pragma once
#include <windows.h>

#include "base/drives.h"
#include "base/paths.h"
#include "browser/selection.h"

// The selected folder if there is one, else the selected file; the path's drive and its kind.
struct Target {
  bool folder;
  char name[kPathBytes];
  char path[kPathBytes];
  char root[8];
  DriveKind kind;
};
// False (and the target empty) when nothing is selected.
bool TakeTarget(const Selection& selected, Target* t);

// Drives no file command works on: none there, no root, or a CD-ROM.
bool IsRefusedDrive(DriveKind kind);
// The drive kind of the first three characters of path.
DriveKind KindOfPathDrive(const char* path);

bool IsSystemLetter(char c);

// The message that the running program's own file, here named path, is not changed.
void ShowProgramRefused(HWND owner, const char* path);
// Whether path is the running program's file under that name or any other: the message is shown.
bool RefusesProgramFile(HWND owner, const char* path);

// The state of a dialog with one edit field: an optional read-only field shown, the edit's text
// limit and, once accepted, what was typed.
struct TextEntry {
  int shownId;  // 0: none
  const char* shown;
  int editId;
  int limit;
  char text[kPathBytes];
};
INT_PTR CALLBACK TextEntryDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
