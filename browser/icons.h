// Icons of the file list and the drive selector, and keeping their image lists in step.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "browser/rules/listrules.h"

// The program's icon resource for a folder icon kind.
HICON FolderIconHandle(browser::FolderIcon kind);
// An icon resource of the program by name.
HICON ResourceIcon(const char* name);
// The shell's small icon of path, else its large one; NULL when it gives none.
// The caller destroys the returned icon.
HICON ShellIcon(const char* path);

// Appends exactly one image: icon, or a stand-in when icon cannot be added.
// False only when not even the stand-in could be added.
bool AppendIcon(HIMAGELIST images, HICON icon);
// Sets image at (an index the list already has) to icon, or to a stand-in when icon cannot be
// set.
void PutIcon(HIMAGELIST images, int at, HICON icon);
// Inserts icon at index at, moving the images from at on one place back.
bool InsertIcon(HIMAGELIST images, int at, HICON icon);
