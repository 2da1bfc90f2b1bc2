// ROBOT.EXE: runs one program under Wine and reads or works its windows for the Python tests.
//
// Commands arrive one per line on stdin; every command gets exactly one answer line on stdout.
// Numbers are decimal unless noted; every text, in either direction, is hex of its raw 8-bit
// bytes (Shift-JIS in a Japanese run), so spaces and non-ASCII bytes travel unchanged.
// A failed command answers "error <reason>". A control <id> of - names the window <hwnd>
// itself (a control without an identifier).
//
//   start <cwd> <exe> [<args>]          -> ok pid=<n> tid=<n>   (cwd, exe, args: hex)
//   wait-window <ms> [class=<hex>] [title=<hex>] [any]
//                                       -> window hwnd=<n> class=<hex> title=<hex>
//                                          | timeout | exited code=<n>
//        a visible top-level window of the program not reported before (any: also those)
//   wait-window <ms> other [class=<hex>] [title=<hex>] [any]
//        the same for the windows of any other process, such as the help viewer the program
//        asks for
//   watch-shown                         -> ok   (from now on the system tells the robot which
//                                          windows of the program are made)
//   wait-shown <ms> [class=<hex>]       -> window hwnd=<n> class=<hex> title=<hex> | timeout
//        the first top-level window of the program made since watch-shown, once it shows;
//        waited for in the message loop, so that a benchmark's clock runs with nothing
//        polled beside it until that window exists
//   windows                             -> windows <hwnd>,<class>,<title>,<l>,<t>,<r>,<b> ...
//   wait-gone <hwnd> <ms>               -> gone | timeout
//   msgbox <hwnd>                       -> msgbox caption=<hex> text=<hex>
//                                          icon=<hand|exclamation|question|asterisk|none|unknown>
//                                          buttons=<id>:<hex>,...
//   click <hwnd> <id>                   -> ok   (BM_CLICK posted to the control)
//   command <hwnd> <id> [<code>]        -> ok   (WM_COMMAND posted as from control id)
//   close <hwnd>                        -> ok   (WM_CLOSE posted)
//   post|send <hwnd> <msg> <wparam> <lparam>  -> ok result=<n>
//   controls <hwnd>                     -> controls <id>,<hwnd>,<class>,<text>,<style hex>,
//                                          <enabled>,<visible>,<l>,<t>,<r>,<b> ...
//   get-text <hwnd> [<id>]              -> text <hex>
//   set-text <hwnd> <id> <hex>          -> ok
//   check <hwnd> <id> <0|1>             -> ok   (clicks the box when its state differs)
//   get-check <hwnd> <id>               -> check <n>
//   enabled <hwnd> [<id>]               -> enabled <0|1> visible <0|1>
//   cb-items|lb-items <hwnd> <id>       -> items sel=<n> <hex> ...
//   cbex-items <hwnd> <id>              -> items sel=<n> <indent>:<image>:<selected image>:<hex>
//                                          ...
//   cb-select|lb-select <hwnd> <id> <n> -> ok   (selects and notifies the parent)
//   lv-rows <hwnd> <id>                 -> rows cols=<n> sel=<i>,... images=<i>,...
//                                          <cell>,<cell>,... ...
//   lv-shell-icon <hwnd> <id> <row> <hex path>  -> icon same | icon differs | icon unseen
//        whether the row (scrolled into view) shows the icon the shell gives for path, put
//        through a 16x16 image list of 16 colours, as the file list keeps its icons
//   lv-columns <hwnd> <id>              -> columns width=<list width> <width>:<hex> ...
//   lv-rect <hwnd> <id> <row> [label|icon]  -> rect <l> <t> <r> <b>   (screen, row scrolled
//                                          into view)
//   lv-click <hwnd> <id> <row> [click|dblclick|rclick]  -> ok x=<n> y=<n> selected=<0|1>
//        real mouse input at the row's label; a click or rclick waits up to 3 s for the row
//        to become selected
//   mouse <x> <y> [click|dblclick|rclick|move|down|up]  -> ok   (screen coordinates)
//   key <vk> ...                        -> ok   (key presses to the focused window)
//   rect <hwnd> [<id>]                  -> rect <l> <t> <r> <b> client <l> <t> <r> <b>
//   pixel <x> <y>                       -> pixel <rrggbb>
//   style <hwnd> [<id>]                 -> style <hex> exstyle <hex>
//   move <hwnd> <x> <y>                 -> ok   (moves a window, size and order kept)
//   priority <hwnd>                     -> priority <n>   (of the window's thread)
//   process-dir                         -> dir <hex>   (the program's current directory as
//                                          the system keeps it, UTF-16LE)
//   hold <hex path>                     -> ok   (opens path for reading, sharing everything,
//                                          as soon as it exists, and keeps it open until the
//                                          robot ends: an exclusive opening then fails)
//   wait-held <ms>                      -> held | timeout
//   wait-exit <ms>                      -> exit code=<n> | timeout
//   kill                                -> ok   (ends the started program)
//   quit                                -> ok   (ends the program if still running, then itself)
// The program is ended too when stdin closes, so a vanished test leaves nothing behind.
//
// Run with arguments instead, the robot maps drive letters for the tests and ends:
//   ROBOT define-drive <letter> <fixed|floppy|cdrom|network|ramdisk> <unix folder>
//   ROBOT remove-drive <letter>
// printing "ok" or "error <reason>" (exit code 0 or 1).
#include <windows.h>
#include <winioctl.h>
#include <commctrl.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {

const int kMaxTokens = 24;
const int kMaxReported = 1024;
const int kMaxWindows = 1024;
const UINT kSendTimeout = 3000;
// A busy machine may take seconds to paint a new window.
const DWORD kPaintTimeout = 10000;

PROCESS_INFORMATION g_proc;
bool g_started = false;
HWND g_reported[kMaxReported];
int g_reportedCount = 0;

