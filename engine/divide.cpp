#include "engine/divide.h"

#include <cstring>

#include "browser/filelist.h"
#include "browser/selection.h"
#include "engine/distribute.h"
#include "engine/divide_work.h"
#include "engine/messages.h"
#include "engine/texts.h"
#include "shell/app.h"
#include "shell/drives.h"
#include "shell/labels.h"
#include "shell/ui.h"

using namespace engine;

int g_divisionBlocks = kDefaultBlocks;
int g_dividedPieces = 0;

namespace {

INT_PTR g_divideOutcome = IDCANCEL;

void OnDivideInit(HWND dlg) {
  HWND list = GetDlgItem(dlg, kSizeList);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kSizeChoices; ++i) {
    char text[8];
    SizeChoiceText(i, text, sizeof(text));
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendMessageA(list, CB_SETCURSEL, g_divisionBlocks - 1, 0);
  SetDlgItemTextA(dlg, 134, g_selFileName);
  int radio = RadioForBlocks(g_divisionBlocks);
  CheckRadioButton(dlg, kFirstRadio, kUserRadio, radio);
  EnableWindow(list, radio == kUserRadio);
}

void OnFixedSize(HWND dlg, int id) {
  g_divisionBlocks = BlocksForRadio(id);
  CheckRadioButton(dlg, kFirstRadio, kUserRadio, id);
  EnableWindow(GetDlgItem(dlg, kSizeList), FALSE);
}

void OnUserSize(HWND dlg) {
  CheckRadioButton(dlg, kFirstRadio, kUserRadio, kUserRadio);
  EnableWindow(GetDlgItem(dlg, kSizeList), TRUE);
}

void OnSizeList(HWND dlg, int code) {
  if (code != CBN_SELCHANGE || IsDlgButtonChecked(dlg, kUserRadio) != BST_CHECKED) return;
  HWND list = GetDlgItem(dlg, kSizeList);
  LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) {
    SendMessageA(list, CB_SETCURSEL, g_divisionBlocks - 1, 0);
  } else {
    g_divisionBlocks = static_cast<int>(sel) + 1;
  }
}

void EndDivideDialog(HWND dlg, INT_PTR outcome) {
  g_divideOutcome = outcome;
  EndDialog(dlg, outcome);
}

INT_PTR CALLBACK DivideDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      OnDivideInit(dlg);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) EndDivideDialog(dlg, id);
      else if (id >= kFirstRadio && id < kUserRadio) OnFixedSize(dlg, id);
      else if (id == kUserRadio) OnUserSize(dlg);
      else if (id == kSizeList) OnSizeList(dlg, HIWORD(wParam));
      return TRUE;
    }
    case WM_CLOSE:
      EndDivideDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void ReportDivideFailure(HWND owner, const DivideOutcome& out) {
  const UINT err = MB_ICONHAND;
  switch (out.result) {
    case DivideResult::Ok: break;
    case DivideResult::CreateInfoFailed: ShowMessage(owner, kDivCreateInfo, kCapError, err); break;
    case DivideResult::WriteInfoFailed: ShowMessage(owner, kDivWriteInfo, kCapError, err); break;
    case DivideResult::OpenSourceFailed:
      ShowComposed(owner, kDivOpenSourceHead, g_selFileName, kDivOpenSourceTail, kCapError, err);
      break;
    case DivideResult::CreatePieceFailed:
      ShowNumbered(owner, kDivCreatePieceHead, out.piece, kDivCreatePieceTail, kCapError, err);
      break;
    case DivideResult::ReadSourceFailed:
      ShowComposed(owner, kDivReadSourceHead, g_selFileName, kDivReadSourceTail, kCapError, err);
      break;
    case DivideResult::WritePieceFailed:
      ShowNumbered(owner, kDivWritePieceHead, out.piece, kDivWritePieceTail, kCapError, err);
      break;
  }
}

// The checks and the file work after the dialog; true when the pieces are written.
bool DivideOperation(HWND owner, const char* root, const char* dir, bool dbcs932) {
  const UINT warn = MB_ICONEXCLAMATION;
  const DivisionPlan plan = PlanDivision(g_selFileSize, g_divisionBlocks);
  if (plan.status == PlanStatus::UnderDivisionSize) {
    ShowMessage(owner, kDivUnderSize, kCapWarning, warn);
    return false;
  }
  if (plan.status == PlanStatus::OverMaxPieces) {
    ShowMessage(owner, kDivOver999, kCapWarning, warn);
    return false;
  }
  if (SourceIsAmongPieces(g_selFileName, plan.pieces)) {
    ShowComposed(owner, kDivNamedLikePieceHead, g_selFileName, kDivNamedLikePieceTail,
                 kCapWarning, warn);
    return false;
  }
  if (!HasRoomFor(root, static_cast<long>(g_selFileSize) + kDiskMargin)) {
    ShowMessage(owner, kDivNoSpace, kCapWarning, warn);
    return false;
  }
  const DivideJob job{dir, g_selFilePath, g_selFileName, g_selFileSize, g_selFileTime, plan,
                      dbcs932};
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const DivideOutcome out = DivideFile(SystemFiles(), job);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  if (out.result != DivideResult::Ok) {
    ReportDivideFailure(owner, out);
    return false;
  }
  g_dividedPieces = plan.pieces;
  return true;
}

}  // namespace

void CmdDivide(HWND owner) {
  if (!g_selFileName[0]) return;
  const bool dbcs932 = GetACP() == 932;
  char root[8] = {0};
  lstrcpynA(root, g_selFilePath, 4);
  if (GetDriveKind(root) != DriveFixed) {
    ShowMessage(owner, kDivNotHardDisk, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  // Readers split the record at semicolons, so such a name could not be merged again.
  if (HasSemicolon(g_selFileName)) {
    ShowComposed(owner, kDivSemicolonHead, g_selFileName, kDivSemicolonTail, kCapWarning,
                 MB_ICONEXCLAMATION);
    return;
  }
  char dir[kPathBuf];
  if (!DirectoryOf(g_selFilePath, dir, sizeof(dir), dbcs932)) return;
  const DiskFiles& fs = SystemFiles();
  if (HasPieceMarkedEntry(fs, dir, dbcs932)) {
    if (ShowMessage(owner, kDivPiecesExist, kCapQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) {
      return;
    }
    DeleteExistingPieces(fs, dir, g_selFileName);
    ListDirectory(g_currentDir);
  }

  g_divideOutcome = IDCANCEL;
  RunDialog(owner, "DIVFILE_DLG", DivideDlgProc, 0);
  if (g_divideOutcome != IDOK) return;

  ShowBusyBanner(owner);
  const DWORD attributes = GetFileAttributesA(g_selFilePath);
  SetFileAttributesA(g_selFilePath, FILE_ATTRIBUTE_ARCHIVE);
  const bool divided = DivideOperation(owner, root, dir, dbcs932);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(g_selFilePath, attributes);
  HideBusyBanner(owner);
  if (!divided) return;

  ListDirectory(g_currentDir);
  ShowItemByName("file-0");
  ShowNumbered(owner, kDivSuccessHead, g_dividedPieces, kDivSuccessTail, kCapCongratulations,
               MB_ICONASTERISK);
  if (ShowMessage(owner, kDivNextToFloppy, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    CmdDistribute(owner);
  }
}
