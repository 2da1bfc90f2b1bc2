// LISTPROBE.EXE: reads Tovra's file list and drive selector for the browser tests. The list has
// no control id, so it is named by its window handle. Texts are printed as hex of their bytes.
//   LISTPROBE rows <hwnd>         -> "sel=<i>,... count=<n>", then one line per row: its image
//                                    index, a blank, and its hex cells, comma-separated
//   LISTPROBE headers <hwnd>      -> "<width> <hex text>" per column, then "window <width>"
//   LISTPROBE point <hwnd> <row>  -> "<x> <y>": screen point on the row's name, scrolled into view
//   LISTPROBE icon <hwnd> <row>   -> "<l> <t> <r> <b>": screen rectangle of the row's icon
//   LISTPROBE combo <hwnd>        -> "sel=<n> count=<n>", then "<indent> <image> <selected image>
//                                    <hex text>" per item of an extended combo box
//   LISTPROBE cwd <hwnd>          -> hex of the UTF-16LE current directory of the window's process
//   LISTPROBE priority <hwnd>     -> the priority of the window's thread
// Exit code 0, or 1 with a reason on stderr.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const UINT kTimeout = 5000;

// Memory in the program that owns a window, for messages whose structures carry pointers.
struct Remote {
  HANDLE process = NULL;
  char* base = NULL;
  ~Remote() {
    if (base) VirtualFreeEx(process, base, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
  }
  bool Open(HWND h, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    base = static_cast<char*>(
        VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    return base != NULL;
  }
  bool Write(SIZE_T at, const void* data, SIZE_T n) {
    return WriteProcessMemory(process, base + at, data, n, NULL) != 0;
  }
  bool Read(SIZE_T at, void* data, SIZE_T n) {
    return ReadProcessMemory(process, base + at, data, n, NULL) != 0;
  }
};

bool Send(HWND h, UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutA(h, msg, w, l, SMTO_ABORTIFHUNG, kTimeout, &r)) return false;
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

void PrintHex(const char* s) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; ++p) printf("%02x", *p);
}

int Fail(const char* why) {
  fprintf(stderr, "LISTPROBE: %s\n", why);
  return 1;
}

const SIZE_T kTextAt = 256, kTextBytes = 1024;

int Rows(HWND lv) {
  LRESULT count = 0, header = 0, cols = 0;
  if (!Send(lv, LVM_GETITEMCOUNT, 0, 0, &count)) return Fail("no answer");
  if (!Send(lv, LVM_GETHEADER, 0, 0, &header) || !header ||
      !Send(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &cols))
    return Fail("no header");
  Remote mem;
  if (!mem.Open(lv, kTextAt + kTextBytes)) return Fail("no access to the program");
  printf("sel=");
  bool first = true;
  for (LRESULT row = 0; row < count; ++row) {
    LRESULT state = 0;
    if (Send(lv, LVM_GETITEMSTATE, row, LVIS_SELECTED, &state) && (state & LVIS_SELECTED)) {
      printf(first ? "%ld" : ",%ld", static_cast<long>(row));
      first = false;
    }
  }
  printf(" count=%ld\n", static_cast<long>(count));
  for (LRESULT row = 0; row < count; ++row) {
    LVITEMA image;
    ZeroMemory(&image, sizeof image);
    image.mask = LVIF_IMAGE;
    image.iItem = static_cast<int>(row);
    if (!mem.Write(0, &image, sizeof image) ||
        !Send(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(mem.base), NULL) ||
        !mem.Read(0, &image, sizeof image))
      return Fail("image not readable");
    printf("%d ", image.iImage);
    for (LRESULT col = 0; col < cols; ++col) {
      LVITEMA item;
      ZeroMemory(&item, sizeof item);
      item.iSubItem = static_cast<int>(col);
      item.pszText = mem.base + kTextAt;
      item.cchTextMax = kTextBytes;
      char buf[kTextBytes + 1] = {0};
      if (!mem.Write(0, &item, sizeof item) || !mem.Write(kTextAt, buf, 1) ||
          !Send(lv, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(mem.base), NULL) ||
          !mem.Read(kTextAt, buf, kTextBytes))
        return Fail("cell not readable");
      if (col) putchar(',');
      PrintHex(buf);
    }
    putchar('\n');
  }
  return 0;
}

int Headers(HWND lv) {
  LRESULT header = 0, cols = 0;
  if (!Send(lv, LVM_GETHEADER, 0, 0, &header) || !header ||
      !Send(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &cols))
    return Fail("no header");
  Remote mem;
  if (!mem.Open(lv, kTextAt + kTextBytes)) return Fail("no access to the program");
  for (LRESULT col = 0; col < cols; ++col) {
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = mem.base + kTextAt;
    column.cchTextMax = kTextBytes;
    char buf[kTextBytes + 1] = {0};
    LRESULT ok = 0;
    if (!mem.Write(0, &column, sizeof column) || !mem.Write(kTextAt, buf, 1) ||
        !Send(lv, LVM_GETCOLUMNA, col, reinterpret_cast<LPARAM>(mem.base), &ok) || !ok ||
        !mem.Read(0, &column, sizeof column) || !mem.Read(kTextAt, buf, kTextBytes))
      return Fail("column not readable");
    printf("%d ", column.cx);
    PrintHex(buf);
    putchar('\n');
  }
  RECT window;
  GetWindowRect(lv, &window);
  printf("window %ld\n", static_cast<long>(window.right - window.left));
  return 0;
}

