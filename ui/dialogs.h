// The one seam through which commands show message boxes and dialogs, and the captions they
// share. Text and caption always follow the current language.
#pragma once
#include <windows.h>

#include "base/text.h"

constexpr Text kCapError = {"Error", "エラー"};
constexpr Text kCapWarning = {"Warning", "警告"};
constexpr Text kCapQuestion = {"Question", "質問"};
constexpr Text kCapInquiry = {"Question", "問合せ"};
constexpr Text kCapCongratulations = {"Congratulations", "オメデトウ"};
constexpr Text kCapCaution = {"Caution", "注意"};
constexpr Text kCapCautionLoud = {"CAUTION", "注意"};
constexpr Text kCapConfirmation = {"Confirmation", "確認"};
constexpr Text kCapRequest = {"Request", "要求"};
constexpr Text kCapInformation = {"Information", "お知らせ"};
constexpr Text kCapSystemError = {"System Error", "システム・エラー"};

// A message box owned by owner.
int ShowMessage(HWND owner, const Text& text, const Text& caption, UINT flags);
// The same with the text's "%s" replaced by a name, or its "%d" by a number.
int ShowMessage(HWND owner, const Text& text, const char* name, const Text& caption, UINT flags);
int ShowMessage(HWND owner, const Text& text, long number, const Text& caption, UINT flags);
// Both: the number goes in first, so a "%s" in the name stays as it is.
int ShowMessage(HWND owner, const Text& text, long number, const char* name, const Text& caption,
                UINT flags);

// "Does the drive A:\ have a media ready to use?" with Yes and No; true for Yes.
bool AskMediaReady(HWND owner, const char* root);

// Runs the dialog template name (English) or name + "_J" (Japanese) modally, owned by owner,
// with state (a struct of the command's own) for its procedure. Returns the dialog's result:
// IDOK when the user accepted it. When the dialog cannot be shown, reports
// "Unable to display dialog." and returns -1.
INT_PTR RunDialog(HWND owner, const char* name, DLGPROC proc, void* state);

// The state RunDialog was given: kept on WM_INITDIALOG, read by the other messages.
void KeepDialogState(HWND dlg, LPARAM param);
template <class T>
T* DialogState(HWND dlg) {
  return reinterpret_cast<T*>(GetWindowLongPtrA(dlg, DWLP_USER));
}
