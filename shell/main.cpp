// Entry of Tovra: the main window, the start-up sequence and the message loop.
#include <windows.h>
#include <commctrl.h>

#include "archive/decompress.h"
#include "browser/filelist.h"
#include "browser/selection.h"
#include "browser/selector.h"
#include "engine/merge.h"
#include "shell/dispatch.h"
#include "shell/help.h"
#include "shell/iconbar.h"
#include "shell/labels.h"
#include "shell/mainwnd.h"
#include "shell/rules/startup_rules.h"
#include "ui/state.h"

static char s_startDir[kPathBytes];
static int s_listReady;  // 1 once the first listing has been shown

static const char kMainClass[] = "Tovra";
static const char kDisplayTitle[] = "Tovra";

// The search for "TOVRA.EXE" may find nothing (a renamed program) or another copy earlier on the
// search path; the running module's own path is then the right one.
static void FindProgramPath() {
  char found[kPathBytes] = {}, module[kPathBytes] = {};
  DWORD n = SearchPathA(NULL, "TOVRA.EXE", NULL, kPathCall, found, NULL);
  DWORD m = GetModuleFileNameA(NULL, module, kPathCall);
  bool searchOk = n > 0 && n < kPathCall;
  bool moduleOk = m > 0 && m < kPathCall;
  if (moduleOk && (!searchOk || lstrcmpiA(found, module) != 0))
    lstrcpynA(g_programPath, module, kPathBytes);
  else if (searchOk)
    lstrcpynA(g_programPath, found, kPathBytes);
}

static void FindStartPaths() {
  bool sjis = GetACP() == 932;
  FindProgramPath();
  HelpPathsFromProgramPath(g_programPath, sjis, g_helpPathEn, g_helpPathJa, kPathBytes);
  StartDirFromProgramPath(g_programPath, sjis, s_startDir, kPathBytes);
  lstrcpynA(g_currentDir, s_startDir, kPathBytes);
  char windows[kPathBytes] = {};
  GetWindowsDirectoryA(windows, kPathCall);
  DocumentsPathFromWindowsDir(windows, g_documentsPath, kPathBytes);
}

static LRESULT OnCreate(HWND hwnd) {
  g_btnFaceColor = GetSysColor(COLOR_BTNFACE);
  ChooseUiLanguage();
  DetectOsKind();
  g_osDetected = 1;
  // This window still bears "Tovra_Wnd", so only a running instance can match.
  if (FindWindowExA(NULL, NULL, kMainClass, kDisplayTitle)) {
    PostMessageA(hwnd, WMU_QUIT, 0, 0);
    return 0;
  }
  SetWindowTextA(hwnd, kDisplayTitle);
  FindStartPaths();
  // The Merge command knows no archive, nor the archive commands the Merge command: a merged
  // archive reaches Decompress through this hook.
  g_extractAfterMerge = DecompressAfterMerge;
  PostMessageA(hwnd, WMU_INIT_DRIVES, 0, 0);
  return 0;
}

static LRESULT OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  DrawLocationLabel(hwnd);
  if (s_listReady) UpdateButtonStates(g_selection);
  EndPaint(hwnd, &ps);
  return 0;
}

static LRESULT OnSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  DefWindowProcA(hwnd, WM_SETCURSOR, wParam, lParam);
  UpdateHoverLabel(hwnd);
  return 0;
}

static LRESULT OnNotify(NMHDR* nm) {
  // The file list asks for its rows' images; only its clicks change the selection. Its header
  // and the selector notify too.
  if (!g_hFileList || nm->hwndFrom != g_hFileList) return 0;
  if (nm->code == static_cast<UINT>(LVN_GETDISPINFOA)) {
    GiveRowImage(nm);
  } else if (nm->code == static_cast<UINT>(NM_DBLCLK)) {
    ClearSelection(&g_selection);
    OpenSelectedFolder();
    UpdateButtonStates(g_selection);
  } else if (nm->code == static_cast<UINT>(NM_CLICK)) {
    ClearSelection(&g_selection);
    ReadSelection(&g_selection);
    UpdateButtonStates(g_selection);
  }
  return 0;
}

static LRESULT OnInitDrives(HWND hwnd) {
  BuildDriveSelector(hwnd);
  PostMessageA(hwnd, WMU_INIT_LIST, 0, 0);
  return 0;
}

static LRESULT OnInitList(HWND hwnd) {
  CreateFileList(hwnd);
  SetCurrentDirectoryA(g_currentDir);
  ListDirectory(g_currentDir);
  s_listReady = 1;
  return 0;
}

static LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_PAINT: return OnPaint(hwnd);
    case WM_SETCURSOR: return OnSetCursor(hwnd, wParam, lParam);
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND: DispatchCommand(hwnd, wParam); return 0;
    case WMU_QUIT: PostQuitMessage(0); return 0;
    case WMU_INIT_DRIVES: return OnInitDrives(hwnd);
    case WMU_INIT_LIST: return OnInitList(hwnd);
    case WM_DESTROY: Shutdown(); return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

static bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "A_ICON_1");
  wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainClass;
  return RegisterClassA(&wc) != 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  g_hInstance = instance;
  if (!RegisterMainClass(instance)) return 0;
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  HWND hwnd = CreateWindowExA(0, kMainClass, "Tovra_Wnd", WS_OVERLAPPED | WS_SYSMENU | WS_MINIMIZEBOX,
                              CentredOrigin(screenWidth, kMainWidth),
                              CentredOrigin(screenHeight, kMainHeight), kMainWidth, kMainHeight,
                              NULL, NULL, instance, NULL);
  if (!hwnd) return 0;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  g_barUnit = GetSystemMetrics(SM_CYBORDER) + 19;
  if (RegisterIconBarClass(instance)) CreateIconBar(hwnd);
  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, NULL, 0, 0)) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}
