#include "shell/ui.h"

#include "shell/state.h"

constexpr Text kDialogFailed = {"Unable to display dialog.", "ダイアログを表示できません."};

int ShowMessage(HWND owner, const Text& text, const Text& caption, UINT flags) {
  return MessageBoxA(owner, Tx(text), Tx(caption), flags);
}

int ShowMessage(HWND owner, const Text& text, const char* name, const Text& caption, UINT flags) {
  char msg[512];
  ComposeMessage(msg, sizeof msg, Tx(text), name);
  return MessageBoxA(owner, msg, Tx(caption), flags);
}

int ShowMessage(HWND owner, const Text& text, long number, const Text& caption, UINT flags) {
  char msg[512];
  ComposeMessage(msg, sizeof msg, Tx(text), number);
  return MessageBoxA(owner, msg, Tx(caption), flags);
}

INT_PTR RunDialog(HWND owner, const char* name, DLGPROC proc, void* state) {
  char resource[64] = {};
  lstrcpynA(resource, name, sizeof resource - 2);
  if (g_uiLanguage) lstrcatA(resource, "_J");
  INT_PTR result =
      DialogBoxParamA(g_hInstance, resource, owner, proc, reinterpret_cast<LPARAM>(state));
  if (result == -1)
    ShowMessage(NULL, kDialogFailed, kCapSystemError, MB_SYSTEMMODAL | MB_ICONHAND);
  return result;
}

void KeepDialogState(HWND dlg, LPARAM param) { SetWindowLongPtrA(dlg, DWLP_USER, param); }
