// The Rename command: the selected folder, or else the selected file, gets a new name in its
// own directory and keeps its attributes.
#include "fileops/rename.h"

#include "base/drives.h"
#include "browser/filelist.h"
#include "fileops/common.h"
#include "fileops/rename_work.h"
#include "fileops/texts.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"

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

}  // namespace

void CmdRename(const CommandInput& in) {
  const HWND owner = in.owner;
  Target t;
  if (!TakeTarget(in.selected, &t)) {
    ShowMessage(owner, kNoTarget, kCapError, MB_ICONHAND);
    return;
  }
  if (IsRefusedDrive(t.kind)) {
    ShowMessage(owner, kDriveRefused, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  if (RefusesProgramFile(owner, t.path)) return;
  static TextEntry dialog;
  dialog = TextEntry{IDC_REN_FROM, t.name, IDC_REN_TO, RenameLimit(t.path, t.name), {}};
  if (RunDialog(owner, "RENAMEFILE_DLG", TextEntryDlgProc, &dialog) != IDOK) return;
  const bool dbcs932 = GetACP() == 932;
  char newPath[kPathBytes];
  if (!IsAcceptableNewName(dialog.text, dbcs932) ||
      !NewPathOf(t.path, t.name, dialog.text, newPath, sizeof newPath)) {
    ShowMessage(owner, kBadName, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  const DiskFiles& fs = SystemFiles();
  DirEntry existing;
  if (fs.lookup(newPath, &existing)) {
    ShowMessage(owner, kExists, kCapError, MB_ICONEXCLAMATION | MB_OKCANCEL);
    return;
  }
  ShowBusyBanner(owner);
  const bool renamed = RenameKeepingAttributes(fs, t.path, newPath);
  HideBusyBanner(owner);
  ListDirectory(in.folder);
  if (!renamed) {
    ShowMessage(owner, kFailed, t.name, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  ShowItemByName(dialog.text);
}
