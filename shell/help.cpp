#include "shell/help.h"

#include "shell/mainwnd.h"
#include "ui/dialogs.h"
#include "ui/state.h"

namespace {

constexpr Text kHelpMissing = {
    "Install the help file (RUZIVA.ROR)\nin the same directory.",
    "ヘルプ・ファイル(RORORA.RAV)を\n同じディレクトリにインストールしてください."};

}  // namespace

void CmdHelp(const CommandInput& in) {
  const HWND owner = in.owner;
  const char* path = g_uiLanguage ? g_helpPathJa : g_helpPathEn;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) {
    ShowMessage(owner, kHelpMissing, kCapWarning, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Windows shows the contents on HELP_FORCEFILE; Wine's viewer ignores that command and stays
  // hidden, so the contents are asked for as well. The viewer is left open: it outlives us.
  WinHelpA(owner, path, HELP_FORCEFILE, 0);
  WinHelpA(owner, path, HELP_CONTENTS, 0);
  FindClose(search);
}
