// The main window: its geometry, private messages, the state the shell keeps, and start-up and
// shutdown steps, for the shell's own parts (icon bar, labels, dispatch).
#pragma once
#include <windows.h>

#include "base/paths.h"
#include "browser/selection.h"

enum { kMainWidth = 576, kMainHeight = 432 };

// Private messages of the main window.
enum { WMU_QUIT = WM_USER + 200, WMU_INIT_DRIVES = WM_USER + 201, WMU_INIT_LIST = WM_USER + 202 };

extern HWND g_hIconBar;
extern int g_barUnit;                // SM_CYBORDER + 19
extern int g_osDetected;
// The entry selected in the file list, read on each click; commands get it from the dispatcher.
extern Selection g_selection;
extern char g_helpPathEn[kPathBytes];
extern char g_helpPathJa[kPathBytes];

// Sets g_uiLanguage from the ANSI code page.
void ChooseUiLanguage();
// Sets g_osKind from the registry; leaves it unchanged when neither version key opens.
void DetectOsKind();
// Frees the image lists and posts the quit message; the window itself stays, and so does the
// help viewer, which outlives the program.
void Shutdown();
