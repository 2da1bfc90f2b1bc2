#include "browser/filelist.h"

#include <commctrl.h>
#include <cstdlib>
#include <cstring>

#include "browser/icons.h"
#include "browser/rules/listrules.h"
#include "browser/selection.h"
#include "browser/texts.h"
#include "resources/ids.h"
#include "shell/state.h"

using browser::kMaxRows;

HWND g_hFileList;
char g_selFileName[kPathBytes];
char g_selFilePath[kPathBytes];
char g_selDirName[kPathBytes];
char g_selDirPath[kPathBytes];
unsigned long long g_selFileSize;
CalTime g_selFileTime;

static HWND s_mainWnd;
// An entry of the listing: its full path and what the enumeration said of it.
struct ListEntry {
  char path[kPathBytes];
  WIN32_FIND_DATAA fd;
};
static ListEntry s_folders[kMaxRows];
static ListEntry s_files[kMaxRows];
static char s_normalized[kPathBytes];

static bool Dbcs() { return GetACP() == 932; }

static void Copy(char* out, const char* s) {
  lstrcpynA(out, s, kPathBytes);
}

static CalTime LocalTime(const FILETIME& ft) {
  CalTime t;
  LocalTimeOfFileTime((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime, &t);
  return t;
}

static void TimeText(char* out, size_t cap, const FILETIME& ft) {
  browser::FormatTimeText(out, cap, LocalTime(ft), g_uiLanguage == 1);
}

static unsigned long long EntrySize(const WIN32_FIND_DATAA& fd) {
  return (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
}

// Reads one directory entry by its full path; false when it is gone.
static bool ReadEntry(const char* path, WIN32_FIND_DATAA* fd) {
  HANDLE h = FindFirstFileA(path, fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

static void AddColumn(int index, int format, int width, const Text& head) {
  LVCOLUMNA col;
  ZeroMemory(&col, sizeof col);
  col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  col.fmt = format;
  col.cx = width;
  col.pszText = const_cast<char*>(Tx(head));
  col.iSubItem = index;
  SendMessageA(g_hFileList, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&col));
}

void CreateFileList(HWND mainWnd) {
  s_mainWnd = mainWnd;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  int frameHeight = 365 - GetSystemMetrics(SM_CYCAPTION);
  HWND frame = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_BORDER | SS_WHITERECT,
                               0, 61, 570, frameHeight, mainWnd,
                               reinterpret_cast<HMENU>(IDC_LISTFRAME), g_hInstance, NULL);
  ShowWindow(frame, SW_SHOW);
  RECT inner = {0, 0, 0, 0};
  if (frame) GetClientRect(frame, &inner);

  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, kMaxRows, 0);
  g_hFileList = CreateWindowExA(0, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL |
                                    LVS_SHOWSELALWAYS,
                                1, 62, inner.right, inner.bottom, mainWnd, NULL, g_hInstance, NULL);
  if (!g_hFileList || !images) {
    if (images) ImageList_Destroy(images);
    PostMessageA(mainWnd, WM_CLOSE, 0, 0);
    return;
  }
  SendMessageA(g_hFileList, LVM_SETBKCOLOR, 0, 0xFFFFFF);
  SendMessageA(g_hFileList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  AddColumn(0, LVCFMT_LEFT, 210, kHeadName);
  AddColumn(1, LVCFMT_RIGHT, 80, kHeadSize);
  AddColumn(2, LVCFMT_LEFT, 70, kHeadType);
  AddColumn(3, LVCFMT_LEFT, 135, kHeadModified);
  AddColumn(4, LVCFMT_LEFT, inner.right - 495, kHeadAttributes);
}

static HIMAGELIST ListImages() {
  return reinterpret_cast<HIMAGELIST>(SendMessageA(g_hFileList, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
}

static int CompareEntries(const void* a, const void* b) {
  return lstrcmpA(static_cast<const ListEntry*>(a)->path, static_cast<const ListEntry*>(b)->path);
}

// prefix + name and the entry's data into a table entry; false when the full path does not fit.
static bool Store(ListEntry* entry, const char* prefix, const WIN32_FIND_DATAA& fd) {
  size_t p = strlen(prefix), n = strlen(fd.cFileName);
  if (p + n >= kPathBytes) return false;
  memcpy(entry->path, prefix, p);
  memcpy(entry->path + p, fd.cFileName, n + 1);
  entry->fd = fd;
  return true;
}

static void Enumerate(const char* prefix, int* folders, int* files) {
  char pattern[kPathBytes + 4];
  lstrcpynA(pattern, prefix, kPathBytes);
  lstrcatA(pattern, "*.*");
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (IsDotEntry(fd.cFileName)) continue;
      if (Store(&s_folders[*folders], prefix, fd) && ++*folders >= kMaxRows) break;
    } else {
      if (Store(&s_files[*files], prefix, fd) && ++*files >= kMaxRows) break;
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

static void SetCell(int row, int sub, const char* text) {
  LVITEMA item;
  ZeroMemory(&item, sizeof item);
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = sub;
  item.pszText = const_cast<char*>(text);
  SendMessageA(g_hFileList, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

static bool InsertRow(int row, const char* name) {
  LVITEMA item;
  ZeroMemory(&item, sizeof item);
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = row;
  item.iImage = row;
  item.pszText = const_cast<char*>(name);
  return SendMessageA(g_hFileList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == row;
}

// An entry whose name cannot be looked up again gets no row, as the system would not find it.
static bool StillThere(const ListEntry& e) {
  WIN32_FIND_DATAA again;
  return !browser::MayNotLookUp(e.fd.cFileName) || ReadEntry(e.path, &again);
}

static bool AddFolderRow(HIMAGELIST images, int row, const ListEntry& e) {
  if (!StillThere(e)) return false;
  const WIN32_FIND_DATAA& fd = e.fd;
  const char* path = e.path;
  bool recycler = browser::IsRecycleBinName(fd.cFileName);
  char when[32], attrs[8];
  TimeText(when, sizeof when, fd.ftLastWriteTime);
  browser::AttributeLetters(fd.dwFileAttributes, attrs);
  browser::FolderIcon kind =
      browser::ListFolderIcon(fd.cFileName, path, g_documentsPath, g_osKind, Dbcs());
  if (!AppendIcon(images, FolderIconHandle(kind))) return false;
  if (!InsertRow(row, fd.cFileName)) {
    ImageList_Remove(images, row);
    return false;
  }
  SetCell(row, 2, Tx(recycler ? kTypeRecycler : kTypeFolder));
  SetCell(row, 3, when);
  SetCell(row, 4, attrs);
  return true;
}

// The shell's icons of one listing, one per kind of file: asking the shell costs milliseconds a
// file, and every file of a kind shows the same icon unless its icon is its own.
struct KindIcon {
  char kind[16];
  HICON icon;  // NULL: the shell gives none for the kind
  // The icon's own bitmaps when it is 16 by 16: adding them is much cheaper than adding the
  // icon, which is copied and drawn anew for every row.
  HBITMAP color, mask;
  int bitsPerPixel;
};
static KindIcon s_kindIcons[64];
static int s_kinds;

static void ForgetKindIcons() {
  for (int k = 0; k < s_kinds; ++k) {
    if (s_kindIcons[k].icon) DestroyIcon(s_kindIcons[k].icon);
    if (s_kindIcons[k].color) DeleteObject(s_kindIcons[k].color);
    if (s_kindIcons[k].mask) DeleteObject(s_kindIcons[k].mask);
  }
  s_kinds = 0;
}

static void KeepBitmaps(KindIcon* k) {
  k->color = k->mask = NULL;
  ICONINFO info;
  if (!k->icon || !GetIconInfo(k->icon, &info)) return;
  BITMAP bm;
  if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm) && bm.bmWidth == 16 &&
      bm.bmHeight == 16) {
    k->color = info.hbmColor;
    k->mask = info.hbmMask;
    k->bitsPerPixel = bm.bmBitsPixel;
    return;
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}

// The icon to show for a file; *owned when the caller must destroy it. *kind: the kind's
// entry when the icon is the kind's, else NULL.
static HICON FileIcon(const char* path, const char* name, bool* owned, const KindIcon** kind) {
  char ext[16];
  *owned = false;
  *kind = NULL;
  if (browser::IconIsOwn(name) || !browser::IconKind(name, ext, sizeof ext, Dbcs())) {
    HICON icon = ShellIcon(path);
    *owned = icon != NULL;
    return icon;
  }
  for (int k = 0; k < s_kinds; ++k)
    if (!strcmp(s_kindIcons[k].kind, ext)) {
      *kind = &s_kindIcons[k];
      return s_kindIcons[k].icon;
    }
  HICON icon = ShellIcon(path);
  if (s_kinds == static_cast<int>(sizeof s_kindIcons / sizeof s_kindIcons[0])) {
    *owned = icon != NULL;
    return icon;
  }
  KindIcon* k = &s_kindIcons[s_kinds++];
  lstrcpynA(k->kind, ext, sizeof k->kind);
  k->icon = icon;
  KeepBitmaps(k);
  *kind = k;
  return icon;
}

// The images of held rows go into the list many at a time, as one strip: adding them one by
// one took most of a long listing's time. Row i shows image i, so the waiting images go in
// before any other is added.
constexpr int kStripImages = 64;
static const KindIcon* s_waiting[kStripImages];
static int s_waitingCount;

// Draws the waiting images' colour or mask bitmaps side by side into the strip selected into
// to. A run of one kind takes its bitmap once and then doubles itself, as selecting and
// copying each tile costs about as much as adding it.
static void DrawTiles(HDC to, HDC from, int n, bool mask) {
  for (int a = 0, b; a < n; a = b) {
    for (b = a + 1; b < n && s_waiting[b] == s_waiting[a];) ++b;
    HGDIOBJ old = SelectObject(from, mask ? s_waiting[a]->mask : s_waiting[a]->color);
    BitBlt(to, 16 * a, 0, 16, 16, from, 0, 0, SRCCOPY);
    SelectObject(from, old);
    for (int w = 16; w < 16 * (b - a); w *= 2) {
      BitBlt(to, 16 * a + w, 0, w < 16 * (b - a) - w ? w : 16 * (b - a) - w, 16, to, 16 * a, 0, SRCCOPY);
    }
  }
}

static bool AddStrip(HIMAGELIST images, int n) {
  HDC from = CreateCompatibleDC(NULL), to = CreateCompatibleDC(NULL);
  HBITMAP color = NULL, mask = NULL;
  bool added = false;
  if (from && to) {
    // A strip in the format of the kinds' own bitmaps, so that their pixels go in unchanged.
    HGDIOBJ old = SelectObject(from, s_waiting[0]->color);
    color = CreateCompatibleBitmap(from, 16 * n, 16);
    SelectObject(from, old);
    mask = CreateBitmap(16 * n, 16, 1, 1, NULL);
  }
  if (color && mask) {
    HGDIOBJ old = SelectObject(to, color);
    DrawTiles(to, from, n, false);
    SelectObject(to, mask);
    DrawTiles(to, from, n, true);
    SelectObject(to, old);
    added = ImageList_Add(images, color, mask) >= 0;
  }
  if (color) DeleteObject(color);
  if (mask) DeleteObject(mask);
  if (from) DeleteDC(from);
  if (to) DeleteDC(to);
  return added;
}

// Adds the waiting images; false when one of them could not be added even by itself.
static bool AddWaitingImages(HIMAGELIST images) {
  const int n = s_waitingCount;
  s_waitingCount = 0;
  if (n == 0 || AddStrip(images, n)) return true;
  bool all = true;
  for (int i = 0; i < n; ++i) {
    const KindIcon* k = s_waiting[i];
    if (ImageList_Add(images, k->color, k->mask) < 0 && !AppendIcon(images, k->icon)) all = false;
  }
  return all;
}

// Adds the image of a row: the bitmaps of its kind k when there are some, else icon. A held
// row's image waits for the next strip.
static bool AddRowImage(HIMAGELIST images, bool held, const KindIcon* k, HICON icon) {
  if (k && k->color) {
    if (held) {
      if (s_waitingCount > 0 && s_waiting[0]->bitsPerPixel != k->bitsPerPixel &&
          !AddWaitingImages(images)) {
        return false;
      }
      s_waiting[s_waitingCount++] = k;
      return s_waitingCount < kStripImages || AddWaitingImages(images);
    }
    if (ImageList_Add(images, k->color, k->mask) >= 0) return true;
  }
  return AddWaitingImages(images) && AppendIcon(images, icon);
}

static bool AddFileRow(HIMAGELIST images, int row, const ListEntry& e, bool held) {
  if (!StillThere(e)) return false;
  const WIN32_FIND_DATAA& fd = e.fd;
  char size[32], when[32], attrs[8];
  browser::FormatSizeText(size, sizeof size, EntrySize(fd));
  TimeText(when, sizeof when, fd.ftLastWriteTime);
  browser::AttributeLetters(fd.dwFileAttributes, attrs);
  bool owned = false;
  const KindIcon* kind = NULL;
  HICON shellIcon = FileIcon(e.path, fd.cFileName, &owned, &kind);
  bool added = AddRowImage(images, held, kind, shellIcon ? shellIcon : ResourceIcon("NO_FIL_ICON"));
  if (owned) DestroyIcon(shellIcon);
  if (!added) return false;
  if (!InsertRow(row, fd.cFileName)) {
    if (s_waitingCount > 0) --s_waitingCount;
    else ImageList_Remove(images, row);
    return false;
  }
  SetCell(row, 1, size);
  SetCell(row, 3, when);
  SetCell(row, 4, attrs);
  return true;
}

// The first page fills row by row in view. Rows beyond it cannot be seen, and redrawing the
// scroll bar for each of them costs more than everything else the listing does. The row
// that passes the page, which may show in part, is drawn before the hold.
static void HoldBeyondPage(int rows, int page, bool* held) {
  if (*held) return;
  UpdateWindow(s_mainWnd);
  if (rows > page) {
    SendMessageA(g_hFileList, WM_SETREDRAW, FALSE, 0);
    *held = true;
  }
}

// Ends the hold. The rows in view are drawn already and only the scroll bar has changed, which
// the list draws itself as redraw comes back; its request to be drawn anew then is dropped,
// as under Wine it took as long as a hundred rows of the listing.
static void EndHold() {
  SendMessageA(g_hFileList, WM_SETREDRAW, TRUE, 0);
  ValidateRect(g_hFileList, NULL);
}

void ListDirectory(const char* path) {
  if (!g_hFileList) return;
  char prefix[kPathBytes];
  ZeroMemory(prefix, sizeof prefix);
  bool fits = MakeDirectoryPrefix(prefix, kPathBytes, path, Dbcs());
  int folders = 0, files = 0;
  if (fits) Enumerate(prefix, &folders, &files);
  qsort(s_folders, folders, sizeof s_folders[0], CompareEntries);
  qsort(s_files, files, sizeof s_files[0], CompareEntries);

  HIMAGELIST images = ListImages();
  SendMessageA(g_hFileList, LVM_DELETEALLITEMS, 0, 0);
  ImageList_Remove(images, -1);
  RECT band = {0, 105, 570, 321 - GetSystemMetrics(SM_CYCAPTION)};
  InvalidateRect(s_mainWnd, &band, FALSE);

  // A row that cannot be added takes no image either, so row i keeps image i.
  int page = static_cast<int>(SendMessageA(g_hFileList, LVM_GETCOUNTPERPAGE, 0, 0));
  bool held = false;
  int row = 0;
  SendMessageA(g_hFileList, LVM_SETITEMCOUNT, folders + files, 0);
  for (int i = 0; i < folders; ++i) {
    if (AddFolderRow(images, row, s_folders[i])) ++row;
    HoldBeyondPage(row, page, &held);
  }
  for (int j = 0; j < files && row < kMaxRows; ++j) {
    if (AddFileRow(images, row, s_files[j], held)) ++row;
    HoldBeyondPage(row, page, &held);
  }
  AddWaitingImages(images);
  ForgetKindIcons();
  if (held) EndHold();
  UpdateWindow(s_mainWnd);
}

const char* NormalizeDriveLetter(const char* path) {
  UpperDriveLetter(s_normalized, sizeof s_normalized, path);
  return s_normalized;
}

void ClearSelection() {
  ZeroMemory(g_selFileName, sizeof g_selFileName);
  ZeroMemory(g_selFilePath, sizeof g_selFilePath);
  ZeroMemory(g_selDirName, sizeof g_selDirName);
  ZeroMemory(g_selDirPath, sizeof g_selDirPath);
}

static void RowName(int row, char* name) {
  ZeroMemory(name, kPathBytes);
  LVITEMA item;
  ZeroMemory(&item, sizeof item);
  item.iSubItem = 0;
  item.pszText = name;
  item.cchTextMax = kPathBytes - 2;
  SendMessageA(g_hFileList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

// Full path of a row's name in the current directory; false when it does not fit.
static bool RowPath(const char* name, char* full) {
  ZeroMemory(full, kPathBytes);
  DWORD n = GetFullPathNameA(name, kPathBytes - 2, full, NULL);
  return n > 0 && n < kPathBytes - 2;
}

static int NextSelected(int after) {
  return static_cast<int>(SendMessageA(g_hFileList, LVM_GETNEXTITEM, after, LVNI_SELECTED));
}

void ReadSelection() {
  if (!g_hFileList || !SendMessageA(g_hFileList, LVM_GETITEMCOUNT, 0, 0)) return;
  char name[kPathBytes], full[kPathBytes];
  int row = -1;
  do {
    row = NextSelected(row);
    if (row < 0) return;
    RowName(row, name);
  } while (!name[0]);
  WIN32_FIND_DATAA fd;
  if (!RowPath(name, full) || !ReadEntry(full, &fd)) return;
  if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    Copy(g_selDirName, name);
    Copy(g_selDirPath, NormalizeDriveLetter(full));
  } else {
    Copy(g_selFileName, name);
    Copy(g_selFilePath, NormalizeDriveLetter(full));
    g_selFileSize = EntrySize(fd);
    g_selFileTime = LocalTime(fd.ftLastWriteTime);
  }
}

void UpdateSelectedColumn(int attributes) {
  if (!g_hFileList) return;
  char name[kPathBytes], full[kPathBytes], text[32];
  for (int row = NextSelected(-1); row >= 0; row = NextSelected(row)) {
    RowName(row, name);
    WIN32_FIND_DATAA fd;
    if (!name[0] || !RowPath(name, full) || !ReadEntry(full, &fd)) continue;
    if (attributes) {
      browser::AttributeLetters(fd.dwFileAttributes, text);
      SetCell(row, 4, text);
    } else {
      TimeText(text, sizeof text, fd.ftLastWriteTime);
      SetCell(row, 3, text);
    }
  }
}

void ShowItemByName(const char* name) {
  if (!g_hFileList) return;
  LVFINDINFOA find;
  ZeroMemory(&find, sizeof find);
  find.flags = LVFI_STRING;
  find.psz = name;
  int row = static_cast<int>(
      SendMessageA(g_hFileList, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  if (row >= 0) SendMessageA(g_hFileList, LVM_ENSUREVISIBLE, row, FALSE);
}
