// The Merge command: rebuilds the recorded file from the selected FILE-0 and its pieces.
#include "engine/merge.h"

#include <cstring>

#include "base/drives.h"
#include "browser/filelist.h"
#include "base/sse.h"
#include "engine/merge_work.h"
#include "engine/texts.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"

using namespace engine;

void (*g_extractAfterMerge)(const CommandInput& in, bool zip, const char* mergedName) = nullptr;

namespace {

constexpr Text kNotInfoFile = {"Please assign a file, FILE-0 (or, file-0).",
                               "FILE-0 (または file-0 )を指定してください."};
constexpr Text kNotHardDisk = {"Unable to merge the files other than in the hard disk.",
                               "ハードディスク以外ではファイルの結合はできません."};
constexpr Text kSuccess = {"Success!\nFile, %s, has been created.", "成功！\nファイル、%s が作成されました."};
constexpr Text kDecompressNext = {"Next do you decompress the compressed file ?",
                                  "次に、圧縮ファイルを解凍しますか？"};

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
  int parity;  // the number of the first parity piece
  int rows;    // the parity pieces
};

bool ConfirmRebuild(void* ctx, const pieceset::BadPieces& bad, int blocks, bool blockChecked) {
  auto* ask = static_cast<RebuildAsk*>(ctx);
  char what[256];
  if (bad.count == 1) pieceset::DescribeBad(what, sizeof(what), bad.piece[0], bad.state[0], kBadPiece);
  else pieceset::ListBad(bad, what, sizeof(what));
  // With more than one parity piece the blocks are told, with block checks or without.
  const bool rows = ask->rows > 1;
  const Text& text = bad.count > 1 ? (rows ? kAskRebuildManyRows : kAskRebuildMany)
                     : rows         ? kAskRebuildBlocksRows
                     : blockChecked ? kAskRebuildBlocks
                                    : kAskRebuild;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  const bool yes = ShowMessage(ask->owner, text, blockChecked || bad.count > 1 || rows ? blocks : ask->parity,
                               what, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  return yes;
}

void ReportMergeFailure(HWND owner, const char* name, const MergeOutcome& out, const RebuildAsk& set) {
  const int parity = set.parity;
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
    case MergeResult::SameStripe:
      pieceset::ListBad(out.bad, what, sizeof(what));
      ShowMessage(owner, out.result == MergeResult::SameStripe ? kSameStripe : kTooManyBad, what, kCapError,
                  err);
      break;
    case MergeResult::PiecesBad:
      pieceset::ListBad(out.bad, what, sizeof(what));
      ShowMessage(owner, kNoParityMany, parity, what, kCapError, err);
      break;
    case MergeResult::BeyondParity:
      pieceset::ListBad(out.bad, what, sizeof(what));
      ShowMessage(owner, kBeyondParity, set.rows, what, kCapError, err);
      break;
    case MergeResult::RebuildDeclined: break;
    case MergeResult::RebuildOpenFailed: ShowMessage(owner, kReopen, name, kCapError, err); break;
    case MergeResult::RebuildReadFailed: ShowMessage(owner, kReadMerged, name, kCapError, err); break;
    case MergeResult::RebuildFailed:
      if (out.bad.count == 1) {
        ShowMessage(owner, kRebuildFailed, out.piece, kCapError, err);
      } else {
        pieceset::ListBad(out.bad, what, sizeof(what));
        ShowMessage(owner, kRebuildFailedMany, what, kCapError, err);
      }
      break;
  }
}

// infoTime: the selected FILE-0's last write, for a record that has no time of its own.
bool MergeOperation(HWND owner, PieceSet* set, const CalTime& infoTime) {
  const bool ntfs = IsNtfsVolume(set->root);
  RebuildAsk ask{owner, set->values.count + 1, set->checked ? set->checks.parity : 1};
  const MergeJob job{set->dir, set->prefix, set->record.name, set->values.size,
                     set->values.count, set->infoAttributes,
                     pieceset::ResolveMergedTime(set->values, infoTime, ntfs),
                     RoomOnDrive, set->root, set->checked ? &set->checks : nullptr,
                     ConfirmRebuild, &ask, set->fieldsEmpty};
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  pieceset::AllowWideSteps(SystemKeepsSse());
  const MergeOutcome out = MergePieces(SystemFiles(), job);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  ReportMergeFailure(owner, set->record.name, out, ask);
  // After the failure's own message.
  if (out.leftAs) ShowMessage(owner, kLeftAs, out.leftAs, kCapWarning, MB_ICONEXCLAMATION);
  return out.result == MergeResult::Ok;
}

// The last file of the set: of its parity pieces and block checks, the last that is on the disk.
int LastPieceOfSet(const PieceSet& set) {
  char path[kPathBytes];
  uint64_t length = 0;
  for (int last = pieceset::LastOfSet(set.checks); set.checked && last > set.values.count; --last) {
    if (pieceset::ComposePiecePath(path, sizeof(path), set.dir, set.prefix, last) &&
        FindLength(SystemFiles(), path, &length)) {
      return last;
    }
  }
  return set.values.count;
}

void OfferExtraction(const CommandInput& in, ArchiveKind kind, const char* name) {
  if (kind == ArchiveKind::None || !g_extractAfterMerge) return;
  if (ShowMessage(in.owner, kDecompressNext, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    g_extractAfterMerge(in, kind == ArchiveKind::Zip, name);
  }
}

}  // namespace

void CmdMerge(const CommandInput& in) {
  const HWND owner = in.owner;
  const Selection& info = in.selected;
  const bool dbcs932 = GetACP() == 932;
  if (lstrcmpiA(info.fileName, "file-0") != 0) {
    ShowMessage(owner, kNotInfoFile, kCapCaution, MB_ICONEXCLAMATION);
    return;
  }
  static PieceSet set;
  std::memset(&set, 0, sizeof(set));
  lstrcpynA(set.root, info.filePath, 4);
  if (GetDriveKind(set.root) != DriveFixed) {
    ShowMessage(owner, kNotHardDisk, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  if (!DirectoryOf(info.filePath, set.dir, sizeof(set.dir), dbcs932)) return;
  set.prefix = pieceset::PrefixForSelectedName(info.fileName);
  if (!ReadRecord(owner, &set, dbcs932)) return;
  const char* name = set.record.name;
  if (NameExistsInDir(SystemFiles(), set.dir, name)) {
    ShowMessage(owner, kExists, name, kCapWarning, MB_ICONEXCLAMATION);
    return;
  }

  if (RunDialog(owner, "MERGEFILE_DLG", MergeDlgProc, const_cast<char*>(name)) != IDOK) return;

  ShowBusyBanner(owner);
  const bool merged = MergeOperation(owner, &set, info.fileTime);
  HideBusyBanner(owner);
  if (!merged) return;

  ListDirectory(in.folder);
  ShowItemByName(name);
  ShowMessage(owner, kSuccess, name, kCapCongratulations, MB_ICONASTERISK);
  const int last = LastPieceOfSet(set);
  if (ShowMessage(owner, kDelete, static_cast<long>(last), kCapInquiry, MB_YESNO | MB_ICONQUESTION) ==
      IDYES) {
    RemovePieceSet(SystemFiles(), set.dir, set.prefix, last);
    ListDirectory(in.folder);
  }
  OfferExtraction(in, ArchiveKindOfName(name, dbcs932), name);
}
