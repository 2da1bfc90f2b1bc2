// The About command. RunDialog would report its own text when the box cannot be shown, so the
// box is run here directly.
#include "shell/about.h"

#include "ui/dialogs.h"
#include "ui/state.h"

namespace {

constexpr Text kNoDialog = {"Unable to open a dialog box.", "ダイヤログを表示できません."};

// Only OK and the close box end the box; Escape (IDCANCEL) leaves it open.
INT_PTR CALLBACK AboutDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) EndDialog(dlg, 1);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, 0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void CmdAbout(const CommandInput& in) {
  const HWND owner = in.owner;
  const char* name = g_uiLanguage ? "ABOUT_DLG_J" : "ABOUT_DLG";
  if (DialogBoxParamA(g_hInstance, name, owner, AboutDlgProc, 0) == -1)
    ShowMessage(nullptr, kNoDialog, kCapSystemError, MB_OK | MB_ICONHAND | MB_SYSTEMMODAL);
}
