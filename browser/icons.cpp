#include "browser/icons.h"

#include <shellapi.h>

#include "ui/state.h"

HICON ResourceIcon(const char* name) { return LoadIconA(g_hInstance, name); }

HICON FolderIconHandle(browser::FolderIcon kind) {
  switch (kind) {
    case browser::FolderIcon::Open: return ResourceIcon("OPEN_ICON");
    case browser::FolderIcon::RecycleXp: return ResourceIcon("RCL_XP_ICON");
    case browser::FolderIcon::RecycleMe: return ResourceIcon("RCL_ME_ICON");
    case browser::FolderIcon::Recycle9x: return ResourceIcon("RCL_9X_ICON");
    case browser::FolderIcon::DocumentsMe: return ResourceIcon("DOC_ME_ICON");
    case browser::FolderIcon::Documents9x: return ResourceIcon("DOC_9X_ICON");
    case browser::FolderIcon::Folder: break;
  }
  return ResourceIcon("FLD_ICON");
}

HICON ShellIcon(const char* path) {
  SHFILEINFOA info;
  ZeroMemory(&info, sizeof info);
  if (SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON) && info.hIcon)
    return info.hIcon;
  ZeroMemory(&info, sizeof info);
  if (SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON) && info.hIcon) return info.hIcon;
  return NULL;
}

bool AppendIcon(HIMAGELIST images, HICON icon) {
  // Row i must show image i, so a failed icon still takes its place.
  if (icon && ImageList_AddIcon(images, icon) >= 0) return true;
  return ImageList_AddIcon(images, LoadIconA(NULL, IDI_APPLICATION)) >= 0;
}

void PutIcon(HIMAGELIST images, int at, HICON icon) {
  if (!icon || ImageList_ReplaceIcon(images, at, icon) != at)
    ImageList_ReplaceIcon(images, at, LoadIconA(NULL, IDI_APPLICATION));
}

bool InsertIcon(HIMAGELIST images, int at, HICON icon) {
  int last = ImageList_GetImageCount(images);
  if (!AppendIcon(images, icon)) return false;
  // Moved through icons: copying within a 16-colour list loses the colours under Wine.
  for (int k = last; k > at; --k) {
    HICON moved = ImageList_GetIcon(images, k - 1, ILD_NORMAL);
    if (!moved) continue;
    ImageList_ReplaceIcon(images, k, moved);
    DestroyIcon(moved);
  }
  if (at < last) ImageList_ReplaceIcon(images, at, icon ? icon : LoadIconA(NULL, IDI_APPLICATION));
  return true;
}
