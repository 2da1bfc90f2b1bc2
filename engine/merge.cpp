// The Merge command: rebuilds the recorded file from the selected FILE-0 and its pieces.
#include "engine/merge.h"

#include <cstring>

#include "browser/filelist.h"
#include "browser/selection.h"
#include "engine/merge_work.h"
#include "engine/texts.h"
#include "resources/ids.h"
#include "shell/busy.h"
#include "shell/drives.h"
#include "shell/state.h"
#include "shell/ui.h"

using namespace engine;

void (*g_extractAfterMerge)(HWND owner, bool zip, const char* mergedName) = nullptr;

namespace {

constexpr Text kOpenInfo = {"Unable to open the information file, FILE-0.",
                            "情報ファイル FILE-0 を開けません."};
constexpr Text kMissedRead = {"Missed to read FILE-0.", "FILE-0 の誤読です."};
constexpr Text kDamaged = {"Found the damaged file, FILE-0.", "FILE-0 が破壊されています."};
constexpr Text kNotInfoFile = {"Please assign a file, FILE-0 (or, file-0).",
                               "FILE-0 (または file-0 )を指定してください."};
constexpr Text kNotHardDisk = {"Unable to merge the files other than in the hard disk.",
                               "ハードディスク以外ではファイルの結合はできません."};
constexpr Text kExists = {"Destination file already exists.\nPlease delete %s.",
                          "結合されたファイルが存在しています.\nファイル、%s を削除してください."};
constexpr Text kNoFirstPiece = {"Unable to find a file, FILE-1.", "FILE-1 を見つけられません."};
constexpr Text kNoSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
constexpr Text kCreate = {"Unable to create a destination file, %s.", "結合するファイル、%s を作成できません."};
constexpr Text kOpenPiece = {"Unable to open the source file, FILE-%d.",
                             "ソースファイル FILE-%d を開けません."};
constexpr Text kWrite = {"Unable to write to the destination file, %s.",
                         "結合先ファイルファイル、%s への書き込みができません."};
constexpr Text kReadPiece = {"Unable to read the source file, FILE-%d.", "ソースファイル FILE-%d を読めません."};
constexpr Text kReopen = {"Unable to open the merged file, %s.", "結合されたファイル、%s を開けません."};
constexpr Text kSizeDiffers = {"Unsuccess!\nFilesize is not equal to the original filesize.",
                               "不成功！\n作成されたファイルのサイズが元と異なります."};
constexpr Text kSuccess = {"Success!\nFile, %s, has been created.", "成功！\nファイル、%s が作成されました."};
constexpr Text kDelete = {"Do you delete FILE-0, ... , FILE-%d ?", "FILE-0, ... , FILE-%d を削除しますか？"};
constexpr Text kDecompressNext = {"Next do you decompress the compressed file ?",
                                  "次に、圧縮ファイルを解凍しますか？"};
constexpr Text kPieceDamaged = {"A file, FILE-%d, is damaged.", "ファイル(FILE-%d)が破壊されています."};
constexpr Text kPieceShort = {"A file, FILE-%d, is shorter than the original one.",
                              "ファイル(FILE-%d)が元より短くなっています."};
constexpr Text kAskRebuild = {"%s\nDo you rebuild it from the parity file, FILE-%d ?",
                              "%s\nパリティファイル FILE-%d から復元しますか？"};
constexpr Text kNoParity = {"%s\nUnable to rebuild it without the sound parity file, FILE-%d.",
                            "%s\n正常なパリティファイル FILE-%d がないため、復元できません."};
constexpr Text kTooManyBad = {"Files, %s, are damaged or missing.\nUnable to rebuild more than one file.",
                              "ファイル(%s)が破壊されているか不足しています.\n２個以上のファイルは復元できません."};
constexpr Text kRebuildFailed = {"Unsuccess!\nThe rebuilt file, FILE-%d, is not equal to the original one.",
                                 "不成功！\n復元されたファイル(FILE-%d)が元と異なります."};
constexpr Text kBadPiece[3] = {kPieceMissing, kPieceShort, kPieceDamaged};

// The piece set being merged, as read from the selected FILE-0.
struct PieceSet {
  char root[8];
  char dir[kPathBytes];
  const char* prefix;
  pieceset::InfoRecord record;
  pieceset::InfoValues values;
  uint32_t infoAttributes;
  bool fieldsEmpty;  // refused as damaged once the merge begins
  bool checked;
  pieceset::Checks checks;
};

// Reads FILE-0 of the set, reporting its own failures.
bool ReadRecord(HWND owner, PieceSet* set, bool dbcs932) {
  char path[kPathBytes];
  pieceset::ComposePiecePath(path, sizeof(path), set->dir, set->prefix, 0);
  const InfoFile info =
      ReadInformationFile(SystemFiles(), path, dbcs932, &set->record, &set->values, &set->checks);
  set->infoAttributes = info.attributes;
  set->checked = info.checked;
  if (!info.opened) {
    ShowMessage(owner, kOpenInfo, kCapError, MB_ICONHAND);
    return false;
  }
  if (info.result == pieceset::MainResult::MissedToRead) {
    ShowMessage(owner, kMissedRead, kCapError, MB_ICONHAND);
    return false;
  }
  if (info.result == pieceset::MainResult::Damaged) {
    ShowMessage(owner, kDamaged, kCapError, MB_ICONHAND);
    return false;
  }
  set->fieldsEmpty = info.result == pieceset::MainResult::EmptyField;
  return true;
}

INT_PTR CALLBACK MergeDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dlg, IDC_MRG_DEST, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dlg, LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

bool RoomOnDrive(void* root, int64_t bytes) {
  return bytes <= 0x7FFFFFFF && HasRoomFor(static_cast<const char*>(root), static_cast<long>(bytes));
}

struct RebuildAsk {
  HWND owner;
  int parity;
};

bool ConfirmRebuild(void* ctx, int piece, pieceset::PieceState state) {
  auto* ask = static_cast<RebuildAsk*>(ctx);
  char what[256];
  pieceset::DescribeBad(what, sizeof(what), piece, state, kBadPiece);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  const bool yes = ShowMessage(ask->owner, kAskRebuild, ask->parity, what, kCapInquiry,
                               MB_YESNO | MB_ICONQUESTION) == IDYES;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  return yes;
}

void ReportMergeFailure(HWND owner, const char* name, const MergeOutcome& out, int parity) {
  const UINT err = MB_ICONHAND;
  char what[256];
  switch (out.result) {
    case MergeResult::Ok: break;
    case MergeResult::NoFirstPiece: ShowMessage(owner, kNoFirstPiece, kCapError, err); break;
    case MergeResult::RecordDamaged: ShowMessage(owner, kDamaged, kCapError, err); break;
    case MergeResult::LastPieceEmpty: ShowMessage(owner, kDamaged, kCapError, err); break;
    case MergeResult::NoRoom: ShowMessage(owner, kNoSpace, kCapWarning, MB_ICONEXCLAMATION); break;
    case MergeResult::PieceMissing: ShowMessage(owner, kPieceMissing, out.piece, kCapError, err); break;
    case MergeResult::CreateFailed: ShowMessage(owner, kCreate, name, kCapError, err); break;
    case MergeResult::NameTaken: ShowMessage(owner, kExists, name, kCapWarning, MB_ICONEXCLAMATION); break;
    case MergeResult::OpenPieceFailed: ShowMessage(owner, kOpenPiece, out.piece, kCapError, err); break;
    case MergeResult::WriteFailed: ShowMessage(owner, kWrite, name, kCapError, err); break;
    case MergeResult::ReadPieceFailed: ShowMessage(owner, kReadPiece, out.piece, kCapError, err); break;
    case MergeResult::ReopenFailed: ShowMessage(owner, kReopen, name, kCapError, err); break;
    case MergeResult::SizeDiffers:
      ShowMessage(owner, kSizeDiffers, kCapError, MB_ICONEXCLAMATION);
      break;
    case MergeResult::PieceBad:
      pieceset::DescribeBad(what, sizeof(what), out.piece, out.bad.state[0], kBadPiece);
      ShowMessage(owner, kNoParity, parity, what, kCapError, err);
      break;
    case MergeResult::TooManyBad:
      pieceset::ListBad(out.bad, what, sizeof(what));
      ShowMessage(owner, kTooManyBad, what, kCapError, err);
      break;
    case MergeResult::RebuildDeclined: break;
    case MergeResult::RebuildFailed: ShowMessage(owner, kRebuildFailed, out.piece, kCapError, err); break;
  }
}

bool MergeOperation(HWND owner, PieceSet* set) {
  CheckNtfsVolume(set->root);
  RebuildAsk ask{owner, set->values.count + 1};
  const MergeJob job{set->dir, set->prefix, set->record.name, set->values.size,
                     set->values.count, set->infoAttributes,
                     pieceset::ResolveMergedTime(set->values, g_selFileTime, g_ntfsFlag != 0),
                     RoomOnDrive, set->root, set->checked ? &set->checks : nullptr,
                     ConfirmRebuild, &ask, set->fieldsEmpty};
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const MergeOutcome out = MergePieces(SystemFiles(), job);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  ReportMergeFailure(owner, set->record.name, out, ask.parity);
  return out.result == MergeResult::Ok;
}

// The last file of the set: the parity piece when the set has one on the disk.
int LastPieceOfSet(const PieceSet& set) {
  char path[kPathBytes];
  uint64_t length = 0;
  const int parity = set.values.count + 1;
  return set.checked && pieceset::ComposePiecePath(path, sizeof(path), set.dir, set.prefix, parity) &&
                 FindLength(SystemFiles(), path, &length)
             ? parity
             : set.values.count;
}

void OfferExtraction(HWND owner, ArchiveKind kind, const char* name) {
  if (kind == ArchiveKind::None || !g_extractAfterMerge) return;
  if (ShowMessage(owner, kDecompressNext, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    g_extractAfterMerge(owner, kind == ArchiveKind::Zip, name);
  }
}

}  // namespace

void CmdMerge(HWND owner) {
  const bool dbcs932 = GetACP() == 932;
  if (lstrcmpiA(g_selFileName, "file-0") != 0) {
    ShowMessage(owner, kNotInfoFile, kCapCaution, MB_ICONEXCLAMATION);
    return;
  }
  static PieceSet set;
  std::memset(&set, 0, sizeof(set));
  lstrcpynA(set.root, g_selFilePath, 4);
  if (GetDriveKind(set.root) != DriveFixed) {
    ShowMessage(owner, kNotHardDisk, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  if (!DirectoryOf(g_selFilePath, set.dir, sizeof(set.dir), dbcs932)) return;
  set.prefix = pieceset::PrefixForSelectedName(g_selFileName);
  if (!ReadRecord(owner, &set, dbcs932)) return;
  const char* name = set.record.name;
  if (NameExistsInDir(SystemFiles(), set.dir, name)) {
    ShowMessage(owner, kExists, name, kCapWarning, MB_ICONEXCLAMATION);
    return;
  }

  if (RunDialog(owner, "MERGEFILE_DLG", MergeDlgProc, const_cast<char*>(name)) != IDOK) return;

  ShowBusyBanner(owner);
  const bool merged = MergeOperation(owner, &set);
  HideBusyBanner(owner);
  if (!merged) return;

  ListDirectory(g_currentDir);
  ShowItemByName(name);
  ShowMessage(owner, kSuccess, name, kCapCongratulations, MB_ICONASTERISK);
  const int last = LastPieceOfSet(set);
  if (ShowMessage(owner, kDelete, static_cast<long>(last), kCapInquiry, MB_YESNO | MB_ICONQUESTION) ==
      IDYES) {
    RemovePieceSet(SystemFiles(), set.dir, set.prefix, last);
    ListDirectory(g_currentDir);
  }
  OfferExtraction(owner, ArchiveKindOfName(name, dbcs932), name);
}
