// The main window: its geometry, private messages and start-up and shutdown steps, for the
// shell's own parts (icon bar, labels, dispatch).
#pragma once
#include <windows.h>

enum { kMainWidth = 576, kMainHeight = 432 };

// Private messages of the main window.
enum { WMU_QUIT = WM_USER + 200, WMU_INIT_DRIVES = WM_USER + 201, WMU_INIT_LIST = WM_USER + 202 };

extern HWND g_hIconBar;
extern int g_barUnit;                // SM_CYBORDER + 19
extern int g_osDetected;

// Sets g_uiLanguage from the ANSI code page.
void ChooseUiLanguage();
// Sets g_osKind from the registry; leaves it unchanged when neither version key opens.
void DetectOsKind();
// Closes the help viewer, frees the image lists and posts the quit message; the window itself
// stays.
void Shutdown();
