// The Delete command: the selected file or folder to the recycle bin, or completely, every file
// overwritten four times before it goes.
#include "fileops/delete.h"

#include <shellapi.h>

#include <cstring>

#include "base/drives.h"
#include "browser/filelist.h"
#include "fileops/common.h"
#include "fileops/delete_work.h"
#include "fileops/texts.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"
#include "ui/state.h"

using namespace fileops;

namespace {

constexpr Text kProtected = {"Unable to delete the directory,\nbecause TOVRA.EXE exists.",
                             "TOVRA.EXE が内在しているため、\nディレクトリの削除はできません."};
constexpr Text kDriveRefused = {"Unable to delete the file or folder in the assigned drive.",
                                "指定のドライブではファイル/フォルダーの削除はできません."};
constexpr Text kConfirmFile = {"Delete File :\n\n%s", "ファイルの削除 :\n\n%s"};
constexpr Text kConfirmDirectory = {"Delete Directory :\n\n%s", "ディレクトリの削除 :\n\n%s"};
constexpr Text kCapConfirmDeletion = {"Confirm Deletion", "削除の確認"};
constexpr Text kNotWiped = {
    "%d file(s) or folder(s) could not be overwritten or deleted and were left as they are.\n"
    "The first of them:\n%s",
    "%d 個のファイル/フォルダーは上書きまたは削除ができず、そのまま残されました.\n最初のもの:\n%s"};

enum DeleteMode { ToRecycleBin, Completely };

// Kept for the run: the dialog opens with the mode last clicked, even after Cancel.
DeleteMode g_mode = ToRecycleBin;
WipeGenerator g_generator;

struct DeleteDialog {
  const char* name;
  DeleteMode mode;
};

INT_PTR CALLBACK DeleteDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  DeleteDialog* d = DialogState<DeleteDialog>(dlg);
  switch (msg) {
    case WM_INITDIALOG: {
      KeepDialogState(dlg, lParam);
      const DeleteDialog& init = *reinterpret_cast<DeleteDialog*>(lParam);
      SetDlgItemTextA(dlg, IDC_DEL_TARGET, init.name);
      CheckRadioButton(dlg, IDC_DEL_RECYCLE, IDC_DEL_COMPLETE,
                       init.mode == Completely ? IDC_DEL_COMPLETE : IDC_DEL_RECYCLE);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dlg, id);
      } else if (id == IDC_DEL_RECYCLE || id == IDC_DEL_COMPLETE) {
        d->mode = id == IDC_DEL_COMPLETE ? Completely : ToRecycleBin;
        CheckRadioButton(dlg, IDC_DEL_RECYCLE, IDC_DEL_COMPLETE, id);
      }
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void ReadClock(int* hundredths, int* seconds) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  *hundredths = now.wMilliseconds / 10;
  *seconds = now.wSecond;
}

void ToRecycleBinOf(HWND owner, const char* path) {
  char from[kPathBytes + 2];
  std::memset(from, 0, sizeof from);  // the list of names ends in two zero bytes
  lstrcpynA(from, path, kPathBytes);
  SHFILEOPSTRUCTA op;
  std::memset(&op, 0, sizeof op);
  op.hwnd = owner;
  op.wFunc = FO_DELETE;
  op.pFrom = from;
  op.fFlags = FOF_SILENT | FOF_ALLOWUNDO;
  ShowBusyBanner(owner);
  SHFileOperationA(&op);
  HideBusyBanner(owner);
}

// False when the user called it off at the confirmation: nothing changed, nothing to list.
bool DeleteCompletely(HWND owner, const char* path, bool folder) {
  if (ShowMessage(owner, folder ? kConfirmDirectory : kConfirmFile, path, kCapConfirmDeletion,
                  MB_ICONQUESTION | MB_OKCANCEL) != IDOK)
    return false;
  const WipeJob job{&SystemFiles(), g_programPath, &g_generator, ReadClock};
  WipeReport report;
  std::memset(&report, 0, sizeof report);
  ShowBusyBanner(owner);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  if (folder) WipeTree(job, path, &report);
  else WipeFile(job, path, &report);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HideBusyBanner(owner);
  if (report.failures) {
    ShowMessage(owner, kNotWiped, static_cast<long>(report.failures), report.first, kCapWarning,
                MB_ICONEXCLAMATION);
  }
  return true;
}

}  // namespace

void CmdDelete(const CommandInput& in) {
  const HWND owner = in.owner;
  Target t;
  const bool folder = TakeTarget(in.selected, &t) && t.folder;
  if (folder) {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const bool holds = TreeHoldsProgram(SystemFiles(), t.path, g_programPath);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (holds) {
      ShowMessage(owner, kProtected, kCapWarning, MB_ICONEXCLAMATION);
      return;
    }
  }
  if (!t.name[0]) {
    ShowMessage(owner, kNoTarget, kCapError, MB_ICONHAND);
    return;
  }
  if (IsRefusedDrive(t.kind)) {
    ShowMessage(owner, kDriveRefused, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  if (RefusesProgramFile(owner, t.path)) return;
  DeleteDialog dialog{t.name, g_mode};
  const INT_PTR outcome = RunDialog(owner, "DELFILE_DLG", DeleteDlgProc, &dialog);
  g_mode = dialog.mode;
  if (outcome != IDOK) return;
  if (g_mode == ToRecycleBin) ToRecycleBinOf(owner, t.path);
  else if (!DeleteCompletely(owner, t.path, folder)) return;
  ListDirectory(in.folder);
}
