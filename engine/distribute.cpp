#include "engine/distribute.h"

#include <cstring>

#include "browser/filelist.h"
#include "browser/selection.h"
#include "engine/distribute_work.h"
#include "engine/divide.h"
#include "engine/engine_rules.h"
#include "engine/messages.h"
#include "engine/texts.h"
#include "shell/app.h"
#include "shell/drives.h"
#include "shell/labels.h"
#include "shell/ui.h"

using namespace engine;

namespace {

char g_defaultLetter = 'Z';
char g_driveName[6];
INT_PTR g_floppyOutcome = IDCANCEL;

struct FloppyCopy {
  HWND owner;
  char dir[kPathBuf];  // the piece set on the hard disk
  char root[4];        // the floppy drive
};

void EndFloppyDialog(HWND dlg, INT_PTR outcome) {
  g_floppyOutcome = outcome;
  EndDialog(dlg, outcome);
}

void OnFloppyInit(HWND dlg) {
  char letter[2] = {g_defaultLetter, 0};
  SetDlgItemTextA(dlg, 141, letter);
  SendDlgItemMessageA(dlg, 141, EM_LIMITTEXT, 2, 0);
}

void OnFloppyOk(HWND dlg) {
  std::memset(g_driveName, 0, sizeof(g_driveName));
  GetDlgItemTextA(dlg, 141, g_driveName, sizeof(g_driveName));
  EndFloppyDialog(dlg, IDOK);
}

INT_PTR CALLBACK FloppyDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      OnFloppyInit(dlg);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) OnFloppyOk(dlg);
      else if (LOWORD(wParam) == IDCANCEL) EndFloppyDialog(dlg, IDCANCEL);
      return TRUE;
    case WM_CLOSE:
      EndFloppyDialog(dlg, IDCANCEL);
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
  char path[kPathBuf];
  return pieceset::ComposePiecePath(path, sizeof(path), c->dir, "file-", i) &&
         SystemFiles().find(path, length);
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
  char from[kPathBuf], to[kPathBuf];
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
      return ShowMessage(owner, kFdConfirm, kCapConfirmation, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    case FloppyPrompt::Insert:
      return ShowMessage(owner, kFdInsert, kCapRequest, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
    case FloppyPrompt::NotEnough:
      return ShowMessage(owner, kFdNotEnough, kCapWarning, MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
    case FloppyPrompt::ChangeDisk:
      ShowMessage(owner, kFdChangeDisk, kCapConfirmation, MB_OK | MB_ICONQUESTION);
      return true;
    case FloppyPrompt::NextDisk:
      return ShowMessage(owner, kFdNextDisk, kCapRequest, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
    case FloppyPrompt::Interrupted:
      ShowMessage(owner, kFdInterrupted, kCapInformation, MB_ICONASTERISK);
      return true;
    case FloppyPrompt::CopyFailed:
      return ShowNumbered(owner, kFdCopyFailedHead, i, kFdCopyFailedTail, kCapError,
                          MB_YESNO | MB_ICONHAND) == IDYES;
    case FloppyPrompt::Missing:
      ShowNumbered(owner, kMrgMissingHead, i, kMrgMissingTail, kCapError, MB_ICONHAND);
      return false;
  }
  return false;
}

}  // namespace

void CmdDistribute(HWND owner) {
  const bool dbcs932 = GetACP() == 932;
  g_defaultLetter = FindDefaultLetter();
  g_floppyOutcome = IDCANCEL;
  RunDialog(owner, "DIVFILETOFD_DLG", FloppyDlgProc, 0);
  if (g_floppyOutcome != IDOK) return;

  FloppyCopy copy{};
  copy.owner = owner;
  if (!FloppyRootFromInput(g_driveName, copy.root) || GetDriveKind(copy.root) != DriveRemovable) {
    ShowMessage(owner, kFdNotFloppy, kCapWarning, MB_SYSTEMMODAL | MB_ICONHAND);
    return;
  }
  if (!DirectoryOf(g_selFilePath, copy.dir, sizeof(copy.dir), dbcs932)) return;
  const FloppySteps steps{&copy, PieceLength, Probe, CopyPiece, Prompt};
  if (DistributePieces(steps, g_dividedPieces) != FloppyEnd::Completed) return;

  if (ShowNumbered(owner, kFdCompletedHead, g_dividedPieces, kFdCompletedTail, kCapInquiry,
                   MB_YESNO | MB_ICONQUESTION) == IDYES) {
    RemovePieceSet(SystemFiles(), copy.dir, "file-", g_dividedPieces);
    ListDirectory(g_currentDir);
  }
}
