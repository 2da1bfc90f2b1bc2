// Texts in both languages, and the one seam through which Tovra shows message boxes and
// dialogs. Tests of UI-less code link shell/ui_stub.cpp instead of shell/ui.cpp.
#pragma once
#include <windows.h>

struct Text {
  const char* en;
  const char* ja;
};

// 0 = English, 1 = Japanese; chosen once at start-up (ChooseUiLanguage, shell/app.h).
extern int g_uiLanguage;

inline const char* Tx(const Text& t) { return g_uiLanguage ? t.ja : t.en; }

// A message box owned by owner, with text and caption of the current language.
int ShowMessage(HWND owner, const Text& text, const Text& caption, UINT flags);
// The same with a text composed by the caller (a fixed text plus a name or a number).
int ShowMessageText(HWND owner, const char* text, const Text& caption, UINT flags);

// Runs the dialog template name (English) or name + "_J" (Japanese) modally, owned by owner.
// Returns the dialog's result; when the dialog cannot be shown, reports
// "Unable to display dialog." and returns -1.
INT_PTR RunDialog(HWND owner, const char* name, DLGPROC proc, LPARAM param);
