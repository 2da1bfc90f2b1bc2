#include "browser/selector.h"

#include <commctrl.h>
#include <cstring>

#include "base/drives.h"
#include "browser/filelist.h"
#include "browser/icons.h"
#include "browser/rules/locations.h"
#include "browser/texts.h"
#include "resources/ids.h"
#include "ui/dialogs.h"
#include "ui/state.h"


HWND g_hDriveSelector;

static browser::LocationList s_loc;
static HIMAGELIST s_images;

static bool Dbcs() { return GetACP() == 932; }

static void InsertSelectorItem(int i) {
  COMBOBOXEXITEMA item;
  ZeroMemory(&item, sizeof item);
  item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
  item.iItem = i;
  item.pszText = const_cast<char*>(browser::ShownText(s_loc.entry[i], Dbcs()));
  item.iImage = i;
  item.iSelectedImage = i;
  item.iIndent = s_loc.entry[i].indent;
  SendMessageA(g_hDriveSelector, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

static void Select(int i) { SendMessageA(g_hDriveSelector, CB_SETCURSEL, i, 0); }

static void Refill(int selected) {
  SendMessageA(g_hDriveSelector, CB_RESETCONTENT, 0, 0);
  RebuildSelectorItems();
  Select(selected);
}

static HICON DriveIcon(const char* root, bool* shellOwned) {
  HICON icon = ShellIcon(root);
  *shellOwned = icon != NULL;
  return icon ? icon : ResourceIcon("NO_DRV_ICON");
}

static void AddDriveEntries() {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    char root[8] = {letter, ':', '\\', 0};
    DriveKind kind = GetDriveKind(root);
    char label[30];
    ZeroMemory(label, sizeof label);
    if (kind == DriveFixed)
      GetVolumeInformationA(root, label, sizeof label, NULL, NULL, NULL, NULL, 0);
    char text[kPathBytes];
    if (!browser::DriveEntryText(text, sizeof text, letter, kind, label)) continue;
    bool shellOwned = false;
    HICON icon = DriveIcon(root, &shellOwned);
    bool added = AppendIcon(s_images, icon);
    if (shellOwned) DestroyIcon(icon);
    if (!added || !browser::AppendDrive(s_loc, text)) continue;
    InsertSelectorItem(s_loc.count - 1);
  }
}

void BuildDriveSelector(HWND mainWnd) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_USEREX_CLASSES};
  InitCommonControlsEx(&icc);
  g_hDriveSelector = CreateWindowExA(0, WC_COMBOBOXEXA, "",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 118,
                                     29, 219, 200, mainWnd, reinterpret_cast<HMENU>(IDC_DRIVESELECTOR),
                                     g_hInstance, NULL);
  ShowWindow(g_hDriveSelector, SW_SHOW);
  s_images = ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, browser::kMaxLocations, 0);
  browser::ClearLocations(s_loc);
  // Asking an empty floppy or CD drive for its icon must not raise the system's error box.
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  AddDriveEntries();
  SetErrorMode(oldMode);
  SendMessageA(g_hDriveSelector, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(s_images));
  Select(browser::StartEntry(s_loc, g_currentDir));
}

void RebuildSelectorItems() {
  for (int i = 0; i < s_loc.count; ++i) InsertSelectorItem(i);
  SendMessageA(g_hDriveSelector, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(s_images));
}

static void SetCurrentDir(const char* path) {
  lstrcpynA(g_currentDir, path, kPathBytes);
  SetCurrentDirectoryA(g_currentDir);
}

