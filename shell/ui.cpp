#include "shell/ui.h"

#include <string.h>

#include "shell/app.h"
#include "shell/texts.h"

int g_uiLanguage;

int ShowMessage(HWND owner, const Text& text, const Text& caption, UINT flags) {
  return MessageBoxA(owner, Tx(text), Tx(caption), flags);
}

int ShowMessageText(HWND owner, const char* text, const Text& caption, UINT flags) {
  return MessageBoxA(owner, text, Tx(caption), flags);
}

INT_PTR RunDialog(HWND owner, const char* name, DLGPROC proc, LPARAM param) {
  char resource[64] = {};
  lstrcpynA(resource, name, sizeof resource - 2);
  if (g_uiLanguage) lstrcatA(resource, "_J");
  INT_PTR result = DialogBoxParamA(g_hInstance, resource, owner, proc, param);
  if (result == -1)
    ShowMessage(NULL, kDialogFailed, kSystemErrorCaption, MB_SYSTEMMODAL | MB_ICONHAND);
  return result;
}
