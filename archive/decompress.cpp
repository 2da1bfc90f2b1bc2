// The Decompress command: every entry of an LHA or ZIP archive into the folder that holds it,
// after the archive has been listed and the drive found roomy enough; then the offer to delete
// the archive. The Merge command runs it in its after-merge mode for a merged archive.
#include "archive/decompress.h"

#include <cstring>
#include <string>

#include "archive/archive_work.h"
#include "archive/binding.h"
#include "base/diskfiles.h"
#include "base/drives.h"
#include "browser/filelist.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"
#include "ui/state.h"

using namespace archive;

namespace {

constexpr Text kNotHardDisk = {"Unable to decompress the file other than in the hard disk.",
                               "ハードディスク以外ではファイルの解凍はできません."};
constexpr Text kNoSpace = {"Free diskspace is not enough.", "ディスクの空容量が不足です."};
constexpr Text kUnlhaFailed = {"UnLha execution was unsuccessful.", "UnLha の起動が不成功でした."};
constexpr Text kUnZipFailed = {"UnZip execution was unsuccessful.", "UnZip の起動が不成功でした."};
constexpr Text kDeleteArchive = {"Do you delete the compressed file ?", "圧縮ファイルを削除しますか？"};
constexpr Text kUnreadable = {
    "Unable to read the compressed file, %s.\nIt is not an archive, or it is damaged or empty.\n"
    "Nothing has been extracted.",
    "圧縮ファイル、%s を読めません.\n圧縮ファイルでないか、壊れているか、空です.\n何も解凍していません."};
constexpr Text kLeavesFolder = {
    "The compressed file, %s, holds names that lead out of this folder.\n"
    "Nothing has been extracted.",
    "圧縮ファイル、%s にはこのフォルダーの外を指す名前があります.\n何も解凍していません."};
constexpr Text kDeviceName = {
    "The compressed file, %s, holds names that the system keeps for devices, such as CON or NUL.\n"
    "Nothing has been extracted.",
    "圧縮ファイル、%s には CON や NUL のようなデバイス用の名前があります.\n何も解凍していません."};
constexpr Text kReplacesProgram = {
    "The compressed file, %s, holds a file that would replace TOVRA.EXE now running.\n"
    "Nothing has been extracted.",
    "圧縮ファイル、%s には実行中の TOVRA.EXE を置き換えるファイルがあります.\n何も解凍していません."};
constexpr Text kReplace = {
    "File, %s, already exists.\n"
    "Do you replace it, and any other file of the same name, with the one in the compressed file?",
    "ファイル、%s が既に存在します.\n圧縮ファイルの中の同じ名前のファイルで置き換えますか？"};

// One tool for the process, ZIP at start: a name that shows neither kind keeps the last one.
Tool g_tool = Tool::Zip;

struct DecompressDialog {
  const char* name;
  Tool tool;
};

INT_PTR CALLBACK DecompressDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      KeepDialogState(dlg, lParam);
      const DecompressDialog& d = *reinterpret_cast<DecompressDialog*>(lParam);
      const bool lha = d.tool == Tool::Lha;
      SetDlgItemTextA(dlg, IDC_DEC_SOURCE, d.name);
      CheckRadioButton(dlg, IDC_DEC_LHA, IDC_DEC_ZIP, lha ? IDC_DEC_LHA : IDC_DEC_ZIP);
      // The name decides the tool: the other one cannot be chosen.
      EnableWindow(GetDlgItem(dlg, lha ? IDC_DEC_ZIP : IDC_DEC_LHA), FALSE);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dlg, id);
      } else if (id == IDC_DEC_LHA || id == IDC_DEC_ZIP) {
        DialogState<DecompressDialog>(dlg)->tool = id == IDC_DEC_LHA ? Tool::Lha : Tool::Zip;
        CheckRadioButton(dlg, IDC_DEC_LHA, IDC_DEC_ZIP, id);
      }
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void ShowToolFailed(HWND owner) {
  ShowMessage(owner, g_tool == Tool::Lha ? kUnlhaFailed : kUnZipFailed, kCapInformation,
              MB_ICONASTERISK);
}

void RestoreAttributes(const char* path, DWORD saved) {
  if (saved != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path, saved);
}

