// The drive selector above the file list, its folder chain, and the three ways of moving:
// the selector, a double-click on a folder row, and Up One Level.
#pragma once
#include <windows.h>

extern HWND g_hDriveSelector;  // control IDC_DRIVESELECTOR; NULL until BuildDriveSelector

// Creates the selector with one entry per drive and selects the current directory's drive.
void BuildDriveSelector(HWND mainWnd);
// Refills the (emptied) selector from the location list.
void RebuildSelectorItems();
// Enters the folder row selected in the file list (on a double-click).
void OpenSelectedFolder();
// Up One Level; true when the current directory moved.
bool GoUpOneLevel();
// Adds / removes the deepest chain entry after the current directory has moved down / up.
void PushFolderEntry();
void PopFolderEntry();
// The selector's selection changed (CBN_SELCHANGE); true when the current directory moved.
bool SelectLocation(HWND mainWnd);
// Puts the selector's selection back on the current directory's entry.
void ReselectCurrentLocation();
