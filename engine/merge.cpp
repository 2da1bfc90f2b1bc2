#include "engine/merge.h"

#include <cstring>

#include "browser/filelist.h"
#include "browser/selection.h"
#include "engine/merge_work.h"
#include "engine/messages.h"
#include "engine/texts.h"
#include "shell/app.h"
#include "shell/drives.h"
#include "shell/labels.h"
#include "shell/ui.h"

using namespace engine;

void (*g_extractAfterMerge)(HWND owner, bool zip, const char* mergedName) = nullptr;

namespace {

// The record read from the selected FILE-0; the follow-up questions use it after the merge.
pieceset::InfoRecord g_record;
pieceset::InfoValues g_values;
const char* g_prefix = "FILE-";
uint32_t g_infoAttributes = kNoAttributes;
char g_root[8];
char g_dir[kPathBuf];
INT_PTR g_mergeOutcome = IDCANCEL;

// Reads FILE-0 of g_dir with g_prefix, reporting its own failures.
bool ReadInformationFile(HWND owner, bool dbcs932) {
  char path[kPathBuf];
  pieceset::ComposePiecePath(path, sizeof(path), g_dir, g_prefix, 0);
  g_infoAttributes = GetFileAttributesA(path);
  SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  pieceset::MainResult result = pieceset::MainResult::MissedToRead;
  if (h != INVALID_HANDLE_VALUE) {
    static char data[pieceset::kReadLimit];
    std::memset(data, 0, sizeof(data));
    DWORD got = 0;
    DWORD high = 0;
    DWORD low = GetFileSize(h, &high);
    ReadFile(h, data, sizeof(data), &got, nullptr);
    CloseHandle(h);
    const bool complete = high == 0 && low == got;
    result = pieceset::ReadMain(data, got, complete, dbcs932, &g_record, &g_values);
  }
  if (g_infoAttributes != kNoAttributes) SetFileAttributesA(path, g_infoAttributes);
  if (h == INVALID_HANDLE_VALUE) {
    ShowMessage(owner, kMrgOpenInfo, kCapError, MB_ICONHAND);
    return false;
  }
  if (result == pieceset::MainResult::MissedToRead) {
    ShowMessage(owner, kMrgMissedRead, kCapError, MB_ICONHAND);
    return false;
  }
  if (result == pieceset::MainResult::Damaged) {
    ShowMessage(owner, kMrgDamaged, kCapError, MB_ICONHAND);
    return false;
  }
  return true;
}

void EndMergeDialog(HWND dlg, INT_PTR outcome) {
  g_mergeOutcome = outcome;
  EndDialog(dlg, outcome);
}

INT_PTR CALLBACK MergeDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dlg, 142, g_record.name);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndMergeDialog(dlg, LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      EndMergeDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

bool RoomOnDrive(void* root, int64_t bytes) {
  return bytes <= 0x7FFFFFFF && HasRoomFor(static_cast<const char*>(root), static_cast<long>(bytes));
}

void ReportMergeFailure(HWND owner, const MergeOutcome& out) {
  const char* name = g_record.name;
  const UINT err = MB_ICONHAND;
  switch (out.result) {
    case MergeResult::Ok: break;
    case MergeResult::NoFirstPiece: ShowMessage(owner, kMrgNoFirstPiece, kCapError, err); break;
    case MergeResult::LastPieceEmpty: ShowMessage(owner, kMrgDamaged, kCapError, err); break;
    case MergeResult::NoRoom:
      ShowMessage(owner, kMrgNoSpace, kCapWarning, MB_ICONEXCLAMATION);
      break;
    case MergeResult::PieceMissing:
      ShowNumbered(owner, kMrgMissingHead, out.piece, kMrgMissingTail, kCapError, err);
      break;
    case MergeResult::CreateFailed:
      ShowComposed(owner, kMrgCreateHead, name, kMrgCreateTail, kCapError, err);
      break;
    case MergeResult::OpenPieceFailed:
      ShowNumbered(owner, kMrgOpenPieceHead, out.piece, kMrgOpenPieceTail, kCapError, err);
      break;
    case MergeResult::WriteFailed:
      ShowComposed(owner, kMrgWriteHead, name, kMrgWriteTail, kCapError, err);
      break;
    case MergeResult::ReadPieceFailed:
      ShowNumbered(owner, kMrgReadPieceHead, out.piece, kMrgReadPieceTail, kCapError, err);
      break;
    case MergeResult::ReopenFailed:
      ShowComposed(owner, kMrgReopenHead, name, kMrgReopenTail, kCapError, err);
      break;
    case MergeResult::SizeDiffers:
      ShowMessage(owner, kMrgSizeDiffers, kCapError, MB_ICONEXCLAMATION);
      break;
  }
}

bool MergeOperation(HWND owner) {
  CheckNtfsVolume(g_root);
  const MergeJob job{g_dir, g_prefix, g_record.name, g_values.size, g_values.count,
                     g_infoAttributes,
                     pieceset::ResolveMergedTime(g_values, g_selFileTime, g_ntfsFlag != 0),
                     RoomOnDrive, g_root};
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const MergeOutcome out = MergePieces(SystemFiles(), job);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  ReportMergeFailure(owner, out);
  return out.result == MergeResult::Ok;
}

void OfferExtraction(HWND owner, ArchiveKind kind) {
  if (kind == ArchiveKind::None || !g_extractAfterMerge) return;
  if (ShowMessage(owner, kMrgDecompressNext, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    g_extractAfterMerge(owner, kind == ArchiveKind::Zip, g_record.name);
  }
}

}  // namespace

void CmdMerge(HWND owner) {
  const bool dbcs932 = GetACP() == 932;
  if (lstrcmpiA(g_selFileName, "file-0") != 0) {
    ShowMessage(owner, kMrgNotInfoFile, kCapCaution, MB_ICONEXCLAMATION);
    return;
  }
  std::memset(g_root, 0, sizeof(g_root));
  lstrcpynA(g_root, g_selFilePath, 4);
  if (GetDriveKind(g_root) != DriveFixed) {
    ShowMessage(owner, kMrgNotHardDisk, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  if (!DirectoryOf(g_selFilePath, g_dir, sizeof(g_dir), dbcs932)) return;
  g_prefix = pieceset::PrefixForSelectedName(g_selFileName);
  if (!ReadInformationFile(owner, dbcs932)) return;
  if (NameExistsInDir(SystemFiles(), g_dir, g_record.name)) {
    ShowComposed(owner, kMrgExistsHead, g_record.name, kMrgExistsTail, kCapWarning,
                 MB_ICONEXCLAMATION);
    return;
  }

  g_mergeOutcome = IDCANCEL;
  RunDialog(owner, "MERGEFILE_DLG", MergeDlgProc, 0);
  if (g_mergeOutcome != IDOK) return;

  ShowBusyBanner(owner);
  const bool merged = MergeOperation(owner);
  HideBusyBanner(owner);
  if (!merged) return;

  ListDirectory(g_currentDir);
  ShowItemByName(g_record.name);
  ShowComposed(owner, kMrgSuccessHead, g_record.name, kMrgSuccessTail, kCapCongratulations,
               MB_ICONASTERISK);
  if (ShowNumbered(owner, kMrgDeleteHead, g_values.count, kMrgDeleteTail, kCapInquiry,
                   MB_YESNO | MB_ICONQUESTION) == IDYES) {
    RemovePieceSet(SystemFiles(), g_dir, g_prefix, g_values.count);
    ListDirectory(g_currentDir);
  }
  OfferExtraction(owner, ArchiveKindOfName(g_record.name, dbcs932));
}