// The listing with the archive's attributes set aside, and what it allows. False when the
// archive is refused; the refusal has been shown.
bool ListForExtraction(HWND owner, const DecompressNames& names, const char* name, bool dbcs932,
                       Listing* listing) {
  const DWORD saved = GetFileAttributesA(names.path);
  SetFileAttributesA(names.path, FILE_ATTRIBUTE_ARCHIVE);
  *listing = ListArchive(owner, g_tool, names.path);
  RestoreAttributes(names.path, saved);
  switch (JudgeListing(*listing, dbcs932)) {
    case Verdict::Ok: return true;
    case Verdict::NoTool: ShowToolFailed(owner); break;
    case Verdict::Unreadable: ShowMessage(owner, kUnreadable, name, kCapError, MB_ICONHAND); break;
    case Verdict::LeavesFolder: ShowMessage(owner, kLeavesFolder, name, kCapError, MB_ICONHAND); break;
    case Verdict::DeviceName: ShowMessage(owner, kDeviceName, name, kCapError, MB_ICONHAND); break;
  }
  return false;
}

// Runs the tool on the archive; false after a failure, which has been shown.
bool Extract(HWND owner, const DecompressNames& names) {
  const bool lha = g_tool == Tool::Lha;
  ShowBusyBanner(owner);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const DWORD saved = GetFileAttributesA(names.path);
  SetFileAttributesA(names.path, FILE_ATTRIBUTE_ARCHIVE);
  const int result = lha ? RunUnlha(owner, names.command) : RunUnZip(owner, names.command);
  if (result != 0) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ShowToolFailed(owner);
  }
  RestoreAttributes(names.path, saved);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HideBusyBanner(owner);
  return result == 0;
}

// The selected archive, or after a merge the merged archive mergedName beside the selected
// FILE-0: then with no drive test and no dialog.
void Decompress(const CommandInput& in, const char* mergedName) {
  const HWND owner = in.owner;
  const Selection& selected = in.selected;
  const bool afterMerge = mergedName != nullptr;
  const bool dbcs932 = GetACP() == 932;
  char root[8] = {0};
  lstrcpynA(root, selected.filePath, 4);
  if (!afterMerge) {
    if (GetDriveKind(root) != DriveFixed) {
      ShowMessage(owner, kNotHardDisk, kCapError, MB_ICONEXCLAMATION);
      return;
    }
    g_tool = ToolOfName(selected.fileName, g_tool, dbcs932);
  }
  const char* name = afterMerge ? mergedName : selected.fileName;
  static DecompressNames names;
  Listing listing;
  if (!NameDecompression(g_tool, selected.filePath, selected.fileName, mergedName,
                         dbcs932, &names)) {
    ShowMessage(owner, kUnreadable, name, kCapError, MB_ICONHAND);
    return;
  }
  if (!ListForExtraction(owner, names, name, dbcs932, &listing)) return;
  if (!TargetThatIs(SystemFiles(), names.dir, g_tool, listing, dbcs932, g_programPath).empty()) {
    ShowMessage(owner, kReplacesProgram, name, kCapError, MB_ICONHAND);
    return;
  }
  if (!RoomFor(root, SpaceNeeded(listing))) {
    ShowMessage(owner, kNoSpace, kCapWarning, MB_ICONEXCLAMATION);
    return;
  }
  if (!afterMerge) {
    DecompressDialog dialog = {name, g_tool};
    if (RunDialog(owner, "DECOMPFILE_DLG", DecompressDlgProc, &dialog) != IDOK) return;
    g_tool = dialog.tool;
    NameDecompression(g_tool, selected.filePath, selected.fileName, nullptr, dbcs932, &names);
  }
  const std::string existing =
      FirstExistingTarget(SystemFiles(), names.dir, g_tool, listing, dbcs932);
  if (!existing.empty() && ShowMessage(owner, kReplace, existing.c_str(), kCapWarning,
                                       MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;

  if (!Extract(owner, names)) return;
  const std::string shown = FirstShownName(g_tool, listing, dbcs932);
  ListDirectory(in.folder);
  ShowItemByName(shown.c_str());
  if (ShowMessage(owner, kDeleteArchive, kCapInquiry, MB_YESNO | MB_ICONQUESTION) == IDYES) {
    SetFileAttributesA(names.path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(names.path);
    ListDirectory(in.folder);
    ShowItemByName(shown.c_str());
  }
}

}  // namespace

void CmdDecompress(const CommandInput& in) { Decompress(in, nullptr); }

void DecompressAfterMerge(const CommandInput& in, bool zip, const char* mergedName) {
  g_tool = zip ? Tool::Zip : Tool::Lha;
  Decompress(in, mergedName);
}
