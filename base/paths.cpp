#include "base/paths.h"

#include <cstring>

bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

static bool LeadAt(const char* s, std::size_t i, bool dbcs932) {
  return dbcs932 && IsLeadByte932(static_cast<unsigned char>(s[i]));
}

int LastBackslash(const char* path, bool dbcs932) {
  int last = -1;
  for (int i = 0; path[i]; ++i) {
    if (LeadAt(path, i, dbcs932)) {
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
    if (LeadAt(path, i, dbcs932)) {
      if (!path[i + 1]) break;
      ++i;
    } else if (path[i] == '\\') {
      ++n;
    }
  }
  return n;
}

bool DirectoryOf(const char* path, char* out, std::size_t cap, bool dbcs932) {
  if (cap == 0) return false;
  std::memset(out, 0, cap);
  int last = LastBackslash(path, dbcs932);
  if (last < 0 || static_cast<std::size_t>(last) + 1 >= cap) return false;
  std::memcpy(out, path, static_cast<std::size_t>(last) + 1);
  return true;
}

bool MakeDirectoryPrefix(char* out, std::size_t cap, const char* path, bool dbcs932) {
  std::size_t len = std::strlen(path);
  bool ends = len && LastBackslash(path, dbcs932) == static_cast<int>(len) - 1;
  std::size_t need = len + (ends ? 0 : 1);
  if (need >= cap) {
    if (cap) out[0] = 0;
    return false;
  }
  std::memmove(out, path, len);
  if (!ends) out[len++] = '\\';
  out[len] = 0;
  return true;
}

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

bool ContainsText(const char* text, const char* part, bool dbcs932) {
  const std::size_t n = std::strlen(part);
  for (std::size_t i = 0; text[i]; ++i) {
    if (std::strncmp(text + i, part, n) == 0) return true;
    if (LeadAt(text, i, dbcs932) && text[i + 1]) ++i;
  }
  return n == 0;
}

void UpperAscii(char* s, bool dbcs932) {
  for (; *s; ++s) {
    if (dbcs932 && IsLeadByte932(static_cast<unsigned char>(*s))) {
      if (s[1]) ++s;
      continue;
    }
    if (*s >= 'a' && *s <= 'z') *s = static_cast<char>(*s - 'a' + 'A');
  }
}

void UpperDriveLetter(char* out, std::size_t cap, const char* path) {
  if (!cap) return;
  std::size_t len = std::strlen(path);
  if (len >= cap) len = cap - 1;
  std::memmove(out, path, len);
  out[len] = 0;
  if (out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
}

bool IsDotEntry(const char* name) { return !std::strcmp(name, ".") || !std::strcmp(name, ".."); }
