#include "ui/dialogs.h"

#include "ui/state.h"

constexpr Text kMediaReady = {
    "Does the drive %s have a media ready to use?\nConfirm a media and press <YES> button.",
    "ドライブ %s にはメディアが準備できていますか？\n準備後に、<YES>ボタンを押してください."};
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

int ShowMessage(HWND owner, const Text& text, long number, const char* name, const Text& caption,
                UINT flags) {
  char counted[512], msg[512];
  ComposeMessage(counted, sizeof counted, Tx(text), number);
  ComposeMessage(msg, sizeof msg, counted, name);
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

bool AskMediaReady(HWND owner, const char* root) {
  return ShowMessage(owner, kMediaReady, root, kCapCautionLoud, MB_YESNO | MB_ICONEXCLAMATION) ==
         IDYES;
}

void KeepDialogState(HWND dlg, LPARAM param) { SetWindowLongPtrA(dlg, DWLP_USER, param); }
