// The Attributes command: read-only, hidden, system and archive of the selected file or folder,
// and optionally of everything below the folder.
#include "fileops/attributes.h"

#include "base/drives.h"
#include "browser/filelist.h"
#include "fileops/attributes_work.h"
#include "fileops/common.h"
#include "fileops/texts.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"
#include "ui/state.h"

using namespace fileops;

namespace {

constexpr Text kDriveRefused = {
    "Unable to change the attributes of file or folder in the assigned drive.",
    "指定のドライブではファイル/フォルダーの属性変更はできません."};
constexpr Text kPartlyFailed = {
    "Failed in the modification of attributes somewhere.\n"
    "Possibly, tried to change the attributes of TOVRA.EXE itself.",
    "属性の変更は、どこかで失敗しました.\nTOVRA.EXE の属性変更を試みた可能性があります."};

struct AttributeDialog {
  bool folder;
  AttributeChoice chosen;
  TreeBoxes tree;
};

const int kBoxes[4] = {IDC_ATR_READONLY, IDC_ATR_HIDDEN, IDC_ATR_SYSTEM, IDC_ATR_ARCHIVE};

bool* ChosenFlag(AttributeChoice& c, int id) {
  switch (id) {
    case IDC_ATR_READONLY: return &c.readOnly;
    case IDC_ATR_HIDDEN: return &c.hidden;
    case IDC_ATR_SYSTEM: return &c.system;
    default: return &c.archive;
  }
}

void ShowTreeBoxes(HWND dlg, const TreeBoxes& t) {
  CheckDlgButton(dlg, IDC_ATR_SUBFOLDERS, t.subfolders ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_ATR_FILESONLY, t.filesOnly ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(dlg, IDC_ATR_FILESONLY), t.filesOnlyEnabled);
}

void OnInit(HWND dlg, AttributeDialog* d) {
  for (int id : kBoxes) CheckDlgButton(dlg, id, *ChosenFlag(d->chosen, id) ? BST_CHECKED : BST_UNCHECKED);
  ShowTreeBoxes(dlg, d->tree);
  if (!d->folder) EnableWindow(GetDlgItem(dlg, IDC_ATR_SUBFOLDERS), FALSE);
}

bool Ticked(HWND dlg, int id) {
  return IsWindowEnabled(GetDlgItem(dlg, id)) && IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

void OnOk(HWND dlg, AttributeDialog* d) {
  for (int id : kBoxes) *ChosenFlag(d->chosen, id) = IsDlgButtonChecked(dlg, id) == BST_CHECKED;
  d->tree.subfolders = Ticked(dlg, IDC_ATR_SUBFOLDERS);
  d->tree.filesOnly = Ticked(dlg, IDC_ATR_FILESONLY);
  EndDialog(dlg, IDOK);
}

void OnCommand(HWND dlg, AttributeDialog* d, int id) {
  if (id == IDOK) {
    OnOk(dlg, d);
  } else if (id == IDCANCEL) {
    EndDialog(dlg, IDCANCEL);
  } else if (id >= IDC_ATR_READONLY && id <= IDC_ATR_ARCHIVE) {
    bool* flag = ChosenFlag(d->chosen, id);
    *flag = !*flag;
    CheckDlgButton(dlg, id, *flag ? BST_CHECKED : BST_UNCHECKED);
  } else if (id == IDC_ATR_SUBFOLDERS) {
    d->tree = ToggleSubfolders(d->tree);
    ShowTreeBoxes(dlg, d->tree);
  } else if (id == IDC_ATR_FILESONLY) {
    d->tree.filesOnly = !d->tree.filesOnly;
    CheckDlgButton(dlg, id, d->tree.filesOnly ? BST_CHECKED : BST_UNCHECKED);
  }
}

INT_PTR CALLBACK AttributeDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      KeepDialogState(dlg, lParam);
      OnInit(dlg, reinterpret_cast<AttributeDialog*>(lParam));
      return TRUE;
    case WM_COMMAND:
      OnCommand(dlg, DialogState<AttributeDialog>(dlg), LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void CmdAttributes(const CommandInput& in) {
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
  const char* name = t.name;
  const char* path = t.path;
  if (RefusesProgramFile(owner, path)) return;
  const DiskFiles& fs = SystemFiles();
  DirEntry e;
  if (!fs.lookup(path, &e)) {
    ShowMessage(owner, kNoTarget, kCapError, MB_ICONHAND);
    return;
  }
  AttributeDialog dialog{(e.attributes & kAttrDirectory) != 0, ChoiceOf(e.attributes),
                         {false, false, false}};
  if (RunDialog(owner, "CHANGEATTR_DLG", AttributeDlgProc, &dialog) != IDOK) return;
  AttributeJob job{&fs, dialog.chosen, dialog.tree.filesOnly, g_programPath, 0};
  if (!dialog.folder || !job.filesOnly) SetChosenAttributes(job, path, dialog.folder);
  if (dialog.folder && dialog.tree.subfolders) {
    ShowBusyBanner(owner);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    AttributeWalk(job, path);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    HideBusyBanner(owner);
  }
  if (job.failures) {
    ShowMessage(owner, kPartlyFailed, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  UpdateSelectedColumn(1);
  ShowItemByName(name);
}
