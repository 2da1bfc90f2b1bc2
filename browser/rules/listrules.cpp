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

bool FormatTimeText(char* out, std::size_t cap, const pieceset::CalTime& t, bool yearFirst) {
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

bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

static unsigned char Fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

bool EqualNoCase(const char* a, const char* b, bool dbcs932) {
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && *y) {
    if (dbcs932 && IsLeadByte932(*x)) {
      if (*x != *y || !x[1] || x[1] != y[1]) return false;
      x += 2;
      y += 2;
      continue;
    }
    if (Fold(*x) != Fold(*y)) return false;
    ++x;
    ++y;
  }
  return *x == *y;
}

bool IsDotEntry(const char* name) { return !std::strcmp(name, ".") || !std::strcmp(name, ".."); }

bool IsRecycleBinName(const char* name) {
  return EqualNoCase(name, "Recycled", false) || EqualNoCase(name, "Recycler", false);
}

int LastBackslash(const char* path, bool dbcs932) {
  int last = -1;
  for (int i = 0; path[i]; ++i) {
    if (dbcs932 && IsLeadByte932(static_cast<unsigned char>(path[i]))) {
      if (!path[i + 1]) break;
      ++i;
    } else if (path[i] == '\\') {
      last = i;
    }
  }
  return last;
}

int CountBackslashes(const char* path, bool dbcs932) {
  int n = 0;
  for (int i = 0; path[i]; ++i) {
    if (dbcs932 && IsLeadByte932(static_cast<unsigned char>(path[i]))) {
      if (!path[i + 1]) break;
      ++i;
    } else if (path[i] == '\\') {
      ++n;
    }
  }
  return n;
}

bool MakeDirectoryPrefix(char* out, std::size_t cap, const char* path, bool dbcs932) {
  std::size_t len = std::strlen(path);
  bool ends = len && LastBackslash(path, dbcs932) == static_cast<int>(len) - 1;
  std::size_t need = len + (ends ? 0 : 1);
  if (need >= cap) {
    if (cap) out[0] = 0;
    return false;
  }
  std::memcpy(out, path, len);
  if (!ends) out[len++] = '\\';
  out[len] = 0;
  return true;
}

void UpperDriveLetter(char* out, std::size_t cap, const char* path) {
  if (!cap) return;
  std::size_t len = std::strlen(path);
  if (len >= cap) len = cap - 1;
  std::memmove(out, path, len);  // out may be path itself
  out[len] = 0;
  if (out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
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
