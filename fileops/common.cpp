#include "fileops/common.h"

#include <cstring>

#include "base/diskfiles.h"
#include "fileops/texts.h"
#include "ui/dialogs.h"
#include "ui/state.h"

bool TakeTarget(const Selection& selected, Target* t) {
  std::memset(t, 0, sizeof *t);
  t->folder = selected.dirName[0] != 0;
  lstrcpynA(t->name, t->folder ? selected.dirName : selected.fileName, sizeof t->name);
  lstrcpynA(t->path, t->folder ? selected.dirPath : selected.filePath, sizeof t->path);
  lstrcpynA(t->root, t->path, 4);
  t->kind = GetDriveKind(t->root);
  return t->name[0] != 0;
}

bool IsRefusedDrive(DriveKind kind) {
  return kind == DriveUndetermined || kind == DriveNoRoot || kind == DriveCdRom;
}

DriveKind KindOfPathDrive(const char* path) {
  char root[8] = {0};
  lstrcpynA(root, path, 4);
  return GetDriveKind(root);
}

bool IsSystemLetter(char c) { return IsCharAlphaA(c) != 0; }

void ShowProgramRefused(HWND owner, const char* path) {
  ShowMessage(owner, kProgramFile, path, kCapWarning, MB_ICONEXCLAMATION);
}

bool RefusesProgramFile(HWND owner, const char* path) {
  if (!SameFile(SystemFiles(), path, g_programPath)) return false;
  ShowProgramRefused(owner, path);
  return true;
}

INT_PTR CALLBACK TextEntryDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      KeepDialogState(dlg, lParam);
      const TextEntry& e = *reinterpret_cast<TextEntry*>(lParam);
      if (e.shownId) SetDlgItemTextA(dlg, e.shownId, e.shown);
      SendDlgItemMessageA(dlg, e.editId, EM_LIMITTEXT, static_cast<WPARAM>(e.limit), 0);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        TextEntry* e = DialogState<TextEntry>(dlg);
        std::memset(e->text, 0, sizeof e->text);
        GetDlgItemTextA(dlg, e->editId, e->text, sizeof e->text);
        EndDialog(dlg, IDOK);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
      }
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}
