// The Timestamp command: a new date and time for the selected file or folder, and optionally
// for everything below the folder.
#include "fileops/timestamp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/drives.h"
#include "browser/filelist.h"
#include "fileops/common.h"
#include "fileops/machine.h"
#include "fileops/texts.h"
#include "fileops/timestamp_work.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"
#include "ui/state.h"

using namespace fileops;

namespace {

constexpr Text kDriveRefused = {
    "Unable to change the timestamp of file or folder in the assigned drive.",
    "指定のドライブではファイル/フォルダーのタイムスタンプ変更はできません."};
constexpr Text kNoSpace = {"No free disk-space.", "ディスクの空きスペースがありません."};
constexpr Text kPartlyFailed = {
    "Failed in the modification of timestamp somewhere.\n"
    "Possibly, tried to change the timestamp of TOVRA.EXE itself.",
    "タイムスタンプの変更は、どこかで失敗しました.\n"
    "TOVRA.EXE のタイムスタンプ変更を試みた可能性があります."};

// The six lists in the order of the fields, with their first item and their count (the day
// list's count follows the month).
struct FieldList {
  int id, first, count;
};
const FieldList kLists[6] = {{IDC_TS_YEAR, 1980, 100}, {IDC_TS_MONTH, 1, 12}, {IDC_TS_DAY, 1, 31},
                             {IDC_TS_HOUR, 0, 24},     {IDC_TS_MINUTE, 0, 60}, {IDC_TS_SECOND, 0, 60}};

struct TimestampDialog {
  bool folder;
  int field[6];    // year, month, day, hour, minute, second as stored
  int initial[6];  // as the target had them
  bool subfolders;
};

void FillList(HWND list, int first, int count) {
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (int v = first; v < first + count; ++v) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", v);
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
}

int TextOf(HWND list) {
  char text[16] = {0};
  SendMessageA(list, WM_GETTEXT, 15, reinterpret_cast<LPARAM>(text));
  return std::atoi(text);
}

// Refills the day list for the month and year shown, keeping the day or taking the last one.
void AdjustDayList(HWND dlg) {
  HWND days = GetDlgItem(dlg, IDC_TS_DAY);
  const int day = TextOf(days);
  const int count = DaysInMonth(TextOf(GetDlgItem(dlg, IDC_TS_MONTH)),
                                TextOf(GetDlgItem(dlg, IDC_TS_YEAR)));
  FillList(days, 1, count);
  SendMessageA(days, CB_SETCURSEL, (day > count ? count : day < 1 ? 1 : day) - 1, 0);
}

void OnInit(HWND dlg, TimestampDialog* d) {
  for (int i = 0; i < 6; ++i) {
    HWND list = GetDlgItem(dlg, kLists[i].id);
    FillList(list, kLists[i].first, kLists[i].count);
    SendMessageA(list, CB_SETCURSEL, d->field[i] - kLists[i].first, 0);
  }
  AdjustDayList(dlg);
  if (!d->folder) EnableWindow(GetDlgItem(dlg, IDC_TS_SUBFOLDERS), FALSE);
}

// A selection change stores the item's value; no selection puts the stored value back.
void OnListChange(HWND dlg, TimestampDialog* d, int i) {
  HWND list = GetDlgItem(dlg, kLists[i].id);
  LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) {
    SendMessageA(list, CB_SETCURSEL, d->field[i] - kLists[i].first, 0);
    return;
  }
  char text[16] = {0};
  if (SendMessageA(list, CB_GETLBTEXTLEN, sel, 0) < static_cast<LRESULT>(sizeof text))
    SendMessageA(list, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(text));
  d->field[i] = std::atoi(text);
}

void OnOk(HWND dlg, TimestampDialog* d) {
  for (int i = 0; i < 6; ++i) {
    LRESULT sel = SendDlgItemMessageA(dlg, kLists[i].id, CB_GETCURSEL, 0, 0);
    d->field[i] = sel == CB_ERR ? d->initial[i] : static_cast<int>(sel) + kLists[i].first;
  }
  d->subfolders = IsWindowEnabled(GetDlgItem(dlg, IDC_TS_SUBFOLDERS)) &&
                  IsDlgButtonChecked(dlg, IDC_TS_SUBFOLDERS) == BST_CHECKED;
  EndDialog(dlg, IDOK);
}

void OnCommand(HWND dlg, TimestampDialog* d, int id, int code) {
  if (id == IDOK) {
    OnOk(dlg, d);
  } else if (id == IDCANCEL) {
    EndDialog(dlg, IDCANCEL);
  } else if (id == IDC_TS_SUBFOLDERS) {
    d->subfolders = !d->subfolders;
    CheckDlgButton(dlg, id, d->subfolders ? BST_CHECKED : BST_UNCHECKED);
  } else if (id >= IDC_TS_YEAR && id <= IDC_TS_SECOND) {
    if (code == CBN_SELCHANGE) OnListChange(dlg, d, id - IDC_TS_YEAR);
    if (id == IDC_TS_YEAR || id == IDC_TS_MONTH) AdjustDayList(dlg);
  }
}

INT_PTR CALLBACK TimestampDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      KeepDialogState(dlg, lParam);
      OnInit(dlg, reinterpret_cast<TimestampDialog*>(lParam));
      return TRUE;
    case WM_COMMAND:
      OnCommand(dlg, DialogState<TimestampDialog>(dlg), LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void CmdTimestamp(const CommandInput& in) {
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
  if (!HasClusterRoom(t.root, t.kind == DriveRemovable || t.kind == DriveRamDisk ? 0 : 1)) {
    ShowMessage(owner, kNoSpace, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  const bool ntfs = MachineVolumeIsNtfs(t.root);
  const DiskFiles& fs = MachineFiles();
  DirEntry e;
  if (!fs.lookup(path, &e)) {
    ShowMessage(owner, kNoTarget, kCapError, MB_ICONHAND);
    return;
  }
  const CalTime& w = e.lastWrite;
  TimestampDialog dialog{(e.attributes & kAttrDirectory) != 0,
                         {ClampYear(w.year), w.month, w.day, w.hour, w.minute, w.second},
                         {},
                         false};
  std::memcpy(dialog.initial, dialog.field, sizeof dialog.field);
  if (RunDialog(owner, "CHANGETIMESTAMP_DLG", TimestampDlgProc, &dialog) != IDOK) return;
  const int* f = dialog.field;
  TimeJob job{&fs, &MachineClockOf(), g_programPath, CalTime{f[0], f[1], f[2], f[3], f[4], f[5]},
              ntfs, g_osKind, GetACP() == 932, 0};
  SetPathTime(job, path);
  if (dialog.folder && dialog.subfolders) {
    ShowBusyBanner(owner);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    TimestampWalk(job, path);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    HideBusyBanner(owner);
  }
  if (job.failures) {
    ShowMessage(owner, kPartlyFailed, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  UpdateSelectedColumn(0);
  ShowItemByName(name);
}
