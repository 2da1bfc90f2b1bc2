// The Divide command: cuts the selected file into FILE-0 and pieces next to it.
#include "engine/divide.h"

#include <cstring>

#include "base/drives.h"
#include "base/sse.h"
#include "browser/filelist.h"
#include "engine/distribute.h"
#include "engine/divide_work.h"
#include "engine/parity_code.h"
#include "engine/texts.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"

using namespace engine;

namespace {

// Division size in blocks of 10000 bytes, kept for the run of the program.
int g_divisionBlocks = kDefaultBlocks;

constexpr Text kNotHardDisk = {"Unable to divide the file other than in the hard disk.",
                               "ハードディスク以外ではファイルの分割はできません."};
constexpr Text kSuccess = {"Success!\nFILE-0,...,FILE-%d have been created.",
                           "成功！\nFILE-0,...,FILE-%d が作成されました."};
constexpr Text kNextToFloppy = {"Next do you copy the divided files to FDs ?",
                                "次に、ファイルを FD にコピーしますか？"};

// The dialog's state: the size it shows and the user changes, kept for the run afterwards.
struct DivideDialog {
  const char* source;
  int blocks;
};

void OnDivideInit(HWND dlg, const DivideDialog& d) {
  HWND list = GetDlgItem(dlg, IDC_DIV_SIZELIST);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kSizeChoices; ++i) {
    char text[8];
    SizeChoiceText(i, text, sizeof(text));
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  }
  SendMessageA(list, CB_SETCURSEL, d.blocks - 1, 0);
  SetDlgItemTextA(dlg, IDC_DIV_SOURCE, d.source);
  int radio = RadioForBlocks(d.blocks);
  CheckRadioButton(dlg, IDC_DIV_144, IDC_DIV_USER, radio);
  EnableWindow(list, radio == IDC_DIV_USER);
}

void OnFixedSize(HWND dlg, DivideDialog* d, int id) {
  d->blocks = BlocksForRadio(id);
  CheckRadioButton(dlg, IDC_DIV_144, IDC_DIV_USER, id);
  EnableWindow(GetDlgItem(dlg, IDC_DIV_SIZELIST), FALSE);
}

void OnUserSize(HWND dlg) {
  CheckRadioButton(dlg, IDC_DIV_144, IDC_DIV_USER, IDC_DIV_USER);
  EnableWindow(GetDlgItem(dlg, IDC_DIV_SIZELIST), TRUE);
}

void OnSizeList(HWND dlg, DivideDialog* d, int code) {
  if (code != CBN_SELCHANGE || IsDlgButtonChecked(dlg, IDC_DIV_USER) != BST_CHECKED) return;
  HWND list = GetDlgItem(dlg, IDC_DIV_SIZELIST);
  LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) {
    SendMessageA(list, CB_SETCURSEL, d->blocks - 1, 0);
  } else {
    d->blocks = static_cast<int>(sel) + 1;
  }
}

INT_PTR CALLBACK DivideDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  DivideDialog* d = DialogState<DivideDialog>(dlg);
  switch (msg) {
    case WM_INITDIALOG:
      KeepDialogState(dlg, lParam);
      OnDivideInit(dlg, *reinterpret_cast<DivideDialog*>(lParam));
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) EndDialog(dlg, id);
      else if (id >= IDC_DIV_144 && id < IDC_DIV_USER) OnFixedSize(dlg, d, id);
      else if (id == IDC_DIV_USER) OnUserSize(dlg);
      else if (id == IDC_DIV_SIZELIST) OnSizeList(dlg, d, HIWORD(wParam));
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void ReportDivideFailure(HWND owner, const char* name, const DivideOutcome& out) {
  const UINT err = MB_ICONHAND;
  switch (out.result) {
    case DivideResult::Ok: break;
    case DivideResult::CreateInfoFailed: ShowMessage(owner, kCreateInfo, kCapError, err); break;
    case DivideResult::WriteInfoFailed: ShowMessage(owner, kWriteInfo, kCapError, err); break;
    case DivideResult::OpenSourceFailed:
      ShowMessage(owner, kOpenSource, name, kCapError, err);
      break;
    case DivideResult::CreatePieceFailed:
      ShowMessage(owner, kCreatePiece, out.piece, kCapError, err);
      break;
    case DivideResult::ReadSourceFailed:
      ShowMessage(owner, kReadSource, name, kCapError, err);
      break;
    case DivideResult::WritePieceFailed:
      ShowMessage(owner, kWritePiece, out.piece, kCapError, err);
      break;
  }
}

