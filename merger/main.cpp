// Rundelo: a small window that merges the piece set beside the program and closes by itself.
#include <windows.h>

#include <cstring>

#include "rundelo_merge.h"
#include "system.h"
#include "texts.h"

namespace rundelo {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 125;
constexpr int kWaitingLineId = 101;
constexpr UINT kMergeMessage = WM_USER;
constexpr UINT kCloseMessage = WM_USER + 1;
// After a rebuild from the parity piece, the waiting line's note stays this long.
constexpr UINT_PTR kNoteTimer = 1;
constexpr UINT kNoteMillis = 4000;

HWND g_waitingLine;
char g_waitingText[kTextBytes];
OsKind g_osKind;
char g_programDir[258];

LRESULT OnCreate(HWND wnd) {
  g_uiLanguage = GetACP() == 932 ? 1 : 0;
  g_osKind = ReadOsKind(Win95);
  g_waitingLine = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 40, 260, 30, wnd,
                                  reinterpret_cast<HMENU>(kWaitingLineId),
                                  GetModuleHandleA(nullptr), nullptr);
  Unpack(g_waitingText, kWaiting, g_uiLanguage);
  if (!g_uiLanguage) SetWindowTextA(wnd, kTitle.en);
  FindProgramDirectory(g_programDir, sizeof(g_programDir));
  PostMessageA(wnd, kMergeMessage, 0, 0);
  return 0;
}

void FillEdge(HDC dc, LONG left, LONG top, LONG right, LONG bottom, int stockBrush) {
  const RECT r = {left, top, right, bottom};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(stockBrush)));
}

// Two-pixel sunken frame along the client edges: black above and left, one white pixel below
// and right.
LRESULT OnPaint(HWND wnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  RECT rc;
  GetClientRect(wnd, &rc);
  const LONG w = rc.right, h = rc.bottom;
  FillEdge(dc, 0, 0, w, 2, BLACK_BRUSH);
  FillEdge(dc, 0, 0, 2, h, BLACK_BRUSH);
  FillEdge(dc, 2, h - 1, w, h, WHITE_BRUSH);
  FillEdge(dc, w - 1, 3, w, h, WHITE_BRUSH);
  EndPaint(wnd, &ps);
  return 0;
}

LRESULT OnMerge(HWND wnd) {
  if (!RunMerge(wnd, g_waitingLine, g_waitingText, g_programDir, g_osKind) ||
      !SetTimer(wnd, kNoteTimer, kNoteMillis, nullptr)) {
    PostMessageA(wnd, kCloseMessage, 0, 0);
  }
  return 0;
}

LRESULT OnNoteShown(HWND wnd) {
  KillTimer(wnd, kNoteTimer);
  PostMessageA(wnd, kCloseMessage, 0, 0);
  return 0;
}

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: return OnCreate(wnd);
    case WM_PAINT: return OnPaint(wnd);
    case kMergeMessage: return OnMerge(wnd);
    case WM_TIMER: return OnNoteShown(wnd);
    case kCloseMessage: PostMessageA(wnd, WM_CLOSE, 0, 0); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
  }
}

}  // namespace

int Run(HINSTANCE instance) {
  WNDCLASSA wc;
  std::memset(&wc, 0, sizeof(wc));
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "ICON_1");
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "Rundelo";
  if (!RegisterClassA(&wc)) return 0;

  int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  // The title is given in Japanese here and set again in English while the window is created.
  HWND wnd = CreateWindowExA(WS_EX_TOPMOST, "Rundelo", kTitle.ja, 0, x, y, kWidth, kHeight,
                             nullptr, nullptr, instance, nullptr);
  if (!wnd) return 0;
  // As the program that started this one asked.
  ShowWindow(wnd, SW_SHOWDEFAULT);
  UpdateWindow(wnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace rundelo

// Rundelo starts here rather than in the C runtime's start-up, which prepares what it never uses
// (arguments, global constructors, exit handlers) and would take more room than the program on
// the first disk of a set. Nothing in Rundelo may need a constructor run before it.
extern "C" void RundeloStart() {
  ExitProcess(static_cast<UINT>(rundelo::Run(GetModuleHandleA(nullptr))));
}
