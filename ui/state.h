// Tovra's program state: one instance per process, set by the shell at start-up. The current
// directory moves with navigation alone; commands get it, with the selection, from the shell.
#pragma once
#include <windows.h>

#include "base/paths.h"

extern HINSTANCE g_hInstance;
extern COLORREF g_btnFaceColor;      // COLOR_BTNFACE read when the main window is created
extern char g_programPath[kPathBytes];
extern char g_currentDir[kPathBytes];  // always equal to the process's current directory
extern char g_documentsPath[kPathBytes];