// The checks and the file work after the dialog; the count of data pieces written, 0 when
// none are.
int DivideOperation(HWND owner, const Selection& file, const char* root, const char* dir,
                    bool dbcs932) {
  const UINT warn = MB_ICONEXCLAMATION;
  const DivisionPlan plan = PlanDivision(file.fileSize, g_divisionBlocks);
  if (plan.status == PlanStatus::UnderDivisionSize) {
    ShowMessage(owner, kUnderSize, kCapWarning, warn);
    return 0;
  }
  if (plan.status == PlanStatus::OverMaxPieces) {
    ShowMessage(owner, kOver999, kCapWarning, warn);
    return 0;
  }
  if (SourceIsAmongPieces(file.fileName, plan.pieces)) {
    ShowMessage(owner, kNamedLikePiece, file.fileName, kCapWarning, warn);
    return 0;
  }
  const int64_t need = DivisionRoom(file.fileSize, plan);
  if (!HasRoomFor(root, need > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(need))) {
    ShowMessage(owner, kNoSpace, kCapWarning, warn);
    return 0;
  }
  const DivideJob job{dir, file.filePath, file.fileName, file.fileSize, file.fileTime, plan,
                      dbcs932};
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  pieceset::AllowWideSteps(SystemKeepsSse());
  const DivideOutcome out = DivideFile(SystemFiles(), job);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  if (out.result != DivideResult::Ok) {
    ReportDivideFailure(owner, file.fileName, out);
    return 0;
  }
  return plan.pieces;
}

}  // namespace

void CmdDivide(const CommandInput& in) {
  const HWND owner = in.owner;
  const Selection& file = in.selected;
  if (!file.fileName[0]) return;
  const bool dbcs932 = GetACP() == 932;
  char root[8] = {0};
  lstrcpynA(root, file.filePath, 4);
  if (GetDriveKind(root) != DriveFixed) {
    ShowMessage(owner, kNotHardDisk, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  // Readers split the record at semicolons, so such a name could not be merged again.
  if (HasSemicolon(file.fileName)) {
    ShowMessage(owner, kSemicolon, file.fileName, kCapWarning, MB_ICONEXCLAMATION);
    return;
  }
  char dir[kPathBytes];
  if (!DirectoryOf(file.filePath, dir, sizeof(dir), dbcs932)) return;
  const DiskFiles& fs = SystemFiles();
  if (HasPieceMarkedEntry(fs, dir, dbcs932)) {
    if (ShowMessage(owner, kPiecesExist, kCapQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) {
      return;
    }
    DeleteExistingPieces(fs, dir, file.fileName);
    ListDirectory(in.folder);
  }

  DivideDialog dialog{file.fileName, g_divisionBlocks};
  INT_PTR outcome = RunDialog(owner, "DIVFILE_DLG", DivideDlgProc, &dialog);
  g_divisionBlocks = dialog.blocks;
  if (outcome != IDOK) return;

  ShowBusyBanner(owner);
  const DWORD attributes = GetFileAttributesA(file.filePath);
  SetFileAttributesA(file.filePath, FILE_ATTRIBUTE_ARCHIVE);
  const int pieces = DivideOperation(owner, file, root, dir, dbcs932);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(file.filePath, attributes);
  HideBusyBanner(owner);
  if (!pieces) return;

  ListDirectory(in.folder);
  ShowItemByName("file-0");
  ShowMessage(owner, kSuccess, pieceset::LastSetNumber(pieces), kCapCongratulations,
              MB_ICONASTERISK);
  if (ShowMessage(owner, kNextToFloppy, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    CmdDistribute(in, pieces);
  }
}
