#include "browser/filelist.h"

#include <commctrl.h>
#include <cstdlib>
#include <cstring>

#include "browser/icons.h"
#include "browser/rules/listrules.h"
#include "browser/selection.h"
#include "browser/texts.h"
#include "resources/ids.h"
#include "ui/state.h"

using browser::kMaxRows;

HWND g_hFileList;

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

// Row i shows image i of the list, which is filled only when the list first draws the row (or
// is asked for its image): asking the shell for the icons of a whole folder, programs one by
// one, took most of a long listing's time, though only the rows in view are ever drawn.
struct Row {
  const ListEntry* entry;  // NULL: no row
  bool folder;
  bool imaged;  // its image is in the list
};
static Row s_rows[kMaxRows];

static bool InsertRow(int row, const ListEntry& e, bool folder) {
  s_rows[row] = Row{&e, folder, false};
  LVITEMA item;
  ZeroMemory(&item, sizeof item);
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = row;
  item.iImage = I_IMAGECALLBACK;
  item.pszText = const_cast<char*>(e.fd.cFileName);
  if (SendMessageA(g_hFileList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == row)
    return true;
  s_rows[row].entry = NULL;
  return false;
}

// An entry whose name cannot be looked up again gets no row, as the system would not find it.
static bool StillThere(const ListEntry& e) {
  WIN32_FIND_DATAA again;
  return !browser::MayNotLookUp(e.fd.cFileName) || ReadEntry(e.path, &again);
}

static bool AddFolderRow(int row, const ListEntry& e) {
  if (!StillThere(e)) return false;
  const WIN32_FIND_DATAA& fd = e.fd;
  bool recycler = browser::IsRecycleBinName(fd.cFileName);
  char when[32], attrs[8];
  TimeText(when, sizeof when, fd.ftLastWriteTime);
  browser::AttributeLetters(fd.dwFileAttributes, attrs);
  if (!InsertRow(row, e, true)) return false;
  SetCell(row, 2, Tx(recycler ? kTypeRecycler : kTypeFolder));
  SetCell(row, 3, when);
  SetCell(row, 4, attrs);
  return true;
}

static bool AddFileRow(int row, const ListEntry& e) {
  if (!StillThere(e)) return false;
  const WIN32_FIND_DATAA& fd = e.fd;
  char size[32], when[32], attrs[8];
  browser::FormatSizeText(size, sizeof size, EntrySize(fd));
  TimeText(when, sizeof when, fd.ftLastWriteTime);
  browser::AttributeLetters(fd.dwFileAttributes, attrs);
  if (!InsertRow(row, e, false)) return false;
  SetCell(row, 1, size);
  SetCell(row, 3, when);
  SetCell(row, 4, attrs);
  return true;
}

// The shell's icons of one listing, one per kind of file: asking the shell costs milliseconds a
// file, and every file of a kind shows the same icon unless its icon is its own. Kept until the
// next listing, as rows are drawn while the user scrolls. A file for which the shell gives none
// (it may have gone since the listing) stands for no kind.
struct KindIcon {
  char kind[16];
  HICON icon;
};
static KindIcon s_kindIcons[64];
static int s_kinds;

static void ForgetKindIcons() {
  for (int k = 0; k < s_kinds; ++k) DestroyIcon(s_kindIcons[k].icon);
  s_kinds = 0;
}

// The icon to show for a file; *owned when the caller must destroy it.
static HICON FileIcon(const char* path, const char* name, bool* owned) {
  char ext[16];
  *owned = false;
  if (browser::IconIsOwn(name) || !browser::IconKind(name, ext, sizeof ext, Dbcs())) {
    HICON icon = ShellIcon(path);
    *owned = icon != NULL;
    return icon;
  }
  for (int k = 0; k < s_kinds; ++k)
    if (!strcmp(s_kindIcons[k].kind, ext)) return s_kindIcons[k].icon;
  HICON icon = ShellIcon(path);
  if (!icon || s_kinds == static_cast<int>(sizeof s_kindIcons / sizeof s_kindIcons[0])) {
    *owned = icon != NULL;
    return icon;
  }
  KindIcon* k = &s_kindIcons[s_kinds++];
  lstrcpynA(k->kind, ext, sizeof k->kind);
  k->icon = icon;
  return icon;
}

static void FillRowImage(int row) {
  Row& r = s_rows[row];
  const ListEntry& e = *r.entry;
  HIMAGELIST images = ListImages();
  if (r.folder) {
    browser::FolderIcon kind =
        browser::ListFolderIcon(e.fd.cFileName, e.path, g_documentsPath, g_osKind, Dbcs());
    PutIcon(images, row, FolderIconHandle(kind));
  } else {
    bool owned = false;
    HICON shellIcon = FileIcon(e.path, e.fd.cFileName, &owned);
    PutIcon(images, row, shellIcon ? shellIcon : ResourceIcon("NO_FIL_ICON"));
    if (owned) DestroyIcon(shellIcon);
  }
  r.imaged = true;
}

void GiveRowImage(NMHDR* request) {
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(request)->item;
  if (!(item.mask & LVIF_IMAGE) || item.iSubItem != 0 || item.iItem < 0 ||
      item.iItem >= kMaxRows || !s_rows[item.iItem].entry) {
    return;
  }
  if (!s_rows[item.iItem].imaged) FillRowImage(item.iItem);
  item.iImage = item.iItem;
  item.mask |= LVIF_DI_SETITEM;
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
  ZeroMemory(s_rows, sizeof s_rows);
  bool fits = MakeDirectoryPrefix(prefix, kPathBytes, path, Dbcs());
  int folders = 0, files = 0;
  if (fits) Enumerate(prefix, &folders, &files);
  qsort(s_folders, folders, sizeof s_folders[0], CompareEntries);
  qsort(s_files, files, sizeof s_files[0], CompareEntries);

  HIMAGELIST images = ListImages();
  SendMessageA(g_hFileList, LVM_DELETEALLITEMS, 0, 0);
  ForgetKindIcons();
  ImageList_Remove(images, -1);
  ImageList_SetImageCount(images, folders + files < kMaxRows ? folders + files : kMaxRows);
  RECT band = {0, 105, 570, 321 - GetSystemMetrics(SM_CYCAPTION)};
  InvalidateRect(s_mainWnd, &band, FALSE);

  int page = static_cast<int>(SendMessageA(g_hFileList, LVM_GETCOUNTPERPAGE, 0, 0));
  bool held = false;
  int row = 0;
  SendMessageA(g_hFileList, LVM_SETITEMCOUNT, folders + files, 0);
  for (int i = 0; i < folders; ++i) {
    if (AddFolderRow(row, s_folders[i])) ++row;
    HoldBeyondPage(row, page, &held);
  }
  for (int j = 0; j < files && row < kMaxRows; ++j) {
    if (AddFileRow(row, s_files[j])) ++row;
    HoldBeyondPage(row, page, &held);
  }
  // One image a row: those set aside for entries that could not be looked up again go.
  ImageList_SetImageCount(images, row);
  if (held) EndHold();
  UpdateWindow(s_mainWnd);
}

const char* NormalizeDriveLetter(const char* path) {
  UpperDriveLetter(s_normalized, sizeof s_normalized, path);
  return s_normalized;
}

void ClearSelection(Selection* s) {
  ZeroMemory(s->fileName, sizeof s->fileName);
  ZeroMemory(s->filePath, sizeof s->filePath);
  ZeroMemory(s->dirName, sizeof s->dirName);
  ZeroMemory(s->dirPath, sizeof s->dirPath);
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

void ReadSelection(Selection* s) {
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
    Copy(s->dirName, name);
    Copy(s->dirPath, NormalizeDriveLetter(full));
  } else {
    Copy(s->fileName, name);
    Copy(s->filePath, NormalizeDriveLetter(full));
    s->fileSize = EntrySize(fd);
    s->fileTime = LocalTime(fd.ftLastWriteTime);
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
