// The Copy command: the selected file into a directory the user types, with particular care
// for floppy disks: a medium asked for, the drive retried, the room checked, the copy read back.
#include "fileops/copy.h"

#include "base/drives.h"
#include "fileops/common.h"
#include "fileops/copy_work.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"
#include "ui/state.h"

using namespace fileops;

namespace {

constexpr Text kBadDestination = {"Please assign a correct path to copy the file.",
                                  "コピー先のパス名が正しくありません."};
constexpr Text kDriveRefused = {"Unable to copy the file to the assigned drive.",
                                "指定のドライブへはファイルのコピーはできません."};
constexpr Text kDirectoryMissing = {"Unable to find the path to copy the assigned file.",
                                    "ファイルのコピー先のパス名が存在しません."};
constexpr Text kSameAsSource = {"Destination is same as the source.", "コピー先とコピー元が同じです."};
constexpr Text kInsertMedia = {"Insert a media in the drive.\nThen, press <OK> button.",
                               "メディアをドライブに入れて下さい.\n挿入後、<OK>ボタンを押してください"};
constexpr Text kNoSpace = {"Free diskspace is not enough.", "コピー先のディスクの空容量が不足です."};
constexpr Text kOverwrite = {"Destination file already exists.\nDo you overwrite on it?",
                             "コピー先に同名のファイルが存在します.\n重ね書きしますか？"};
constexpr Text kCopyFailed = {"Unable to copy %s.\nNothing has been left at the destination.",
                              "%s をコピーできませんでした.\nコピー先には何も残っていません."};
constexpr Text kCopyDiffers = {
    "The copy of %s on the disk differs from the file.\nThe bad copy has been removed.",
    "ディスク上の %s のコピーが元のファイルと異なります.\n不正なコピーは削除されました."};
constexpr Text kReplaceFailed = {"Unable to replace %s at the destination.",
                                 "コピー先の %s を置き換えられませんでした."};
constexpr Text kOldAside = {
    "Unable to replace the file at the destination.\nThe file that was there is left as %s.",
    "コピー先のファイルを置き換えられませんでした.\n元のファイルは %s として残っています."};
constexpr Text kOldLeft = {
    "The file has been copied, but the file it replaced cannot be deleted.\nIt is left as %s.",
    "ファイルはコピーされましたが、置き換えられたファイルを削除できません.\nそのファイルは %s として残っています."};
constexpr Text kCopyLeft = {"Unable to copy the file, nor to delete its copy.\nIt is left as %s.",
                             "ファイルをコピーできず、そのコピーを削除することもできません.\n"
                             "コピーは %s として残っています."};
constexpr Text kUnreadable = {
    "Unable to read a part of %s.\nDo you copy what can be read, filling the rest with zeros?",
    "%s の一部を読み込めません.\n読み込めない部分を 0 で埋めて、コピーしますか？"};
constexpr Text kZeroFilled = {
    "%s has been copied, but %d bytes of it could not be read.\nThey are zeros in the copy.",
    "%s をコピーしましたが、その内の %d バイトを読み込めませんでした.\nコピーではその部分は 0 になっています."};

// Asks the drive until it answers or the user gives up; the system's own critical-error box
// stays away from removable drives while it is asked.
bool WaitForMedia(HWND owner, const char* root, DriveKind kind, ClusterCounts* counts) {
  for (;;) {
    const UINT previous = kind == DriveRemovable ? SetErrorMode(SEM_FAILCRITICALERRORS) : 0;
    const bool answered = QueryClusters(root, counts);
    if (kind == DriveRemovable) SetErrorMode(previous);
    if (answered) return true;
    if (ShowMessage(owner, kInsertMedia, kCapWarning, MB_ICONEXCLAMATION | MB_OKCANCEL) != IDOK)
      return false;
  }
}

struct CopyAsk {
  HWND owner;
  const char* name;  // the file being copied
};

// The question of a copy from a removable disk that meets a sector it cannot read, asked with
// the arrow cursor over the busy banner's work.
bool AskCopyReadable(void* ctx) {
  const CopyAsk& ask = *static_cast<const CopyAsk*>(ctx);
  HWND owner = ask.owner;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HideBusyBanner(owner);
  const bool yes = ShowMessage(owner, kUnreadable, ask.name, kCapWarning,
                               MB_ICONEXCLAMATION | MB_YESNO) == IDYES;
  ShowBusyBanner(owner);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  return yes;
}

void ReportCopy(HWND owner, CopyResult r, const char* name, const char* left) {
  switch (r) {
    case CopyResult::Ok: break;
    case CopyResult::CopyFailed:
      ShowMessage(owner, kCopyFailed, name, kCapError, MB_ICONHAND);
      break;
    case CopyResult::Differs:
      ShowMessage(owner, kCopyDiffers, name, kCapError, MB_ICONHAND);
      break;
    case CopyResult::ReplaceFailed:
      ShowMessage(owner, kReplaceFailed, name, kCapError, MB_ICONHAND);
      break;
    case CopyResult::OldAside:
      ShowMessage(owner, kOldAside, left, kCapError, MB_ICONHAND);
      break;
    case CopyResult::OldLeft:
      ShowMessage(owner, kOldLeft, left, kCapWarning, MB_ICONEXCLAMATION);
      break;
    case CopyResult::CopyLeft:
      ShowMessage(owner, kCopyLeft, left, kCapError, MB_ICONHAND);
      break;
  }
}

}  // namespace

