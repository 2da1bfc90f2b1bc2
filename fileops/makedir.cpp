// The Make directory command: one new folder whose full path the user types.
#include "fileops/makedir.h"

#include "base/drives.h"
#include "browser/filelist.h"
#include "fileops/common.h"
#include "fileops/makedir_work.h"
#include "resources/ids.h"
#include "ui/dialogs.h"

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

}  // namespace

void CmdMakeDirectory(const CommandInput& in) {
  const HWND owner = in.owner;
  static TextEntry dialog;
  dialog = TextEntry{0, nullptr, IDC_MKD_PATH, 250, {}};
  if (RunDialog(owner, "MAKEDIR_DLG", TextEntryDlgProc, &dialog) != IDOK) return;
  char* path = dialog.text;
  if (!IsDirectoryPathForm(path, IsSystemLetter)) {
    ShowMessage(owner, kBadPath, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  if (IsRefusedDrive(KindOfPathDrive(path))) {
    ShowMessage(owner, kDriveRefused, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  const bool dbcs932 = GetACP() == 932;
  DropTrailingBackslash(path, dbcs932);
  char parent[kPathBytes];
  switch (MakeDirectory(SystemFiles(), path, dbcs932)) {
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
  if (lstrcmpiA(parent, in.folder) == 0) ListDirectory(in.folder);
}