void OpenSelectedFolder() {
  if (!g_hFileList || !SendMessageA(g_hFileList, LVM_GETITEMCOUNT, 0, 0)) return;
  if (SendMessageA(g_hFileList, LVM_GETSELECTEDCOUNT, 0, 0) != 1) return;
  int row = static_cast<int>(SendMessageA(g_hFileList, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
  char name[kPathBytes], full[kPathBytes];
  ZeroMemory(name, sizeof name);
  ZeroMemory(full, sizeof full);
  LVITEMA item;
  ZeroMemory(&item, sizeof item);
  item.pszText = name;
  item.cchTextMax = kPathBytes - 2;
  SendMessageA(g_hFileList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  if (!name[0]) return;
  DWORD n = GetFullPathNameA(name, kPathBytes - 2, full, NULL);
  if (n == 0 || n >= kPathBytes - 2) return;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(full, &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  FindClose(h);
  if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || browser::IsRecycleBinName(fd.cFileName))
    return;
  // A chain that cannot grow, or a folder that cannot be entered, leaves everything as it is.
  if (!browser::HasRoomForFolder(s_loc) || !SetCurrentDirectoryA(full)) return;
  lstrcpynA(g_currentDir, full, kPathBytes);
  ListDirectory(g_currentDir);
  PushFolderEntry();
}

void PushFolderEntry() {
  int at = browser::PushFolder(s_loc, g_currentDir);
  if (at < 0) return;
  InsertIcon(s_images, at, FolderIconHandle(browser::FolderIcon::Open));
  const browser::Location& parent = s_loc.entry[at - 1];
  if (parent.indent > 0)
    ImageList_ReplaceIcon(s_images, at - 1,
                          FolderIconHandle(browser::ChainFolderIcon(parent.text, g_documentsPath,
                                                                    g_osKind, Dbcs())));
  Refill(at);
}

bool GoUpOneLevel() {
  char before[kPathBytes], after[kPathBytes];
  ZeroMemory(before, sizeof before);
  ZeroMemory(after, sizeof after);
  DWORD n = GetCurrentDirectoryA(kPathBytes - 2, before);
  if (n == 0 || n >= kPathBytes - 2 || strlen(before) < 4) return false;
  if (!SetCurrentDirectoryA("..")) return false;
  n = GetCurrentDirectoryA(kPathBytes - 2, after);
  if (n == 0 || n >= kPathBytes - 2) return false;
  lstrcpynA(g_currentDir, after, kPathBytes);
  ListDirectory(g_currentDir);
  PopFolderEntry();
  return true;
}

void PopFolderEntry() {
  int q = browser::PopFolder(s_loc, g_currentDir);
  if (q < 0) return;
  ImageList_Remove(s_images, q);
  if (s_loc.entry[q - 1].indent > 0)
    ImageList_ReplaceIcon(s_images, q - 1, FolderIconHandle(browser::FolderIcon::Open));
  Refill(q - 1);
}

static void RemoveImages(int first, int n) {
  for (int k = 0; k < n; ++k) ImageList_Remove(s_images, first);
}

static void SameDriveChoice(int s, const char* chosenRoot) {
  int n = browser::ChainBelow(s_loc, s);
  if (n == 0) return;
  browser::RemoveEntries(s_loc, s + 1, n);
  bool drive = s_loc.entry[s].indent == 0;
  SetCurrentDir(drive ? chosenRoot : s_loc.entry[s].text);
  ListDirectory(g_currentDir);
  RemoveImages(s + 1, n);
  if (!drive) ImageList_ReplaceIcon(s_images, s, FolderIconHandle(browser::FolderIcon::Open));
  Refill(s);
}

static void OtherDriveChoice(HWND mainWnd, int s, const char* chosenRoot) {
  DriveKind kind = GetDriveKind(chosenRoot);
  if ((kind == DriveRemovable || kind == DriveCdRom) && !AskMediaReady(mainWnd, chosenRoot)) {
    ReselectCurrentLocation();
    return;
  }
  UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  HANDLE thread = GetCurrentThread();
  bool raised = SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST) != 0;
  bool entered = SetCurrentDirectoryA(chosenRoot) != 0;
  if (raised) SetThreadPriority(thread, THREAD_PRIORITY_NORMAL);
  if (!entered) {
    ReselectCurrentLocation();
  } else {
    int c = browser::ChainStart(s_loc);
    int m = c >= 0 ? 1 + browser::ChainBelow(s_loc, c) : 0;
    browser::RemoveEntries(s_loc, c, m);
    SetCurrentDir(chosenRoot);
    ListDirectory(g_currentDir);
    if (m > 0) {
      RemoveImages(c, m);
      Refill(c > s ? s : s - m);
    } else {
      Select(s);
    }
  }
  SetErrorMode(oldMode);
}

bool SelectLocation(HWND mainWnd) {
  char before[kPathBytes];
  lstrcpynA(before, g_currentDir, kPathBytes);
  int s = static_cast<int>(SendMessageA(g_hDriveSelector, CB_GETCURSEL, 0, 0));
  if (s >= 0 && s < s_loc.count) {
    char currentRoot[4] = {0}, chosenRoot[4] = {0};
    lstrcpynA(currentRoot, NormalizeDriveLetter(g_currentDir), 4);
    lstrcpynA(chosenRoot, NormalizeDriveLetter(s_loc.entry[s].text), 3);
    chosenRoot[2] = '\\';
    if (lstrcmpiA(currentRoot, chosenRoot) == 0)
      SameDriveChoice(s, chosenRoot);
    else
      OtherDriveChoice(mainWnd, s, chosenRoot);
  }
  return !EqualNoCase(before, g_currentDir, Dbcs());
}

void ReselectCurrentLocation() {
  int i = browser::FindLocation(s_loc, g_currentDir, Dbcs());
  if (i >= 0) Select(i);
}
