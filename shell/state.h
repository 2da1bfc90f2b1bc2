// Tovra's program state, read by every command: one instance per process, written by the shell
// at start-up and by navigation.
#pragma once
#include <windows.h>

#include "base/oskind.h"
#include "base/paths.h"

extern HINSTANCE g_hInstance;
extern HWND g_hMainWnd;
extern COLORREF g_btnFaceColor;      // COLOR_BTNFACE read when the main window is created
extern OsKind g_osKind;
extern int g_dirChanged;             // written by navigation, read by the dispatcher
extern char g_programPath[kPathBytes];
extern char g_helpPathEn[kPathBytes];
extern char g_helpPathJa[kPathBytes];
extern char g_currentDir[kPathBytes];  // always equal to the process's current directory
extern char g_startDir[kPathBytes];
extern char g_documentsPath[kPathBytes];
