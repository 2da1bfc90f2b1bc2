// The copy of a fresh piece set onto floppy disks, offered at the end of a division.
#include "engine/distribute.h"

#include <cstring>

#include "base/diskfiles.h"
#include "base/drives.h"
#include "browser/filelist.h"
#include "engine/distribute_work.h"
#include "engine/engine_rules.h"
#include "engine/merge_work.h"
#include "engine/parity_code.h"
#include "engine/texts.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"

using namespace engine;

namespace {

constexpr Text kNotFloppy = {"The selected drive is not an FDD.",
                             "選択されたドライブは FDD ではありません."};
constexpr Text kConfirm = {"Please confirm an FD inserted in the FDD and then press <OK> button.",
                           "FDD に FD が挿入されていることを確認し、<OK>ボタンを押してください."};
constexpr Text kInsert = {"Insert an FD in the FDD and then press <OK> button.",
                          "FD を FDD に入れて、<OK>ボタンを押してください."};
constexpr Text kNotEnough = {
    "Free diskspace of FD is not enough.\nDo you continue to copy with an another FD ?",
    "FDの空容量が不足です.\n別のFDに入れ換えて続けますか ?"};
constexpr Text kChangeDisk = {"Insert an another FD and then press <OK> button.",
                              "別のFD を入れて、<OK>ボタンを押してください."};
constexpr Text kNextDisk = {"Please insert a next FD in the FDD and then press <OK> button.",
                            "次の FD を FDD に入れて、<OK>ボタンを押してください."};
constexpr Text kInterrupted = {"Coping to FD was interrupted.", "FD へのコピーは中断されました."};
constexpr Text kCompleted = {
    "File copy to FD has been completed.\nDo you delete FILE-0, ... , FILE-%d on the disk ?",
    "FD へのファイルコピーが終了しました.\nディスク上の FILE-0, ... , FILE-%d を削除しますか？"};
constexpr Text kCopyFailed = {
    "Unable to copy FILE-%d to the FD correctly.\nDo you retry it with an another FD ?",
    "FILE-%d を FD に正しくコピーできませんでした.\n別のFDで、もう一度コピーしますか ?"};

struct FloppyCopy {
  HWND owner;
  char dir[kPathBytes];  // the piece set on the hard disk
  char root[4];          // the floppy drive
};

// The dialog's state: the letter it offers, and what the user typed.
struct FloppyDialog {
  char defaultLetter;
  char driveName[6];
};

void OnFloppyInit(HWND dlg, const FloppyDialog& d) {
  char letter[2] = {d.defaultLetter, 0};
  SetDlgItemTextA(dlg, IDC_FD_DRIVE, letter);
  SendDlgItemMessageA(dlg, IDC_FD_DRIVE, EM_LIMITTEXT, 2, 0);
}

void OnFloppyOk(HWND dlg, FloppyDialog* d) {
  std::memset(d->driveName, 0, sizeof(d->driveName));
  GetDlgItemTextA(dlg, IDC_FD_DRIVE, d->driveName, sizeof(d->driveName));
  EndDialog(dlg, IDOK);
}

INT_PTR CALLBACK FloppyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      KeepDialogState(dlg, lParam);
      OnFloppyInit(dlg, *reinterpret_cast<FloppyDialog*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) OnFloppyOk(dlg, DialogState<FloppyDialog>(dlg));
      else if (LOWORD(wParam) == IDCANCEL) EndDialog(dlg, IDCANCEL);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

// The first removable drive from A to Z, else Z.
char FindDefaultLetter() {
  for (char c = 'A'; c <= 'Z'; ++c) {
    char root[4] = {c, ':', '\\', 0};
    if (GetDriveKind(root) == DriveRemovable) return c;
  }
  return 'Z';
}

bool PieceLength(void* ctx, int i, uint64_t* length) {
  auto* c = static_cast<FloppyCopy*>(ctx);
  char path[kPathBytes];
  return pieceset::ComposePiecePath(path, sizeof(path), c->dir, "file-", i) &&
         FindLength(SystemFiles(), path, length);
}

// Asks the drive for its free space with the system's critical-error box off, so an empty or
// unreadable drive answers with a failure instead of a box of its own.
bool Probe(void* ctx, int32_t* freeBytes) {
  auto* c = static_cast<FloppyCopy*>(ctx);
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  const BOOL raised = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
  const BOOL ok = GetDiskFreeSpaceA(c->root, &sectors, &bytes, &freeClusters, &clusters);
  if (raised) SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  SetErrorMode(previous);
  *freeBytes = FloppyFreeBytes(sectors, bytes, freeClusters);
  return ok != 0;
}

CopyCheck CopyPiece(void* ctx, int i) {
  auto* c = static_cast<FloppyCopy*>(ctx);
  char from[kPathBytes], to[kPathBytes];
  pieceset::ComposePiecePath(from, sizeof(from), c->dir, "file-", i);
  pieceset::ComposePiecePath(to, sizeof(to), c->root, "file-", i);
  ShowBusyBanner(c->owner);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  CopyCheck result = CopyCheck::Failed;
  if (CopyFileA(from, to, FALSE)) {
    result = FilesEqual(SystemFiles(), from, to) ? CopyCheck::Same : CopyCheck::Different;
  }
  SetErrorMode(previous);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HideBusyBanner(c->owner);
  return result;
}

bool Prompt(void* ctx, FloppyPrompt what, int i) {
  HWND owner = static_cast<FloppyCopy*>(ctx)->owner;
  switch (what) {
    case FloppyPrompt::Confirm:
      return ShowMessage(owner, kConfirm, kCapConfirmation, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    case FloppyPrompt::Insert:
      return ShowMessage(owner, kInsert, kCapRequest, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
    case FloppyPrompt::NotEnough:
      return ShowMessage(owner, kNotEnough, kCapWarning, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    case FloppyPrompt::ChangeDisk:
      ShowMessage(owner, kChangeDisk, kCapConfirmation, MB_OK | MB_ICONQUESTION);
      return true;
    case FloppyPrompt::NextDisk:
      return ShowMessage(owner, kNextDisk, kCapRequest, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
    case FloppyPrompt::Interrupted:
      ShowMessage(owner, kInterrupted, kCapInformation, MB_ICONASTERISK);
      return true;
    case FloppyPrompt::CopyFailed:
      return ShowMessage(owner, kCopyFailed, i, kCapError, MB_YESNO | MB_ICONHAND) == IDYES;
    case FloppyPrompt::Missing:
      ShowMessage(owner, kPieceMissing, i, kCapError, MB_ICONHAND);
      return false;
  }
  return false;
}

}  // namespace

void CmdDistribute(const CommandInput& in, int pieces) {
  const HWND owner = in.owner;
  const bool dbcs932 = GetACP() == 932;
  FloppyDialog dialog{FindDefaultLetter(), {}};
  if (RunDialog(owner, "DIVFILETOFD_DLG", FloppyDlgProc, &dialog) != IDOK) return;

  FloppyCopy copy{};
  copy.owner = owner;
  if (!FloppyRootFromInput(dialog.driveName, copy.root) || GetDriveKind(copy.root) != DriveRemovable) {
    ShowMessage(owner, kNotFloppy, kCapWarning, MB_SYSTEMMODAL | MB_ICONHAND);
    return;
  }
  if (!DirectoryOf(in.selected.filePath, copy.dir, sizeof(copy.dir), dbcs932)) return;
  // The parity pieces and the block checks follow the data pieces by their numbers, each on a
  // disk of its own where it must.
  const int last = pieceset::LastSetNumber(pieces);
  const FloppySteps steps{&copy, PieceLength, Probe, CopyPiece, Prompt};
  if (DistributePieces(steps, last) != FloppyEnd::Completed) return;

  if (ShowMessage(owner, kCompleted, last, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    RemovePieceSet(SystemFiles(), copy.dir, "file-", last);
    ListDirectory(in.folder);
  }
}
