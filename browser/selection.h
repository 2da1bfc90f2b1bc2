// The selection record: the item last clicked in the file list. Every command reads it;
// only the file list (browser/filelist.cpp) writes it. At most one of the two names is set.
#pragma once
#include "base/caltime.h"

extern char g_selFileName[258];  // selected file's name; empty when a folder or nothing
extern char g_selFilePath[258];  // its full path, drive letter upper case
extern char g_selDirName[258];   // selected folder's name; empty when a file or nothing
extern char g_selDirPath[258];   // its full path, drive letter upper case

// Written only when a file is selected and kept by ClearSelection: read them only
// together with a non-empty g_selFileName.
extern unsigned long long g_selFileSize;  // both halves of the directory entry
extern CalTime g_selFileTime;   // last write, local time

// Empties the two names and the two paths.
void ClearSelection();
// Fills the record from the list's selected row (on a click in the list).
void ReadSelection();
