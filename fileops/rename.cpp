// The Rename command: the selected folder, or else the selected file, gets a new name in its
// own directory and keeps its attributes.
#include "fileops/rename.h"

#include <cstring>

#include "browser/filelist.h"
#include "browser/selection.h"
#include "fileops/rename_work.h"
#include "fileops/texts.h"
#include "resources/ids.h"
#include "shell/busy.h"
#include "shell/drives.h"
#include "shell/state.h"
#include "shell/ui.h"

using namespace fileops;

namespace {

constexpr Text kDriveRefused = {"Unable to rename the file or folder in the assigned drive.",
                                "指定のドライブではファイル/フォルダーの名前変更はできません."};
constexpr Text kBadName = {"Please assign a correct file or folder name to be renamed.",
                           "変更するファイル/フォルダー名が正しくありません."};
constexpr Text kExists = {
    "Destination file or folder already exists\nso that the renaming is not allowed.",
    "同名のファイル/フォルダーが存在するので、\n名前の変更はできません."};
constexpr Text kFailed = {"Unable to rename %s.\nIt keeps its name.",
                          "%s の名前を変更できませんでした.\n元の名前のままです."};

struct RenameDialog {
  const char* name;
  int limit;
  char newName[kPathBytes];
};

INT_PTR CALLBACK RenameDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      KeepDialogState(dlg, lParam);
      const RenameDialog& d = *reinterpret_cast<RenameDialog*>(lParam);
      SetDlgItemTextA(dlg, IDC_REN_FROM, d.name);
      SendDlgItemMessageA(dlg, IDC_REN_TO, EM_LIMITTEXT, static_cast<WPARAM>(d.limit), 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        RenameDialog* d = DialogState<RenameDialog>(dlg);
        std::memset(d->newName, 0, sizeof d->newName);
        GetDlgItemTextA(dlg, IDC_REN_TO, d->newName, sizeof d->newName);
        EndDialog(dlg, IDOK);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
      }
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void CmdRename(HWND owner) {
  const bool folder = g_selDirName[0] != 0;
  char name[kPathBytes], path[kPathBytes];
  std::memset(name, 0, sizeof name);
  std::memset(path, 0, sizeof path);
  lstrcpynA(name, folder ? g_selDirName : g_selFileName, sizeof name);
  lstrcpynA(path, folder ? g_selDirPath : g_selFilePath, sizeof path);
  if (!name[0]) {
    ShowMessage(owner, kNoTarget, kCapError, MB_ICONHAND);
    return;
  }
  char root[8] = {0};
  lstrcpynA(root, path, 4);
  const DriveKind kind = GetDriveKind(root);
  if (kind == DriveUndetermined || kind == DriveNoRoot || kind == DriveCdRom) {
    ShowMessage(owner, kDriveRefused, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  static RenameDialog dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.name = name;
  dialog.limit = RenameLimit(path, name);
  if (RunDialog(owner, "RENAMEFILE_DLG", RenameDlgProc, &dialog) != IDOK) return;
  const bool dbcs932 = GetACP() == 932;
  char newPath[kPathBytes];
  if (!IsAcceptableNewName(dialog.newName, dbcs932) ||
      !NewPathOf(path, name, dialog.newName, newPath, sizeof newPath)) {
    ShowMessage(owner, kBadName, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  const engine::DiskFiles& fs = engine::SystemFiles();
  engine::DirEntry existing;
  if (fs.lookup(newPath, &existing)) {
    ShowMessage(owner, kExists, kCapError, MB_ICONEXCLAMATION | MB_OKCANCEL);
    return;
  }
  ShowBusyBanner(owner);
  const bool renamed = RenameKeepingAttributes(fs, path, newPath);
  HideBusyBanner(owner);
  ListDirectory(g_currentDir);
  if (!renamed) {
    ShowMessage(owner, kFailed, name, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  ShowItemByName(dialog.newName);
}
