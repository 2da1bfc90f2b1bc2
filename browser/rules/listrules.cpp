#include "browser/rules/listrules.h"

#include <cstdio>
#include <cstring>

namespace browser {

void AttributeLetters(unsigned attributes, char* out) {
  int n = 0;
  if (attributes & kAttrReadOnly) out[n++] = 'R';
  if (attributes & kAttrHidden) out[n++] = 'H';
  if (attributes & kAttrSystem) out[n++] = 'S';
  if (attributes & kAttrArchive) out[n++] = 'A';
  out[n] = 0;
}

static bool Fits(char* out, std::size_t cap, int n) {
  if (n < 0 || static_cast<std::size_t>(n) >= cap) {
    if (cap) out[0] = 0;
    return false;
  }
  return true;
}

bool FormatTimeText(char* out, std::size_t cap, const CalTime& t, bool yearFirst) {
  if (!cap) return false;
  int n = yearFirst ? std::snprintf(out, cap, "%04d/%02d/%02d  %02d:%02d:%02d", t.year, t.month,
                                    t.day, t.hour, t.minute, t.second)
                    : std::snprintf(out, cap, "%02d/%02d/%04d  %02d:%02d:%02d", t.month, t.day,
                                    t.year, t.hour, t.minute, t.second);
  return Fits(out, cap, n);
}

bool FormatSizeText(char* out, std::size_t cap, unsigned long long size) {
  if (!cap) return false;
  return Fits(out, cap, std::snprintf(out, cap, "%10llu", size));
}

bool IsRecycleBinName(const char* name) {
  return EqualNoCase(name, "Recycled", false) || EqualNoCase(name, "Recycler", false);
}

bool MayNotLookUp(const char* name) {
  std::size_t n = std::strlen(name);
  return n == 0 || name[n - 1] == '.' || name[n - 1] == ' ' || std::strpbrk(name, "?*");
}

bool IconKind(const char* name, char* out, std::size_t cap, bool dbcs932) {
  // A full stop is never a byte of a double-byte character.
  const char* dot = std::strrchr(name, '.');
  const char* ext = dot ? dot + 1 : "";
  if (std::strlen(ext) >= cap) return false;
  std::strcpy(out, ext);
  UpperAscii(out, dbcs932);
  return true;
}

bool IconIsOwn(const char* name) {
  static const char* const kOwn[] = {"EXE", "ICO", "CUR", "ANI", "LNK", "PIF", "SCR", "URL", "BMP"};
  char kind[8];
  if (!IconKind(name, kind, sizeof kind, false)) return false;
  for (const char* k : kOwn)
    if (!std::strcmp(kind, k)) return true;
  return false;
}

FolderIcon ListFolderIcon(const char* name, const char* fullPath, const char* documentsPath,
                          OsKind os, bool dbcs932) {
  if (EqualNoCase(name, "Recycled", false)) {
    switch (os) {
      case WinNtLater: return FolderIcon::RecycleXp;
      case WinMe:
      case Win2000: return FolderIcon::RecycleMe;
      case Win95:
      case Win98: return FolderIcon::Recycle9x;
      case WinNt4: return FolderIcon::Folder;
    }
  }
  if (EqualNoCase(name, "My Documents", false))
    return ChainFolderIcon(fullPath, documentsPath, os, dbcs932);
  return FolderIcon::Folder;
}

FolderIcon ChainFolderIcon(const char* path, const char* documentsPath, OsKind os, bool dbcs932) {
  if (documentsPath[0] && EqualNoCase(path, documentsPath, dbcs932)) {
    if (os == WinMe) return FolderIcon::DocumentsMe;
    if (os == Win98) return FolderIcon::Documents9x;
  }
  return FolderIcon::Folder;
}

}  // namespace browser