void CmdCopy(const CommandInput& in) {
  const HWND owner = in.owner;
  const Selection& file = in.selected;
  static TextEntry dialog;
  dialog = TextEntry{IDC_CPY_SOURCE, file.fileName, IDC_CPY_DEST, 249 - lstrlenA(file.fileName),
                     {}};
  if (RunDialog(owner, "COPYFILE_DLG", TextEntryDlgProc, &dialog) != IDOK) return;
  char* text = dialog.text;
  if (!NormalizeDestination(text, sizeof dialog.text, IsSystemLetter)) {
    ShowMessage(owner, kBadDestination, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  const bool dbcs932 = GetACP() == 932;
  NameFolder(text, dbcs932);
  char root[8] = {0};
  lstrcpynA(root, text, 4);
  const DriveKind kind = GetDriveKind(root);
  if (IsRefusedDrive(kind)) {
    ShowMessage(owner, kDriveRefused, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  const DiskFiles& fs = SystemFiles();
  if (!DestinationExists(fs, text, dbcs932)) {
    ShowMessage(owner, kDirectoryMissing, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  char dest[kPathBytes];
  if (!DestinationPath(text, file.fileName, dest, sizeof dest, dbcs932)) {
    ShowMessage(owner, kBadDestination, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  switch (JudgeDestination(fs, file.filePath, dest, g_programPath)) {
    case DestinationIs::TheSource:
      ShowMessage(owner, kSameAsSource, kCapError, MB_ICONHAND);
      return;
    case DestinationIs::TheProgram:
      ShowProgramRefused(owner, dest);
      return;
    case DestinationIs::Other:
      break;
  }
  if (kind == DriveRemovable && !AskMediaReady(owner, root)) return;
  ClusterCounts counts;
  if (!WaitForMedia(owner, root, kind, &counts)) return;
  DirEntry source, existing;
  const uint64_t size = fs.lookup(file.filePath, &source) ? source.length : 0;
  if ((kind == DriveRemovable || kind == DriveRamDisk) &&
      !FitsWithMargin(counts.sectorsPerCluster, counts.bytesPerSector, counts.freeClusters, size)) {
    ShowMessage(owner, kNoSpace, kCapWarning, MB_ICONEXCLAMATION);
    return;
  }
  if (fs.lookup(dest, &existing) &&
      ShowMessage(owner, kOverwrite, kCapWarning, MB_ICONEXCLAMATION | MB_OKCANCEL) != IDOK)
    return;
  ShowBusyBanner(owner);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  // A removable disk is read back, so that a bad floppy shows now and not on the other machine.
  // A removable source may have sectors that no longer read: what can be read is offered.
  const bool fromRemovable = KindOfPathDrive(file.filePath) == DriveRemovable;
  const bool quiet = kind == DriveRemovable || fromRemovable;
  const UINT previous = quiet ? SetErrorMode(SEM_FAILCRITICALERRORS) : 0;
  char left[kPathBytes];
  CopyAsk ask{owner, file.fileName};
  UnreadableSectors unreadable{AskCopyReadable, &ask, 0};
  const CopyResult r = CopyReplacing(fs, file.filePath, dest, kind == DriveRemovable, dbcs932, left,
                                     fromRemovable ? &unreadable : nullptr);
  if (quiet) SetErrorMode(previous);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HideBusyBanner(owner);
  ReportCopy(owner, r, file.fileName, left);
  if (unreadable.unreadBytes && (r == CopyResult::Ok || r == CopyResult::OldLeft)) {
    ShowMessage(owner, kZeroFilled, static_cast<long>(unreadable.unreadBytes), file.fileName,
                kCapWarning, MB_ICONEXCLAMATION);
  }
}
