// The File Size command: the sum of the file sizes, the number of files and of folders in the
// tree of the selected folder.
#include "fileops/sizeinquiry.h"

#include <cstdio>

#include "fileops/sizeinquiry_work.h"
#include "resources/ids.h"
#include "ui/busy.h"
#include "ui/dialogs.h"

using namespace fileops;

namespace {

INT_PTR CALLBACK InquiryDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dlg, IDC_CNT_PARENT, reinterpret_cast<const char*>(lParam));
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

void SetNumber(HWND dlg, int id, uint64_t value) {
  char text[24] = {0};
  std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value));
  SetDlgItemTextA(dlg, id, text);
}

INT_PTR CALLBACK ResultDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      const TreeSize& s = *reinterpret_cast<const TreeSize*>(lParam);
      SetNumber(dlg, IDC_RES_SIZE, s.bytes);
      SetNumber(dlg, IDC_RES_FILES, s.files);
      SetNumber(dlg, IDC_RES_DIRS, s.folders);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) EndDialog(dlg, IDOK);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dlg, IDOK);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void CmdFileSize(const CommandInput& in) {
  const HWND owner = in.owner;
  const char* dir = in.selected.dirPath;
  if (RunDialog(owner, "CNTFILE_DLG", InquiryDlgProc, const_cast<char*>(dir)) != IDOK) return;
  TreeSize size{0, 0, 0};
  ShowBusyBanner(owner);
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  AddUpTree(SystemFiles(), dir, &size);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  HideBusyBanner(owner);
  RunDialog(owner, "EXAMRESULT_DLG", ResultDlgProc, &size);
}
