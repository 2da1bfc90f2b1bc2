#include "shell/help.h"

#include "shell/state.h"
#include "shell/ui.h"

namespace {

constexpr Text kHelpMissing = {
    "Install the help file (RUZIVA.ROR)\nin the same directory.",
    "ヘルプ・ファイル(RORORA.RAV)を\n同じディレクトリにインストールしてください."};

const char* s_shownFile;  // what the viewer was last asked to show

}  // namespace

void CmdHelp(HWND owner) {
  const char* path = g_uiLanguage ? g_helpPathJa : g_helpPathEn;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) {
    ShowMessage(owner, kHelpMissing, kCapWarning, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Windows shows the contents on HELP_FORCEFILE; Wine's viewer ignores that command and stays
  // hidden, so the contents are asked for as well.
  WinHelpA(owner, path, HELP_FORCEFILE, 0);
  WinHelpA(owner, path, HELP_CONTENTS, 0);
  s_shownFile = path;
  FindClose(search);
}

void CloseHelp() {
  if (!s_shownFile) return;
  WinHelpA(g_hMainWnd, s_shownFile, HELP_QUIT, 0);
  s_shownFile = nullptr;
}
