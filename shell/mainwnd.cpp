// The program's state, which the shell owns and hands on, and the main window's start-up and
// shutdown steps that the shell's parts share.
#include "shell/mainwnd.h"

#include <commctrl.h>

#include "base/oskind.h"
#include "base/text.h"
#include "browser/filelist.h"
#include "browser/selector.h"
#include "shell/rules/startup_rules.h"
#include "ui/state.h"

HINSTANCE g_hInstance;
HWND g_hIconBar;
int g_barUnit;
COLORREF g_btnFaceColor;
OsKind g_osKind = Win95;
int g_osDetected;
Selection g_selection;
char g_programPath[kPathBytes];
char g_helpPathEn[kPathBytes];
char g_helpPathJa[kPathBytes];
char g_currentDir[kPathBytes];
char g_documentsPath[kPathBytes];

void ChooseUiLanguage() { g_uiLanguage = UiLanguageFromCodePage(GetACP()); }

void DetectOsKind() { g_osKind = ReadOsKind(g_osKind); }

void Shutdown() {
  if (g_hDriveSelector) {
    HIMAGELIST il =
        reinterpret_cast<HIMAGELIST>(SendMessageA(g_hDriveSelector, CBEM_GETIMAGELIST, 0, 0));
    if (il) ImageList_Destroy(il);
  }
  if (g_hFileList) {
    HIMAGELIST il = reinterpret_cast<HIMAGELIST>(
        SendMessageA(g_hFileList, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    if (il) ImageList_Destroy(il);
  }
  PostQuitMessage(0);
}