bool ItemRect(HWND lv, int row, int part, RECT* r) {
  Send(lv, LVM_ENSUREVISIBLE, row, FALSE, NULL);
  Remote mem;
  ZeroMemory(r, sizeof *r);
  r->left = part;
  LRESULT ok = 0;
  if (!mem.Open(lv, sizeof *r) || !mem.Write(0, r, sizeof *r) ||
      !Send(lv, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(mem.base), &ok) || !ok ||
      !mem.Read(0, r, sizeof *r))
    return false;
  MapWindowPoints(lv, NULL, reinterpret_cast<POINT*>(r), 2);
  return true;
}

int Point(HWND lv, int row) {
  RECT r;
  if (!ItemRect(lv, row, LVIR_LABEL, &r)) return Fail("no such row");
  long x = r.left + 6 < r.right ? r.left + 6 : (r.left + r.right) / 2;
  printf("%ld %ld\n", x, static_cast<long>((r.top + r.bottom) / 2));
  return 0;
}

int Icon(HWND lv, int row) {
  RECT r;
  if (!ItemRect(lv, row, LVIR_ICON, &r)) return Fail("no such row");
  printf("%ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
         static_cast<long>(r.right), static_cast<long>(r.bottom));
  return 0;
}

int Combo(HWND cb) {
  LRESULT count = 0, sel = 0;
  if (!Send(cb, CB_GETCOUNT, 0, 0, &count) || !Send(cb, CB_GETCURSEL, 0, 0, &sel))
    return Fail("no answer");
  Remote mem;
  if (!mem.Open(cb, kTextAt + kTextBytes)) return Fail("no access to the program");
  printf("sel=%ld count=%ld\n", static_cast<long>(sel), static_cast<long>(count));
  for (LRESULT i = 0; i < count; ++i) {
    COMBOBOXEXITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = CBEIF_TEXT | CBEIF_INDENT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = i;
    item.pszText = mem.base + kTextAt;
    item.cchTextMax = kTextBytes;
    char buf[kTextBytes + 1] = {0};
    LRESULT ok = 0;
    if (!mem.Write(0, &item, sizeof item) || !mem.Write(kTextAt, buf, 1) ||
        !Send(cb, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(mem.base), &ok) || !ok ||
        !mem.Read(0, &item, sizeof item) || !mem.Read(kTextAt, buf, kTextBytes))
      return Fail("item not readable");
    printf("%d %d %d ", item.iIndent, item.iImage, item.iSelectedImage);
    PrintHex(buf);
    putchar('\n');
  }
  return 0;
}

// The process's current directory as the system keeps it: in its process parameters, which
// the process environment block points to (32-bit layout).
typedef LONG(WINAPI* QueryProcess)(HANDLE, int, void*, ULONG, ULONG*);

int CurrentDirectory(HWND h) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return Fail("no access to the program");
  QueryProcess query = reinterpret_cast<QueryProcess>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess"));
  ULONG basic[6] = {0};  // exit status, PEB address, ...
  DWORD params = 0, buffer = 0;
  USHORT length = 0;
  WCHAR path[1024] = {0};
  bool ok = query && query(process, 0, basic, sizeof basic, NULL) == 0 &&
            ReadProcessMemory(process, reinterpret_cast<char*>(basic[1]) + 0x10, &params,
                              sizeof params, NULL) &&
            ReadProcessMemory(process, reinterpret_cast<char*>(params) + 0x24, &length,
                              sizeof length, NULL) &&
            ReadProcessMemory(process, reinterpret_cast<char*>(params) + 0x28, &buffer,
                              sizeof buffer, NULL) &&
            length < sizeof path &&
            ReadProcessMemory(process, reinterpret_cast<char*>(buffer), path, length, NULL);
  CloseHandle(process);
  if (!ok) return Fail("current directory not readable");
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(path);
  for (USHORT i = 0; i < length; ++i) printf("%02x", bytes[i]);
  putchar('\n');
  return 0;
}

int Priority(HWND h) {
  DWORD tid = GetWindowThreadProcessId(h, NULL);
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, tid);
  if (!thread) return Fail("no access to the thread");
  int priority = GetThreadPriority(thread);
  CloseHandle(thread);
  if (priority == THREAD_PRIORITY_ERROR_RETURN) return Fail("priority not readable");
  printf("%d\n", priority);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("usage: rows|headers|point|icon|combo|cwd|priority <hwnd> [<row>]");
  HWND h = reinterpret_cast<HWND>(static_cast<INT_PTR>(strtoll(argv[2], NULL, 0)));
  if (!IsWindow(h)) return Fail("no such window");
  if (!strcmp(argv[1], "rows")) return Rows(h);
  if (!strcmp(argv[1], "point") && argc > 3) return Point(h, atoi(argv[3]));
  if (!strcmp(argv[1], "icon") && argc > 3) return Icon(h, atoi(argv[3]));
  if (!strcmp(argv[1], "combo")) return Combo(h);
  if (!strcmp(argv[1], "headers")) return Headers(h);
  if (!strcmp(argv[1], "cwd")) return CurrentDirectory(h);
  if (!strcmp(argv[1], "priority")) return Priority(h);
  return Fail("unknown command");
}
