// The file list of the main window: folders and files of the current directory.
#pragma once
#include <windows.h>

extern HWND g_hFileList;  // the report list control; NULL until CreateFileList

// Creates the white frame, the list and its small-icon image list, once at start-up.
// On failure posts WM_CLOSE to mainWnd.
void CreateFileList(HWND mainWnd);

// Lists path (always the current directory, which is also the process's one):
// folders first, then files, at most 2000 rows. Leaves the selection record alone.
void ListDirectory(const char* path);

// Answers the list's request for a row's image (LVN_GETDISPINFOA, sent to the main window as
// the list draws a row): the row's icon is looked up and put in the image list the first time.
void GiveRowImage(NMHDR* request);

// Rewrites one cell of the selected row from disk: attributes when attributes != 0,
// else the modified time.
void UpdateSelectedColumn(int attributes);

// Scrolls the row named name into full view; nothing if there is none.
void ShowItemByName(const char* name);

// path with its first character upper-cased, in a shared 258-byte buffer that the next
// call overwrites.
const char* NormalizeDriveLetter(const char* path);