void Reply(const std::string& line) {
  fputs(line.c_str(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}

std::string Hex(const char* bytes, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(n * 2);
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Hex(const std::string& s) { return Hex(s.data(), s.size()); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unhex(const char* hex, std::string* out) {
  out->clear();
  size_t n = strlen(hex);
  if (n % 2) return false;
  for (size_t i = 0; i < n; i += 2) {
    int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

std::string Num(long long v) {
  char buf[32];
  snprintf(buf, sizeof buf, "%lld", v);
  return buf;
}

HWND ParseHwnd(const char* s) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(s, nullptr, 0)));
}

std::string HwndText(HWND h) { return Num(static_cast<long long>(reinterpret_cast<UINT_PTR>(h))); }

std::string ClassOf(HWND h) {
  char buf[256] = {0};
  int n = GetClassNameA(h, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

// The caption kept by the window manager side: never waits for the program.
std::string StoredText(HWND h) {
  char buf[4096] = {0};
  int n = GetWindowTextA(h, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

// What the control itself says (edit contents and the like); falls back to the stored
// caption when the program is busy and does not answer.
std::string LiveText(HWND h) {
  char buf[8192] = {0};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                           SMTO_ABORTIFHUNG, kSendTimeout, &got))
    return StoredText(h);
  size_t n = got < sizeof buf ? got : sizeof buf - 1;
  return std::string(buf, n);
}

bool Send(HWND h, UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutA(h, msg, w, l, SMTO_ABORTIFHUNG, kSendTimeout, &r)) return false;
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

bool ProgramAlive() {
  return g_started && WaitForSingleObject(g_proc.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ExitCode() {
  DWORD code = 0;
  GetExitCodeProcess(g_proc.hProcess, &code);
  return code;
}

bool IsReported(HWND h) {
  for (int i = 0; i < g_reportedCount; ++i)
    if (g_reported[i] == h) return true;
  return false;
}

void MarkReported(HWND h) {
  if (g_reportedCount == kMaxReported) {
    // Forget windows that no longer exist to make room.
    int kept = 0;
    for (int i = 0; i < g_reportedCount; ++i)
      if (IsWindow(g_reported[i])) g_reported[kept++] = g_reported[i];
    g_reportedCount = kept;
  }
  if (g_reportedCount < kMaxReported) g_reported[g_reportedCount++] = h;
}

struct WindowList {
  HWND items[kMaxWindows];
  int count;
};

BOOL CALLBACK CollectTopLevel(HWND h, LPARAM l) {
  WindowList* list = reinterpret_cast<WindowList*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == g_proc.dwProcessId && IsWindowVisible(h) && list->count < kMaxWindows)
    list->items[list->count++] = h;
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND h, LPARAM l) {
  WindowList* list = reinterpret_cast<WindowList*>(l);
  if (list->count < kMaxWindows) list->items[list->count++] = h;
  return TRUE;
}

BOOL CALLBACK CollectOtherTopLevel(HWND h, LPARAM l) {
  WindowList* list = reinterpret_cast<WindowList*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid != g_proc.dwProcessId && pid != GetCurrentProcessId() && IsWindowVisible(h) &&
      list->count < kMaxWindows)
    list->items[list->count++] = h;
  return TRUE;
}

// Top-level windows of the program (or of the other processes), topmost first.
void ProgramWindows(WindowList* list, bool others = false) {
  list->count = 0;
  if (g_started)
    EnumWindows(others ? CollectOtherTopLevel : CollectTopLevel, reinterpret_cast<LPARAM>(list));
}

void Children(HWND parent, WindowList* list) {
  list->count = 0;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(list));
}

HWND Control(HWND parent, const char* id) {
  if (!strcmp(id, "-")) return IsWindow(parent) ? parent : nullptr;
  return GetDlgItem(parent, static_cast<int>(strtol(id, nullptr, 0)));
}

std::string RectText(const RECT& r) {
  return Num(r.left) + " " + Num(r.top) + " " + Num(r.right) + " " + Num(r.bottom);
}

// Memory inside the program, for control messages whose structures carry pointers.
struct Remote {
  HANDLE process = nullptr;
  char* base = nullptr;
  bool Open(HWND h, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    base = static_cast<char*>(
        VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    return base != nullptr;
  }
  bool Write(SIZE_T offset, const void* data, SIZE_T n) {
    return WriteProcessMemory(process, base + offset, data, n, nullptr) != 0;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T n) {
    return ReadProcessMemory(process, base + offset, data, n, nullptr) != 0;
  }
  ~Remote() {
    if (base) VirtualFreeEx(process, base, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  }
};

void CmdStart(int argc, char** argv) {
  if (g_started && ProgramAlive()) return Reply("error already running");
  std::string cwd, exe, args;
  if (argc < 3 || !Unhex(argv[1], &cwd) || !Unhex(argv[2], &exe) ||
      (argc > 3 && !Unhex(argv[3], &args)))
    return Reply("error usage: start <cwd hex> <exe hex> [<args hex>]");
  std::string line = "\"" + exe + "\"";
  if (!args.empty()) line += " " + args;
  char cmd[32768] = {0};
  if (line.size() >= sizeof cmd) return Reply("error command line too long");
  memcpy(cmd, line.data(), line.size());
  // The program's input and output go to NUL and its errors (Wine's traces) to our log: given
  // our answer pipe, it and whatever it starts (a help viewer outliving it) would hold the
  // pipe open after we end, and the driver would wait for its end forever. Wine hands these
  // handles to the new process's Unix descriptors without inheritance.
  static HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ |
                                  FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = nul;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(exe.c_str(), cmd, nullptr, nullptr, FALSE, 0, nullptr,
                      cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
    return Reply("error CreateProcess failed " + Num(GetLastError()));
  if (g_started) {
    CloseHandle(g_proc.hProcess);
    CloseHandle(g_proc.hThread);
  }
  g_proc = pi;
  g_started = true;
  g_reportedCount = 0;
  Reply("ok pid=" + Num(pi.dwProcessId) + " tid=" + Num(pi.dwThreadId));
}

void CmdWaitExit(int argc, char** argv) {
  if (!g_started) return Reply("error not started");
  DWORD ms = argc > 1 ? strtoul(argv[1], nullptr, 10) : 10000;
  if (WaitForSingleObject(g_proc.hProcess, ms) != WAIT_OBJECT_0) return Reply("timeout");
  Reply("exit code=" + Num(ExitCode()));
}

void KillProgram() {
  if (!ProgramAlive()) return;
  TerminateProcess(g_proc.hProcess, 255);
  WaitForSingleObject(g_proc.hProcess, 5000);
}

void CmdKill(int, char**) {
  if (!g_started) return Reply("error not started");
  KillProgram();
  Reply("ok");
}

bool Matches(HWND h, const std::string* cls, const std::string* title) {
  if (cls && ClassOf(h) != *cls) return false;
  if (title && StoredText(h) != *title) return false;
  return true;
}

void CmdWaitWindow(int argc, char** argv) {
  if (!g_started) return Reply("error not started");
  if (argc < 2)
    return Reply("error usage: wait-window <ms> [other] [class=<hex>] [title=<hex>] [any]");
  DWORD ms = strtoul(argv[1], nullptr, 10);
  std::string cls, title;
  bool wantClass = false, wantTitle = false, any = false, others = false;
  for (int i = 2; i < argc; ++i) {
    if (!strcmp(argv[i], "other")) {
      others = true;
    } else if (!strncmp(argv[i], "class=", 6)) {
      if (!Unhex(argv[i] + 6, &cls)) return Reply("error bad class");
      wantClass = true;
    } else if (!strncmp(argv[i], "title=", 6)) {
      if (!Unhex(argv[i] + 6, &title)) return Reply("error bad title");
      wantTitle = true;
    } else if (!strcmp(argv[i], "any")) {
      any = true;
    } else {
      return Reply(std::string("error unknown option ") + argv[i]);
    }
  }
  DWORD start = GetTickCount();
  static WindowList list;
  for (;;) {
    bool exited = !ProgramAlive();
    ProgramWindows(&list, others);
    for (int i = 0; i < list.count; ++i) {
      HWND h = list.items[i];
      if ((!any && IsReported(h)) ||
          !Matches(h, wantClass ? &cls : nullptr, wantTitle ? &title : nullptr))
        continue;
      MarkReported(h);
      return Reply("window hwnd=" + HwndText(h) + " class=" + Hex(ClassOf(h)) +
                   " title=" + Hex(StoredText(h)));
    }
    if (exited) return Reply("exited code=" + Num(ExitCode()));
    if (GetTickCount() - start >= ms) return Reply("timeout");
    Sleep(30);
  }
}

// Windows of the program made, shown or focused since watch-shown, as the system's events
// name them (Wine sends no event when a window is shown, only when it is made or focused).
HWINEVENTHOOK g_showHook = nullptr;
HWND g_shown[256];
int g_shownCount = 0;

void CALLBACK OnObjectEvent(HWINEVENTHOOK, DWORD, HWND h, LONG object, LONG, DWORD, DWORD) {
  if (h && object == OBJID_WINDOW && g_shownCount < 256) g_shown[g_shownCount++] = h;
}

void CmdWatchShown(int, char**) {
  if (!g_started) return Reply("error not started");
  if (g_showHook) UnhookWinEvent(g_showHook);
  g_shownCount = 0;
  g_showHook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_FOCUS, nullptr, OnObjectEvent,
                               g_proc.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
  Reply(g_showHook ? "ok" : "error no hook");
}

void CmdWaitShown(int argc, char** argv) {
  if (!g_showHook) return Reply("error not watching");
  if (argc < 2) return Reply("error usage: wait-shown <ms> [class=<hex>]");
  DWORD ms = strtoul(argv[1], nullptr, 10);
  std::string cls;
  bool wantClass = argc > 2 && !strncmp(argv[2], "class=", 6) && Unhex(argv[2] + 6, &cls);
  DWORD start = GetTickCount();
  HWND made = nullptr;  // a window that matches, made but not shown yet
  for (int seen = 0;;) {
    for (; !made && seen < g_shownCount; ++seen) {
      HWND h = g_shown[seen];
      if (GetAncestor(h, GA_ROOT) == h && !IsReported(h) &&
          Matches(h, wantClass ? &cls : nullptr, nullptr))
        made = h;
    }
    if (made && IsWindowVisible(made)) {
      MarkReported(made);
      UnhookWinEvent(g_showHook);
      g_showHook = nullptr;
      return Reply("window hwnd=" + HwndText(made) + " class=" + Hex(ClassOf(made)) +
                   " title=" + Hex(StoredText(made)));
    }
    if (made && !IsWindow(made)) made = nullptr;
    DWORD waited = GetTickCount() - start;
    if (waited >= ms) return Reply("timeout");
    // Until a matching window exists nothing is asked; from then until it shows, which takes
    // the moments of its own start, it is looked at every millisecond.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, made ? 1 : ms - waited, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

void CmdWaitGone(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: wait-gone <hwnd> [<ms>]");
  HWND h = ParseHwnd(argv[1]);
  DWORD ms = argc > 2 ? strtoul(argv[2], nullptr, 10) : 5000;
  DWORD start = GetTickCount();
  while (IsWindow(h) && IsWindowVisible(h)) {
    if (GetTickCount() - start >= ms) return Reply("timeout");
    Sleep(20);
  }
  Reply("gone");
}

void CmdWindows(int, char**) {
  static WindowList list;
  ProgramWindows(&list);
  std::string out = "windows";
  for (int i = 0; i < list.count; ++i) {
    RECT r;
    GetWindowRect(list.items[i], &r);
    out += " " + HwndText(list.items[i]) + "," + Hex(ClassOf(list.items[i])) + "," +
           Hex(StoredText(list.items[i])) + "," + Num(r.left) + "," + Num(r.top) + "," +
           Num(r.right) + "," + Num(r.bottom);
  }
  Reply(out);
}

// A 32 x 32 (or control-sized) picture of an icon over a given background, as 0xRRGGBB pixels.
bool RenderIcon(HICON icon, int w, int h, COLORREF background, DWORD* pixels) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi;
  ZeroMemory(&bi, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bmp != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(dc, bmp);
    HBRUSH brush = CreateSolidBrush(background);
    RECT r = {0, 0, w, h};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    if (icon) DrawIconEx(dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    GdiFlush();
    memcpy(pixels, bits, static_cast<size_t>(w) * h * 4);
    SelectObject(dc, old);
    DeleteObject(bmp);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ok;
}

// What the screen shows inside window h.
// The screen's pixels in r (screen coordinates), row by row.
bool CaptureRect(const RECT& r, DWORD* pixels) {
  int w = r.right - r.left, hgt = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi;
  ZeroMemory(&bi, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -hgt;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bmp != nullptr;
  if (ok) {
    HGDIOBJ old = SelectObject(dc, bmp);
    ok = BitBlt(dc, 0, 0, w, hgt, screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    memcpy(pixels, bits, static_cast<size_t>(w) * hgt * 4);
    SelectObject(dc, old);
    DeleteObject(bmp);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool CaptureWindow(HWND h, int w, int hgt, DWORD* pixels) {
  RECT r;
  if (!GetWindowRect(h, &r)) return false;
  r.right = r.left + w;
  r.bottom = r.top + hgt;
  return CaptureRect(r, pixels);
}

// Icon handles are private to each process under Wine, so the shown icon is recognised by
// its picture: the static's pixels on the screen against each system icon drawn over the
// same background. Answers the best match when it is near exact, else "unknown".
const char* IdentifyIcon(HWND iconStatic) {
  static const struct {
    LPCSTR id;
    const char* name;
  } kinds[] = {{IDI_HAND, "hand"},
               {IDI_EXCLAMATION, "exclamation"},
               {IDI_QUESTION, "question"},
               {IDI_ASTERISK, "asterisk"}};
  int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
  if (w <= 0 || h <= 0 || w > 64 || h > 64) return "unknown";
  static DWORD shown[64 * 64], drawn[64 * 64];
  DWORD start = GetTickCount();
  do {
    if (CaptureWindow(iconStatic, w, h, shown)) {
      COLORREF bg = RGB((shown[0] >> 16) & 255, (shown[0] >> 8) & 255, shown[0] & 255);
      int best = -1, bestDiff = w * h + 1;
      for (int k = 0; k < 4; ++k) {
        if (!RenderIcon(LoadIconA(nullptr, kinds[k].id), w, h, bg, drawn)) continue;
        int diff = 0;
        for (int i = 0; i < w * h; ++i)
          if ((shown[i] & 0xffffff) != (drawn[i] & 0xffffff)) ++diff;
        if (diff < bestDiff) {
          bestDiff = diff;
          best = k;
        }
      }
      if (best >= 0 && bestDiff * 50 <= w * h) return kinds[best].name;
    }
    Sleep(50);  // not painted yet
  } while (GetTickCount() - start < kPaintTimeout);
  return "unknown";
}

void CmdMsgbox(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: msgbox <hwnd>");
  HWND box = ParseHwnd(argv[1]);
  if (!IsWindow(box)) return Reply("error no such window");
  if (ClassOf(box) != "#32770") return Reply("error not a dialog");
  static WindowList kids;
  Children(box, &kids);
  std::string text, buttons;
  const char* icon = "none";
  for (int i = 0; i < kids.count; ++i) {
    HWND c = kids.items[i];
    if (!IsWindowVisible(c)) continue;
    std::string cls = ClassOf(c);
    LONG style = GetWindowLongA(c, GWL_STYLE);
    if (!lstrcmpiA(cls.c_str(), "Static")) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        LRESULT handle = 0;
        if (Send(c, STM_GETICON, 0, 0, &handle) && handle) icon = IdentifyIcon(c);
      } else if (text.empty()) {
        text = StoredText(c);
      }
    } else if (!lstrcmpiA(cls.c_str(), "Button")) {
      if (!buttons.empty()) buttons += ",";
      buttons += Num(GetDlgCtrlID(c)) + ":" + Hex(StoredText(c));
    }
  }
  Reply("msgbox caption=" + Hex(StoredText(box)) + " text=" + Hex(text) + " icon=" + icon +
        " buttons=" + buttons);
}

void CmdClick(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: click <hwnd> <id>");
  HWND c = Control(ParseHwnd(argv[1]), argv[2]);
  if (!c) return Reply("error no such control");
  // Posted: the click may open a modal dialog that would keep a sent message waiting.
  PostMessageA(c, BM_CLICK, 0, 0);
  Reply("ok");
}

void CmdCommand(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: command <hwnd> <id> [<code>]");
  HWND h = ParseHwnd(argv[1]);
  int id = static_cast<int>(strtol(argv[2], nullptr, 0));
  int code = argc > 3 ? static_cast<int>(strtol(argv[3], nullptr, 0)) : BN_CLICKED;
  PostMessageA(h, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(h, id)));
  Reply("ok");
}

void CmdClose(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: close <hwnd>");
  PostMessageA(ParseHwnd(argv[1]), WM_CLOSE, 0, 0);
  Reply("ok");
}

void CmdPostOrSend(int argc, char** argv) {
  if (argc < 5) return Reply("error usage: post|send <hwnd> <msg> <wparam> <lparam>");
  HWND h = ParseHwnd(argv[1]);
  UINT msg = strtoul(argv[2], nullptr, 0);
  WPARAM w = static_cast<WPARAM>(strtoull(argv[3], nullptr, 0));
  LPARAM l = static_cast<LPARAM>(strtoll(argv[4], nullptr, 0));
  if (!strcmp(argv[0], "post")) {
    if (!PostMessageA(h, msg, w, l)) return Reply("error post failed");
    return Reply("ok result=0");
  }
  LRESULT r = 0;
  if (!Send(h, msg, w, l, &r)) return Reply("error no answer");
  Reply("ok result=" + Num(r));
}

void CmdControls(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: controls <hwnd>");
  static WindowList kids;
  Children(ParseHwnd(argv[1]), &kids);
  std::string out = "controls";
  for (int i = 0; i < kids.count; ++i) {
    HWND c = kids.items[i];
    RECT r;
    GetWindowRect(c, &r);
    char style[16];
    snprintf(style, sizeof style, "%08lx", static_cast<unsigned long>(GetWindowLongA(c, GWL_STYLE)));
    out += " " + Num(GetDlgCtrlID(c)) + "," + HwndText(c) + "," + Hex(ClassOf(c)) + "," +
           Hex(LiveText(c)) + "," + style + "," + (IsWindowEnabled(c) ? "1" : "0") + "," +
           (IsWindowVisible(c) ? "1" : "0") + "," + Num(r.left) + "," + Num(r.top) + "," +
           Num(r.right) + "," + Num(r.bottom);
  }
  Reply(out);
}

void CmdGetText(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: get-text <hwnd> [<id>]");
  HWND h = ParseHwnd(argv[1]);
  if (argc > 2) h = Control(h, argv[2]);
  if (!h || !IsWindow(h)) return Reply("error no such window");
  Reply("text " + Hex(LiveText(h)));
}

void CmdSetText(int argc, char** argv) {
  std::string text;
  if (argc < 3 || (argc > 3 && !Unhex(argv[3], &text)))
    return Reply("error usage: set-text <hwnd> <id> <hex>");
  HWND c = Control(ParseHwnd(argv[1]), argv[2]);
  if (!c) return Reply("error no such control");
  if (!Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr))
    return Reply("error no answer");
  Reply("ok");
}

void CmdGetCheck(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: get-check <hwnd> <id>");
  HWND c = Control(ParseHwnd(argv[1]), argv[2]);
  LRESULT state = 0;
  if (!c || !Send(c, BM_GETCHECK, 0, 0, &state)) return Reply("error no such control");
  Reply("check " + Num(state));
}

void CmdCheck(int argc, char** argv) {
  if (argc < 4) return Reply("error usage: check <hwnd> <id> <0|1>");
  HWND c = Control(ParseHwnd(argv[1]), argv[2]);
  LRESULT want = strtol(argv[3], nullptr, 10), state = 0;
  if (!c || !Send(c, BM_GETCHECK, 0, 0, &state)) return Reply("error no such control");
  if (state == want) return Reply("ok");
  // A click, as a user would make it, so the dialog hears of the change.
  PostMessageA(c, BM_CLICK, 0, 0);
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kSendTimeout) {
    if (Send(c, BM_GETCHECK, 0, 0, &state) && state == want) return Reply("ok");
    Sleep(20);
  }
  Reply("error state stays " + Num(state));
}

void CmdEnabled(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: enabled <hwnd> [<id>]");
  HWND h = ParseHwnd(argv[1]);
  if (argc > 2) h = Control(h, argv[2]);
  if (!h || !IsWindow(h)) return Reply("error no such window");
  Reply(std::string("enabled ") + (IsWindowEnabled(h) ? "1" : "0") + " visible " +
        (IsWindowVisible(h) ? "1" : "0"));
}

// Items of an extended combo box are read through CBEM_GETITEMA in the program's memory;
// looks gets "<indent>:<image>:<selected image>:" when asked for.
bool ExtendedItem(HWND c, int index, std::string* text, std::string* looks) {
  Remote mem;
  const SIZE_T textAt = 64, textSize = 1024;
  if (!mem.Open(c, textAt + textSize)) return false;
  COMBOBOXEXITEMA item;
  ZeroMemory(&item, sizeof item);
  item.mask = CBEIF_TEXT | CBEIF_INDENT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
  item.iItem = index;
  item.pszText = mem.base + textAt;
  item.cchTextMax = textSize;
  char zero[1] = {0};
  LRESULT ok = 0;
  if (!mem.Write(0, &item, sizeof item) || !mem.Write(textAt, zero, 1) ||
      !Send(c, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(mem.base), &ok) || !ok)
    return false;
  char buf[1024] = {0};
  if (!mem.Read(0, &item, sizeof item) || !mem.Read(textAt, buf, sizeof buf - 1)) return false;
  text->assign(buf, strnlen(buf, sizeof buf - 1));
  if (looks)
    *looks = Num(item.iIndent) + ":" + Num(item.iImage) + ":" + Num(item.iSelectedImage) + ":";
  return true;
}

// Between processes Wine hands list texts over in UTF-16 whichever way they were asked for, so
// they are asked for as such and brought back to the code page both processes share.
bool ItemText(HWND c, bool combo, int index, std::string* text) {
  WCHAR wide[2048] = {0};
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(c, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0, SMTO_ABORTIFHUNG,
                           kSendTimeout, &len) ||
      static_cast<LRESULT>(len) < 0 || len >= sizeof wide / sizeof wide[0])
    return false;
  if (!SendMessageTimeoutW(c, combo ? CB_GETLBTEXT : LB_GETTEXT, index,
                           reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, kSendTimeout, &len))
    return false;
  wide[sizeof wide / sizeof wide[0] - 1] = 0;
  char buf[4096] = {0};
  int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, buf, sizeof buf, nullptr, nullptr);
  text->assign(buf, n > 0 ? n - 1 : 0);
  return true;
}

void CmdItems(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: cb-items|lb-items <hwnd> <id>");
  HWND c = Control(ParseHwnd(argv[1]), argv[2]);
  if (!c) return Reply("error no such control");
  bool combo = argv[0][0] == 'c';
  bool looks = !strcmp(argv[0], "cbex-items");
  bool extended = combo && ClassOf(c) == "ComboBoxEx32";
  if (looks && !extended) return Reply("error not an extended combo box");
  LRESULT count = 0, sel = 0;
  if (!Send(c, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0, &count) ||
      !Send(c, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0, &sel))
    return Reply("error no answer");
  std::string out = "items sel=" + Num(sel);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text, look;
    if (extended) {
      if (!ExtendedItem(c, static_cast<int>(i), &text, looks ? &look : nullptr))
        return Reply("error item " + Num(i));
    } else {
      if (!ItemText(c, combo, static_cast<int>(i), &text)) return Reply("error item " + Num(i));
    }
    out += " " + look + Hex(text);
  }
  Reply(out);
}

void CmdSelect(int argc, char** argv) {
  if (argc < 4) return Reply("error usage: cb-select|lb-select <hwnd> <id> <index>");
  HWND c = Control(ParseHwnd(argv[1]), argv[2]);
  if (!c) return Reply("error no such control");
  bool combo = argv[0][0] == 'c';
  int index = static_cast<int>(strtol(argv[3], nullptr, 10));
  LRESULT r = 0;
  if (!Send(c, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0, &r)) return Reply("error no answer");
  if (r == (combo ? CB_ERR : LB_ERR)) return Reply("error no such item");
  // Selecting by message tells nobody; a user's choice notifies the parent like this.
  PostMessageA(GetParent(c), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(c), combo ? CBN_SELCHANGE : LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(c));
  Reply("ok");
}

void CmdListRows(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: lv-rows <hwnd> <id>");
  HWND lv = Control(ParseHwnd(argv[1]), argv[2]);
  if (!lv) return Reply("error no such control");
  LRESULT count = 0, header = 0, cols = 1;
  if (!Send(lv, LVM_GETITEMCOUNT, 0, 0, &count)) return Reply("error no answer");
  if (Send(lv, LVM_GETHEADER, 0, 0, &header) && header) {
    LRESULT n = 0;
    if (Send(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &n) && n > 0) cols = n;
  }
  Remote mem;
  const SIZE_T textAt = 256, textSize = 1024;
  if (!mem.Open(lv, textAt + textSize)) return Reply("error no access to the program");
  std::string sel, images, rows;
  for (LRESULT row = 0; row < count; ++row) {
    LRESULT state = 0;
    Send(lv, LVM_GETITEMSTATE, row, LVIS_SELECTED, &state);
    if (state & LVIS_SELECTED) sel += (sel.empty() ? "" : ",") + Num(row);
    LVITEMA image;
    ZeroMemory(&image, sizeof image);
    image.mask = LVIF_IMAGE;
    image.iItem = static_cast<int>(row);
    if (!mem.Write(0, &image, sizeof image) ||
        !Send(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(mem.base), nullptr) ||
        !mem.Read(0, &image, sizeof image))
      return Reply("error image of row " + Num(row));
    images += (row ? "," : "") + Num(image.iImage);
    rows += " ";
    for (LRESULT col = 0; col < cols; ++col) {
      LVITEMA item;
      ZeroMemory(&item, sizeof item);
      item.iSubItem = static_cast<int>(col);
      item.pszText = mem.base + textAt;
      item.cchTextMax = textSize;
      char buf[1024] = {0};
      LRESULT len = 0;
      if (!mem.Write(0, &item, sizeof item) || !mem.Write(textAt, buf, 1) ||
          !Send(lv, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(mem.base), &len) ||
          !mem.Read(textAt, buf, sizeof buf - 1))
        return Reply("error cell " + Num(row) + "," + Num(col));
      if (col) rows += ",";
      rows += Hex(buf, strnlen(buf, sizeof buf - 1));
    }
  }
  Reply("rows cols=" + Num(cols) + " sel=" + sel + " images=" + images + rows);
}

void CmdListColumns(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: lv-columns <hwnd> <id>");
  HWND lv = Control(ParseHwnd(argv[1]), argv[2]);
  if (!lv) return Reply("error no such control");
  LRESULT header = 0, cols = 0;
  if (!Send(lv, LVM_GETHEADER, 0, 0, &header) || !header ||
      !Send(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &cols))
    return Reply("error no header");
  Remote mem;
  const SIZE_T textAt = 256, textSize = 1024;
  if (!mem.Open(lv, textAt + textSize)) return Reply("error no access to the program");
  RECT window;
  GetWindowRect(lv, &window);
  std::string out = "columns width=" + Num(window.right - window.left);
  for (LRESULT col = 0; col < cols; ++col) {
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = mem.base + textAt;
    column.cchTextMax = textSize;
    char buf[1024] = {0};
    LRESULT ok = 0;
    if (!mem.Write(0, &column, sizeof column) || !mem.Write(textAt, buf, 1) ||
        !Send(lv, LVM_GETCOLUMNA, col, reinterpret_cast<LPARAM>(mem.base), &ok) || !ok ||
        !mem.Read(0, &column, sizeof column) || !mem.Read(textAt, buf, sizeof buf - 1))
      return Reply("error column " + Num(col));
    out += " " + Num(column.cx) + ":" + Hex(buf, strnlen(buf, sizeof buf - 1));
  }
  Reply(out);
}

// A part of a row (LVIR_LABEL, LVIR_ICON) in screen coordinates, scrolled into view first.
bool RowRect(HWND lv, int row, int part, RECT* r) {
  Send(lv, LVM_ENSUREVISIBLE, row, FALSE, nullptr);
  Remote mem;
  ZeroMemory(r, sizeof *r);
  r->left = part;
  LRESULT ok = 0;
  if (!mem.Open(lv, sizeof *r) || !mem.Write(0, r, sizeof *r) ||
      !Send(lv, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(mem.base), &ok) || !ok ||
      !mem.Read(0, r, sizeof *r))
    return false;
  MapWindowPoints(lv, nullptr, reinterpret_cast<POINT*>(r), 2);
  return true;
}

void CmdListRect(int argc, char** argv) {
  if (argc < 4) return Reply("error usage: lv-rect <hwnd> <id> <row> [label|icon]");
  HWND lv = Control(ParseHwnd(argv[1]), argv[2]);
  if (!lv) return Reply("error no such control");
  int part = argc > 4 && !strcmp(argv[4], "icon") ? LVIR_ICON : LVIR_LABEL;
  RECT r;
  if (!RowRect(lv, static_cast<int>(strtol(argv[3], nullptr, 10)), part, &r))
    return Reply("error no such row");
  Reply("rect " + RectText(r));
}

// The shell's icon of path as an image list of the file list's kind draws it on background.
bool ShellIconPixels(const char* path, COLORREF background, DWORD* pixels) {
  SHFILEINFOA info;
  ZeroMemory(&info, sizeof info);
  if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) ||
      !info.hIcon) {
    ZeroMemory(&info, sizeof info);
    if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON) || !info.hIcon) return false;
  }
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 1, 0);
  bool ok = list && ImageList_AddIcon(list, info.hIcon) == 0;
  DestroyIcon(info.hIcon);
  if (ok) {
    HICON drawn = ImageList_GetIcon(list, 0, ILD_NORMAL);
    ok = drawn && RenderIcon(drawn, 16, 16, background, pixels);
    if (drawn) DestroyIcon(drawn);
  }
  if (list) ImageList_Destroy(list);
  return ok;
}

void CmdListShellIcon(int argc, char** argv) {
  if (argc < 5) return Reply("error usage: lv-shell-icon <hwnd> <id> <row> <hex path>");
  HWND lv = Control(ParseHwnd(argv[1]), argv[2]);
  if (!lv) return Reply("error no such control");
  std::string path;
  if (!Unhex(argv[4], &path)) return Reply("error bad path");
  LRESULT bk = 0;
  static DWORD expected[16 * 16];
  if (!Send(lv, LVM_GETBKCOLOR, 0, 0, &bk) ||
      !ShellIconPixels(path.c_str(), static_cast<COLORREF>(bk), expected))
    return Reply("error no shell icon");
  RECT r;
  if (!RowRect(lv, static_cast<int>(strtol(argv[3], nullptr, 10)), LVIR_ICON, &r))
    return Reply("error no such row");
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w < 16 || h < 16 || w > 64 || h > 64) return Reply("error odd icon rectangle");
  static DWORD shown[64 * 64];
  DWORD start = GetTickCount(), seen = 0;
  do {
    if (CaptureRect(r, shown)) {
      for (int y = 0; y <= h - 16; ++y)
        for (int x = 0; x <= w - 16; ++x) {
          bool same = true;
          for (int i = 0; i < 16 * 16 && same; ++i)
            same = (shown[(y + i / 16) * w + x + i % 16] & 0xffffff) ==
                   (expected[i] & 0xffffff);
          if (same) return Reply("icon same");
        }
      for (int i = 0; i < w * h && !seen; ++i)
        if ((shown[i] & 0xffffff) != (shown[0] & 0xffffff)) seen = GetTickCount();
    }
    // Something else is shown once a painting has had time to finish.
    if (seen && GetTickCount() - seen > 300) return Reply("icon differs");
    Sleep(20);
  } while (GetTickCount() - start < kPaintTimeout);
  Reply(seen ? "icon differs" : "icon unseen");
}

