// The Compress command: the selected file into a new LHA or ZIP archive beside it, named after the
// file up to its first full stop.
#include "archive/compress.h"

#include <cstring>

#include "archive/archive_work.h"
#include "archive/binding.h"
#include "base/drives.h"
#include "browser/filelist.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"

using namespace archive;

namespace {

constexpr Text kNotHardDisk = {"Unable to compress the file other than in the hard disk.",
                               "ハードディスク以外ではファイルの圧縮はできません."};
constexpr Text kSpaceDoubtful = {"Free diskspace may not be enough.", "ディスクの空容量が多分不足です."};
constexpr Text kUnlhaFailed = {"UnLha execution was unsuccessful.", "UnLha の起動が不成功でした."};
constexpr Text kZipFailed = {"Zip execution was unsuccessful.", "Zip の起動が不成功でした."};

struct CompressDialog {
  const char* name;
  Tool tool;
};

INT_PTR CALLBACK CompressDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      KeepDialogState(dlg, lParam);
      const CompressDialog& d = *reinterpret_cast<CompressDialog*>(lParam);
      SetDlgItemTextA(dlg, IDC_CMP_SOURCE, d.name);
      CheckRadioButton(dlg, IDC_CMP_LHA, IDC_CMP_ZIP, d.tool == Tool::Lha ? IDC_CMP_LHA : IDC_CMP_ZIP);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dlg, id);
      } else if (id == IDC_CMP_LHA || id == IDC_CMP_ZIP) {
        DialogState<CompressDialog>(dlg)->tool = id == IDC_CMP_LHA ? Tool::Lha : Tool::Zip;
        CheckRadioButton(dlg, IDC_CMP_LHA, IDC_CMP_ZIP, id);
      }
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

bool IsLetter(char c) { return IsCharAlphaA(c) != 0; }
bool IsLower(char c) { return IsCharLowerA(c) != 0; }

}  // namespace

void CmdCompress(const CommandInput& in) {
  const HWND owner = in.owner;
  const Selection& source = in.selected;
  char root[8] = {0};
  lstrcpynA(root, source.filePath, 4);
  if (GetDriveKind(root) != DriveFixed) {
    ShowMessage(owner, kNotHardDisk, kCapError, MB_ICONEXCLAMATION);
    return;
  }
  if (!RoomFor(root, source.fileSize)) {
    ShowMessage(owner, kSpaceDoubtful, kCapWarning, MB_ICONEXCLAMATION);
    return;
  }
  // The tool follows the language on every run, whatever was chosen the last time.
  CompressDialog dialog = {source.fileName, g_uiLanguage ? Tool::Lha : Tool::Zip};
  if (RunDialog(owner, "COMPFILE_DLG", CompressDlgProc, &dialog) != IDOK) return;

  const bool dbcs932 = GetACP() == 932;
  static CompressNames names;
  const bool lower = LowerExtension(source.fileName, dbcs932, IsLetter, IsLower);
  const bool named = NameCompression(dialog.tool, source.fileName, lower, &names);

  ShowBusyBanner(owner);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const DWORD saved = GetFileAttributesA(source.filePath);
  SetFileAttributesA(source.filePath, FILE_ATTRIBUTE_ARCHIVE);
  const bool lha = dialog.tool == Tool::Lha;
  const int result = !named ? -1 : lha ? RunUnlha(owner, names.command) : RunZip(owner, names.command);
  if (result != 0) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ShowMessage(owner, lha ? kUnlhaFailed : kZipFailed, kCapInformation, MB_ICONASTERISK);
  }
  if (saved != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(source.filePath, saved);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HideBusyBanner(owner);
  if (result != 0) return;
  ListDirectory(in.folder);
  ShowItemByName(names.archive);
}
