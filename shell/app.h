// Application state shared by every area of Tovra: one instance per process.
#pragma once
#include <windows.h>
#include "shell/rules/oskind.h"

// Path and name buffers are 258 bytes; system calls that fill them are given 256.
enum { kPathBuf = 258, kPathCall = 256 };

enum { kMainWidth = 576, kMainHeight = 432, kSecondRowX = 347 };

// Private messages of the main window.
enum { WMU_QUIT = WM_USER + 200, WMU_INIT_DRIVES = WM_USER + 201, WMU_INIT_LIST = WM_USER + 202 };

extern HINSTANCE g_hInstance;
extern HWND g_hMainWnd;
extern HWND g_hIconBar;
extern int g_screenWidth, g_screenHeight;
extern int g_barUnit;                // SM_CYBORDER + 19
extern COLORREF g_btnFaceColor;      // COLOR_BTNFACE read when the main window is created
extern OsKind g_osKind;
extern int g_osDetected;
extern int g_listReady;              // 1 once the first listing has been shown
extern int g_dirChanged;             // written by navigation, read by the dispatcher
extern char g_programPath[kPathBuf];
extern char g_helpPathEn[kPathBuf];
extern char g_helpPathJa[kPathBuf];
extern char g_currentDir[kPathBuf];  // always equal to the process's current directory
extern char g_startDir[kPathBuf];
extern char g_documentsPath[kPathBuf];

// Sets g_uiLanguage from the ANSI code page.
void ChooseUiLanguage();
// Sets g_osKind from the registry; leaves it unchanged when neither version key opens.
void DetectOsKind();
// Frees the image lists and posts the quit message; the window itself stays.
void Shutdown();