void Button(DWORD down, DWORD up, int times) {
  for (int i = 0; i < times; ++i) {
    INPUT in[2];
    ZeroMemory(in, sizeof in);
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = down;
    in[1].mi.dwFlags = up;
    SendInput(2, in, sizeof(INPUT));
    Sleep(30);
  }
}

bool MouseAction(int x, int y, const char* action) {
  SetCursorPos(x, y);
  Sleep(30);
  if (!strcmp(action, "move")) return true;
  if (!strcmp(action, "click")) Button(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 1);
  else if (!strcmp(action, "dblclick")) Button(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2);
  else if (!strcmp(action, "rclick")) Button(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1);
  else if (!strcmp(action, "down")) Button(MOUSEEVENTF_LEFTDOWN, 0, 1);
  else if (!strcmp(action, "up")) Button(MOUSEEVENTF_LEFTUP, 0, 1);
  else return false;
  return true;
}

void CmdListClick(int argc, char** argv) {
  if (argc < 4) return Reply("error usage: lv-click <hwnd> <id> <row> [click|dblclick|rclick]");
  HWND lv = Control(ParseHwnd(argv[1]), argv[2]);
  if (!lv) return Reply("error no such control");
  int row = static_cast<int>(strtol(argv[3], nullptr, 10));
  const char* action = argc > 4 ? argv[4] : "click";
  RECT r;
  if (!RowRect(lv, row, LVIR_LABEL, &r)) return Reply("error no such row");
  POINT p = {r.left + 4 < r.right ? r.left + 4 : (r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (!MouseAction(p.x, p.y, action)) return Reply("error unknown action");
  // Input is handled in the program's own time: wait until the row shows it was hit. A
  // double-click may open what the row names and list other rows: no waiting then.
  LRESULT state = 0;
  bool wait = strcmp(action, "dblclick") != 0;
  DWORD start = GetTickCount();
  while (Send(lv, LVM_GETITEMSTATE, row, LVIS_SELECTED, &state) && !(state & LVIS_SELECTED) &&
         wait && GetTickCount() - start < kSendTimeout)
    Sleep(20);
  Reply("ok x=" + Num(p.x) + " y=" + Num(p.y) + " selected=" + ((state & LVIS_SELECTED) ? "1" : "0"));
}

void CmdMouse(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: mouse <x> <y> [click|dblclick|rclick|move|down|up]");
  if (!MouseAction(atoi(argv[1]), atoi(argv[2]), argc > 3 ? argv[3] : "click"))
    return Reply("error unknown action");
  Reply("ok");
}

// Keys go to the active window: one sent before the program's window is active and waiting
// for input is lost, as happens on a busy machine.
void AwaitProgramInput() {
  if (!ProgramAlive()) return;
  DWORD start = GetTickCount();
  for (;;) {
    HWND active = GetForegroundWindow();
    DWORD pid = 0;
    if (active) GetWindowThreadProcessId(active, &pid);
    if ((pid == g_proc.dwProcessId && IsWindowVisible(active)) ||
        GetTickCount() - start >= kSendTimeout)
      break;
    Sleep(20);
  }
  WaitForInputIdle(g_proc.hProcess, kSendTimeout);
}

void CmdKey(int argc, char** argv) {
  AwaitProgramInput();
  for (int i = 1; i < argc; ++i) {
    INPUT in[2];
    ZeroMemory(in, sizeof in);
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = static_cast<WORD>(strtoul(argv[i], nullptr, 0));
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(30);
  }
  Reply("ok");
}

void CmdRect(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: rect <hwnd> [<id>]");
  HWND h = ParseHwnd(argv[1]);
  if (argc > 2) h = Control(h, argv[2]);
  RECT w, c;
  if (!h || !GetWindowRect(h, &w) || !GetClientRect(h, &c)) return Reply("error no such window");
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT*>(&c), 2);
  Reply("rect " + RectText(w) + " client " + RectText(c));
}

void CmdPixel(int argc, char** argv) {
  if (argc < 3) return Reply("error usage: pixel <x> <y>");
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, atoi(argv[1]), atoi(argv[2]));
  ReleaseDC(nullptr, screen);
  if (c == CLR_INVALID) return Reply("error outside the screen");
  char buf[16];
  snprintf(buf, sizeof buf, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  Reply(std::string("pixel ") + buf);
}

void CmdStyle(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: style <hwnd> [<id>]");
  HWND h = ParseHwnd(argv[1]);
  if (argc > 2) h = Control(h, argv[2]);
  if (!h || !IsWindow(h)) return Reply("error no such window");
  char buf[48];
  snprintf(buf, sizeof buf, "style %08lx exstyle %08lx",
           static_cast<unsigned long>(GetWindowLongA(h, GWL_STYLE)),
           static_cast<unsigned long>(GetWindowLongA(h, GWL_EXSTYLE)));
  Reply(buf);
}

void CmdMove(int argc, char** argv) {
  if (argc < 4) return Reply("error usage: move <hwnd> <x> <y>");
  if (!SetWindowPos(ParseHwnd(argv[1]), nullptr, atoi(argv[2]), atoi(argv[3]), 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
    return Reply("error move failed " + Num(GetLastError()));
  Reply("ok");
}

void CmdPriority(int argc, char** argv) {
  if (argc < 2) return Reply("error usage: priority <hwnd>");
  DWORD tid = GetWindowThreadProcessId(ParseHwnd(argv[1]), nullptr);
  HANDLE thread = tid ? OpenThread(THREAD_QUERY_INFORMATION, FALSE, tid) : nullptr;
  if (!thread) return Reply("error no access to the thread");
  int priority = GetThreadPriority(thread);
  CloseHandle(thread);
  if (priority == THREAD_PRIORITY_ERROR_RETURN) return Reply("error priority not readable");
  Reply("priority " + Num(priority));
}

// The current directory in the program's process parameters, which its environment block
// points to. The offsets follow the robot's own pointer size, which is the program's: the
// parameters' directory comes after four longs and five pointer-wide fields.
typedef LONG(WINAPI* QueryProcess)(HANDLE, int, void*, ULONG, ULONG*);

void CmdProcessDir(int, char**) {
  if (!ProgramAlive()) return Reply("error not running");
  QueryProcess query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  const SIZE_T ptr = sizeof(void*);
  const SIZE_T paramsAt = 4 * ptr, lengthAt = 16 + 5 * ptr, bufferAt = 16 + 6 * ptr;
  HANDLE process = g_proc.hProcess;
  ULONG_PTR basic[6] = {0};  // exit status, environment block, ...
  char* params = nullptr;
  char* buffer = nullptr;
  USHORT length = 0;
  WCHAR path[1024] = {0};
  if (!query || query(process, 0, basic, sizeof basic, nullptr) != 0 ||
      !ReadProcessMemory(process, reinterpret_cast<char*>(basic[1]) + paramsAt, &params,
                         sizeof params, nullptr) ||
      !ReadProcessMemory(process, params + lengthAt, &length, sizeof length, nullptr) ||
      !ReadProcessMemory(process, params + bufferAt, &buffer, sizeof buffer, nullptr) ||
      length >= sizeof path || !ReadProcessMemory(process, buffer, path, length, nullptr))
    return Reply("error current directory not readable");
  Reply("dir " + Hex(reinterpret_cast<const char*>(path), length));
}

HANDLE g_held = nullptr;
std::string g_holdPath;

DWORD WINAPI HoldFile(void*) {
  HANDLE h;
  while ((h = CreateFileA(g_holdPath.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr)) == INVALID_HANDLE_VALUE)
    Sleep(1);
  SetEvent(g_held);  // h stays open until the robot ends
  return 0;
}

void CmdHold(int argc, char** argv) {
  if (g_held) return Reply("error already holding");
  if (argc < 2 || !Unhex(argv[1], &g_holdPath)) return Reply("error usage: hold <hex path>");
  g_held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, HoldFile, nullptr, 0, nullptr);
  if (!thread) return Reply("error no thread");
  CloseHandle(thread);
  Reply("ok");
}

void CmdWaitHeld(int argc, char** argv) {
  if (!g_held) return Reply("error not holding");
  DWORD ms = argc > 1 ? strtoul(argv[1], nullptr, 10) : 10000;
  Reply(WaitForSingleObject(g_held, ms) == WAIT_OBJECT_0 ? "held" : "timeout");
}

struct Command {
  const char* name;
  void (*run)(int, char**);
};

const Command kCommands[] = {
    {"start", CmdStart},         {"wait-exit", CmdWaitExit},   {"kill", CmdKill},
    {"wait-window", CmdWaitWindow}, {"wait-gone", CmdWaitGone}, {"windows", CmdWindows},
    {"watch-shown", CmdWatchShown}, {"wait-shown", CmdWaitShown},
    {"msgbox", CmdMsgbox},       {"click", CmdClick},          {"command", CmdCommand},
    {"close", CmdClose},         {"post", CmdPostOrSend},      {"send", CmdPostOrSend},
    {"controls", CmdControls},   {"get-text", CmdGetText},     {"set-text", CmdSetText},
    {"check", CmdCheck},         {"get-check", CmdGetCheck},   {"enabled", CmdEnabled},
    {"cb-items", CmdItems},      {"lb-items", CmdItems},       {"cb-select", CmdSelect},
    {"lb-select", CmdSelect},    {"lv-rows", CmdListRows},     {"lv-click", CmdListClick},
    {"mouse", CmdMouse},         {"key", CmdKey},              {"rect", CmdRect},
    {"pixel", CmdPixel},         {"cbex-items", CmdItems},     {"lv-columns", CmdListColumns},
    {"lv-rect", CmdListRect},    {"lv-shell-icon", CmdListShellIcon},    {"style", CmdStyle},          {"move", CmdMove},
    {"priority", CmdPriority},   {"process-dir", CmdProcessDir}, {"hold", CmdHold},
    {"wait-held", CmdWaitHeld},
};

// Wine's mount manager picks up a new drive letter only when asked this way: a link in
// dosdevices plus a registry value go unseen by a prefix that is already running. Asked, it
// writes both itself and reads the volume label from a .windows-label file in the folder.
const DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDrive {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

int DefineDrive(char letter, UINT type, const char* folder) {
  char request[4096] = {0};
  UnixDrive* drive = reinterpret_cast<UnixDrive*>(request);
  size_t size = sizeof(UnixDrive);
  drive->type = type;
  drive->letter = static_cast<WCHAR>(letter);
  if (folder) {
    size_t n = strlen(folder);
    if (size + n + 1 > sizeof request) {
      Reply("error folder name too long");
      return 1;
    }
    drive->mountPointOffset = static_cast<USHORT>(size);
    memcpy(request + size, folder, n + 1);
    size += n + 1;
  }
  drive->size = static_cast<ULONG>(size);
  HANDLE manager = CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) {
    Reply("error no mount manager " + Num(GetLastError()));
    return 1;
  }
  DWORD got = 0;
  BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, request, static_cast<DWORD>(size), nullptr,
                            0, &got, nullptr);
  DWORD error = GetLastError();
  CloseHandle(manager);
  Reply(ok ? "ok" : "error mount manager refused " + Num(error));
  return ok ? 0 : 1;
}

int DriveCommand(int argc, char** argv) {
  static const struct {
    const char* name;
    UINT type;
  } kinds[] = {{"fixed", DRIVE_FIXED},   {"floppy", DRIVE_REMOVABLE}, {"cdrom", DRIVE_CDROM},
               {"network", DRIVE_REMOTE}, {"ramdisk", DRIVE_RAMDISK}};
  if (argc == 3 && !strcmp(argv[1], "remove-drive"))
    return DefineDrive(argv[2][0], DRIVE_NO_ROOT_DIR, nullptr);
  if (argc == 5 && !strcmp(argv[1], "define-drive")) {
    for (const auto& k : kinds)
      if (!strcmp(argv[3], k.name)) return DefineDrive(argv[2][0], k.type, argv[4]);
  }
  Reply("error usage: define-drive <letter> <kind> <unix folder> | remove-drive <letter>");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) return DriveCommand(argc, argv);
  static char line[65536];
  while (fgets(line, sizeof line, stdin)) {
    if (!strchr(line, '\n') && !feof(stdin)) {
      // Skip the rest so that it is not taken for further commands: one answer per line.
      int c;
      while ((c = getchar()) != EOF && c != '\n') {
      }
      Reply("error line too long");
      continue;
    }
    char* argv[kMaxTokens];
    int argc = 0;
    for (char* tok = strtok(line, " \t\r\n"); tok && argc < kMaxTokens;
         tok = strtok(nullptr, " \t\r\n"))
      argv[argc++] = tok;
    if (argc == 0) continue;
    if (!strcmp(argv[0], "quit")) break;
    bool known = false;
    for (const Command& c : kCommands) {
      if (!strcmp(argv[0], c.name)) {
        c.run(argc, argv);
        known = true;
        break;
      }
    }
    if (!known) Reply(std::string("error unknown command ") + argv[0]);
  }
  KillProgram();
  Reply("ok");
  return 0;
}
