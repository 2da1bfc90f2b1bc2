// The icon bar: fifteen owner-drawn buttons whose clicks become command identifiers.
#include "shell/iconbar.h"

#include <commctrl.h>

#include "browser/filelist.h"
#include "shell/mainwnd.h"
#include "shell/rules/button_rules.h"
#include "ui/state.h"

static const char kBarClass[] = "IconBarWindow";

struct ButtonRecord {
  HWND hwnd;
  char bitmap[3][12];  // Up, Dn, In
};
static ButtonRecord s_buttons[kButtonCount + 1];  // indexed by position

static LRESULT OnCreate(HWND bar) {
  if (!g_osDetected) DetectOsKind();
  int cyBorder = GetSystemMetrics(SM_CYBORDER);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(bar, GWLP_HINSTANCE));
  for (int p = 1; p <= kButtonCount; ++p) {
    ButtonRecord& b = s_buttons[p];
    for (int s = StateUp; s <= StateIn; ++s)
      BitmapName(p, g_osKind, static_cast<BitmapState>(s), b.bitmap[s], sizeof b.bitmap[s]);
    Rect4 r = ButtonRect(p, cyBorder);
    b.hwnd = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, bar,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(p))),
                             instance, NULL);
    if (!ButtonAt(p).enabledAtCreation) EnableWindow(b.hwnd, FALSE);
  }
  return 0;
}

static LRESULT OnDrawItem(HWND bar, const DRAWITEMSTRUCT* di) {
  if (di->CtlType != ODT_BUTTON) return 0;
  int pos = static_cast<int>(di->CtlID) - kFirstButtonControl + 1;
  if (pos < 1 || pos > kButtonCount) return 0;
  const ButtonRecord& b = s_buttons[pos];
  BitmapState state =
      PickBitmapState(!IsWindowEnabled(di->hwndItem), (di->itemState & ODS_SELECTED) != 0);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(bar, GWLP_HINSTANCE));
  HBITMAP bitmap = LoadBitmapA(instance, b.bitmap[state]);
  // A focus change alone draws nothing: no focus rectangle is ever shown.
  if (!(di->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    if (bitmap) DeleteObject(bitmap);
    return 0;
  }
  HDC mem = CreateCompatibleDC(di->hDC);
  HGDIOBJ old = bitmap ? SelectObject(mem, bitmap) : NULL;
  if (old) {
    const RECT& r = di->rcItem;
    BitBlt(di->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
  }
  DeleteDC(mem);
  if (bitmap) DeleteObject(bitmap);
  return 0;
}

static LRESULT OnCommand(HWND bar, WPARAM wParam) {
  int control = LOWORD(wParam);
  int command = ForwardedCommand(control);
  if (!command) return 0;
  // The whole command, dialogs included, runs inside this send.
  SendMessageA(GetParent(bar), WM_COMMAND, MAKEWPARAM(command, 0), 0);
  InvalidateRect(s_buttons[control - kFirstButtonControl + 1].hwnd, NULL, TRUE);
  return 0;
}

static LRESULT CALLBACK IconBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_DRAWITEM: return OnDrawItem(hwnd, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND: return OnCommand(hwnd, wParam);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool RegisterIconBarClass(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_PARENTDC;
  wc.lpfnWndProc = IconBarProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = kBarClass;
  return RegisterClassA(&wc) != 0;
}

HWND CreateIconBar(HWND mainWnd) {
  g_hIconBar = CreateWindowExA(0, kBarClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, mainWnd, NULL,
                               g_hInstance, NULL);
  SetWindowPos(g_hIconBar, NULL, 0, 0, kMainWidth - 6, 2 * g_barUnit + 11,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(g_hIconBar, SW_SHOW);
  UpdateWindow(g_hIconBar);
  return g_hIconBar;
}

void UpdateButtonStates(const Selection& selected) {
  int rows = g_hFileList
                 ? static_cast<int>(SendMessageA(g_hFileList, LVM_GETSELECTEDCOUNT, 0, 0))
                 : 0;
  bool own = selected.fileName[0] && lstrcmpiA(selected.filePath, g_programPath) == 0;
  ButtonChanges c = ButtonRules(rows, selected.fileName, own, selected.dirName);
  for (int p = 1; p <= kButtonCount; ++p) {
    if (c.at[p] == Change::Keep || !s_buttons[p].hwnd) continue;
    EnableWindow(s_buttons[p].hwnd, c.at[p] == Change::Enable);
  }
}
