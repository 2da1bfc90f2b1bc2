// The selection record: the entry last clicked in the file list, which the list reads into it.
// The shell keeps one and hands it, with the list's folder, to every command it runs.
#pragma once
#include <windows.h>

#include "base/caltime.h"
#include "base/paths.h"

// At most one of the two names is set.
struct Selection {
  char fileName[kPathBytes];  // selected file's name; empty when a folder or nothing
  char filePath[kPathBytes];  // its full path, drive letter upper case
  char dirName[kPathBytes];   // selected folder's name; empty when a file or nothing
  char dirPath[kPathBytes];   // its full path, drive letter upper case
  // Written only when a file is selected and kept by ClearSelection: read them only together
  // with a non-empty fileName.
  unsigned long long fileSize;  // both halves of the directory entry
  CalTime fileTime;             // last write, local time
};

// Empties the two names and the two paths.
void ClearSelection(Selection* s);
// Fills the record from the list's selected row (on a click in the list).
void ReadSelection(Selection* s);

// What a command works on, handed to it on each run: the window that owns its dialogs and
// messages, the entry selected in the list, and the folder the list shows (the current
// directory), which the command lists again after changing it.
struct CommandInput {
  HWND owner;
  const Selection& selected;
  const char* folder;
};
