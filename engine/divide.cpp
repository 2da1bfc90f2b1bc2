// The Divide command: cuts the selected file into FILE-0 and pieces next to it.
#include "engine/divide.h"

#include <cstring>

#include "browser/filelist.h"
#include "browser/selection.h"
#include "engine/distribute.h"
#include "engine/divide_work.h"
#include "resources/ids.h"
#include "shell/busy.h"
#include "shell/drives.h"
#include "shell/state.h"
#include "shell/ui.h"

using namespace engine;

int g_divisionBlocks = kDefaultBlocks;
int g_dividedPieces = 0;

namespace {

constexpr Text kNotHardDisk = {"Unable to divide the file other than in the hard disk.",
                               "ハードディスク以外ではファイルの分割はできません."};
constexpr Text kSemicolon = {
    "Unable to divide a file whose name contains a semicolon (;), %s.\nPlease rename it first.",
    "名前にセミコロン(;)を含むファイル、%s は分割できません.\n先に名前を変更してください."};
constexpr Text kPiecesExist = {
    "Destination files (FILE-0, ... ,FILE-i)\nexist in the directory.\n"
    "Do you continue the file division by deleting them ?",
    "分割されたファイル (FILE-0, ... ,FILE-i)\nがフォルダーに存在しています.\n"
    "これらを削除して、ファイル分割を続けますか？"};
constexpr Text kUnderSize = {"Source filesize is under the division size.",
                             "分割するファイルのサイズが指定分割サイズ以下です."};
constexpr Text kOver999 = {"Number of divided files is over 999.",
                           "分割されるファイルの数が９９９個以上です."};
constexpr Text kNamedLikePiece = {
    "Unable to divide a file named like one of its pieces, %s.\nPlease rename it first.",
    "分割先ファイルと同じ名前のファイル、%s は分割できません.\n先に名前を変更してください."};
constexpr Text kNoSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
constexpr Text kCreateInfo = {"Unable to create a destination file, FILE-0.",
                              "コピー先ファイル FILE-0 を作成できません."};
constexpr Text kWriteInfo = {"Unable to write to FILE-0.", "FILE-0 へ書き込みができません."};
constexpr Text kOpenSource = {"Unable to open a source file, %s.", "ソースファイル、%sを開けません."};
constexpr Text kCreatePiece = {"Unable to create a destination file, FILE-%d.",
                               "分割先ファイル FILE-%d を作成できません."};
constexpr Text kWritePiece = {"Unable to write to the destination file, FILE-%d.",
                              "分割先ファイル FILE-%d への書き込みができません."};
constexpr Text kReadSource = {"Unable to read the source file, %s.", "ソースファイル、%s を読めません."};
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

void ReportDivideFailure(HWND owner, const DivideOutcome& out) {
  const UINT err = MB_ICONHAND;
  switch (out.result) {
    case DivideResult::Ok: break;
    case DivideResult::CreateInfoFailed: ShowMessage(owner, kCreateInfo, kCapError, err); break;
    case DivideResult::WriteInfoFailed: ShowMessage(owner, kWriteInfo, kCapError, err); break;
    case DivideResult::OpenSourceFailed:
      ShowMessage(owner, kOpenSource, g_selFileName, kCapError, err);
      break;
    case DivideResult::CreatePieceFailed:
      ShowMessage(owner, kCreatePiece, out.piece, kCapError, err);
      break;
    case DivideResult::ReadSourceFailed:
      ShowMessage(owner, kReadSource, g_selFileName, kCapError, err);
      break;
    case DivideResult::WritePieceFailed:
      ShowMessage(owner, kWritePiece, out.piece, kCapError, err);
      break;
  }
}

// The checks and the file work after the dialog; true when the pieces are written.
bool DivideOperation(HWND owner, const char* root, const char* dir, bool dbcs932) {
  const UINT warn = MB_ICONEXCLAMATION;
  const DivisionPlan plan = PlanDivision(g_selFileSize, g_divisionBlocks);
  if (plan.status == PlanStatus::UnderDivisionSize) {
    ShowMessage(owner, kUnderSize, kCapWarning, warn);
    return false;
  }
  if (plan.status == PlanStatus::OverMaxPieces) {
    ShowMessage(owner, kOver999, kCapWarning, warn);
    return false;
  }
  if (SourceIsAmongPieces(g_selFileName, plan.pieces)) {
    ShowMessage(owner, kNamedLikePiece, g_selFileName, kCapWarning, warn);
    return false;
  }
  const int64_t need = DivisionRoom(g_selFileSize, plan);
  if (!HasRoomFor(root, need > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<long>(need))) {
    ShowMessage(owner, kNoSpace, kCapWarning, warn);
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
    ShowMessage(owner, kNotHardDisk, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  // Readers split the record at semicolons, so such a name could not be merged again.
  if (HasSemicolon(g_selFileName)) {
    ShowMessage(owner, kSemicolon, g_selFileName, kCapWarning, MB_ICONEXCLAMATION);
    return;
  }
  char dir[kPathBytes];
  if (!DirectoryOf(g_selFilePath, dir, sizeof(dir), dbcs932)) return;
  const DiskFiles& fs = SystemFiles();
  if (HasPieceMarkedEntry(fs, dir, dbcs932)) {
    if (ShowMessage(owner, kPiecesExist, kCapQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES) {
      return;
    }
    DeleteExistingPieces(fs, dir, g_selFileName);
    ListDirectory(g_currentDir);
  }

  DivideDialog dialog{g_selFileName, g_divisionBlocks};
  INT_PTR outcome = RunDialog(owner, "DIVFILE_DLG", DivideDlgProc, &dialog);
  g_divisionBlocks = dialog.blocks;
  if (outcome != IDOK) return;

  ShowBusyBanner(owner);
  const DWORD attributes = GetFileAttributesA(g_selFilePath);
  SetFileAttributesA(g_selFilePath, FILE_ATTRIBUTE_ARCHIVE);
  const bool divided = DivideOperation(owner, root, dir, dbcs932);
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(g_selFilePath, attributes);
  HideBusyBanner(owner);
  if (!divided) return;

  ListDirectory(g_currentDir);
  ShowItemByName("file-0");
  ShowMessage(owner, kSuccess, g_dividedPieces + 2, kCapCongratulations, MB_ICONASTERISK);
  if (ShowMessage(owner, kNextToFloppy, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    CmdDistribute(owner);
  }
}
