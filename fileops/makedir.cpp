// The Make directory command: one new folder whose full path the user types.
#include "fileops/makedir.h"

#include <cstring>

#include "browser/filelist.h"
#include "fileops/makedir_work.h"
#include "resources/ids.h"
#include "shell/drives.h"
#include "shell/state.h"
#include "shell/ui.h"

using namespace fileops;

namespace {

constexpr Text kBadPath = {"Please assign a correct path to create a new directoy.",
                           "ディレクトリ作成のパス名が正しくありません."};
constexpr Text kDriveRefused = {"Unable to make a directory in the assigned drive.",
                                "指定のドライブにはディレクトリの作成はできません."};
constexpr Text kNoParent = {
    "Unable to find a parent directory\n%s\nfor the assigned directory to be created.",
    "作成するディレクトリの親ディレクトリ\n%s\nが存在しません."};
constexpr Text kExists = {"Destination directory already exists.",
                          "同名のディレクトリが既に存在しています."};
constexpr Text kCreateFailed = {"Unable to create a directory.", "ディレクトリを作成できません."};

struct MakeDirDialog {
  char path[kPathBytes];
};

INT_PTR CALLBACK MakeDirDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      KeepDialogState(dlg, lParam);
      SendDlgItemMessageA(dlg, IDC_MKD_PATH, EM_LIMITTEXT, 250, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        MakeDirDialog* d = DialogState<MakeDirDialog>(dlg);
        std::memset(d->path, 0, sizeof d->path);
        GetDlgItemTextA(dlg, IDC_MKD_PATH, d->path, sizeof d->path);
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

bool IsLetter(char c) { return IsCharAlphaA(c) != 0; }

}  // namespace

void CmdMakeDirectory(HWND owner) {
  static MakeDirDialog dialog;
  std::memset(&dialog, 0, sizeof dialog);
  if (RunDialog(owner, "MAKEDIR_DLG", MakeDirDlgProc, &dialog) != IDOK) return;
  char* path = dialog.path;
  if (!IsDirectoryPathForm(path, IsLetter)) {
    ShowMessage(owner, kBadPath, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  char root[8] = {0};
  lstrcpynA(root, path, 4);
  const DriveKind kind = GetDriveKind(root);
  if (kind == DriveUndetermined || kind == DriveNoRoot || kind == DriveCdRom) {
    ShowMessage(owner, kDriveRefused, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  const bool dbcs932 = GetACP() == 932;
  DropTrailingBackslash(path, dbcs932);
  char parent[kPathBytes];
  switch (MakeDirectory(engine::SystemFiles(), path, dbcs932)) {
    case MakeDirResult::NoParent:
      ParentToTest(path, parent, sizeof parent, dbcs932);
      ShowMessage(owner, kNoParent, parent, kCapError, MB_ICONEXCLAMATION);
      return;
    case MakeDirResult::Exists: ShowMessage(owner, kExists, kCapWarning, MB_ICONEXCLAMATION); return;
    case MakeDirResult::CreateFailed:
      ShowMessage(owner, kCreateFailed, kCapError, MB_ICONEXCLAMATION);
      return;
    case MakeDirResult::Ok: break;
  }
  ListedParent(path, parent, sizeof parent, dbcs932);
  if (lstrcmpiA(parent, g_currentDir) == 0) ListDirectory(g_currentDir);
}
