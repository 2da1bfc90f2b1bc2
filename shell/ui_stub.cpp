#include "shell/ui_stub.h"

#include "shell/texts.h"

int g_uiLanguage;
std::vector<StubMessage> g_stubMessages;
int g_stubAnswer = IDOK;
INT_PTR g_stubDialogResult = IDCANCEL;

int ShowMessage(HWND owner, const Text& text, const Text& caption, UINT flags) {
  g_stubMessages.push_back({Tx(text), Tx(caption), flags, owner != NULL});
  return g_stubAnswer;
}

int ShowMessageText(HWND owner, const char* text, const Text& caption, UINT flags) {
  g_stubMessages.push_back({text, Tx(caption), flags, owner != NULL});
  return g_stubAnswer;
}

INT_PTR RunDialog(HWND, const char*, DLGPROC, LPARAM) {
  if (g_stubDialogResult == -1)
    ShowMessage(NULL, kDialogFailed, kSystemErrorCaption, MB_SYSTEMMODAL | MB_ICONHAND);
  return g_stubDialogResult;
}
