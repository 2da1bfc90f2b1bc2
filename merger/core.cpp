#include "core.h"

#include <cstdio>
#include <cstring>

namespace rundelo {

OsKind OsKindFromRegistry(const char* ntVersion, const char* productName) {
  if (ntVersion) {
    if (std::strstr(ntVersion, "4.0")) return WinNt4;
    if (std::strstr(ntVersion, "5.0")) return Win2000;
    return WinNtLater;
  }
  if (productName) {
    if (std::strstr(productName, "Windows ME")) return WinMe;
    if (std::strstr(productName, "Windows 98")) return Win98;
  }
  return Win95;
}

bool UsesExtendedFreeSpace(OsKind kind, unsigned long platformId, unsigned long build) {
  if (kind != Win95) return true;
  // VER_PLATFORM_WIN32_WINDOWS; the 9x systems keep the version in the high word of the build.
  return platformId == 1 && (build & 0xFFFF) > 1000;
}

std::size_t DirectoryLength(const char* path, bool dbcs932) {
  std::size_t end = 0;
  for (std::size_t i = 0; path[i]; ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (dbcs932 && IsLeadByte932(c) && path[i + 1]) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') end = i + 1;
  }
  return end;
}

bool SamePath(const char* a, const char* b, bool dbcs932) {
  std::size_t i = 0;
  for (;; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (dbcs932 && IsLeadByte932(x)) {
      if (x != y || a[i + 1] != b[i + 1]) return false;
      if (!a[i + 1]) return true;
      ++i;
      continue;
    }
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
    if (x != y) return false;
    if (!x) return true;
  }
}

bool ChooseProgramDirectory(const char* found, const char* module, bool dbcs932, char* out,
                            std::size_t cap) {
  if (cap) std::memset(out, 0, cap);
  const char* from = (found[0] && SamePath(found, module, dbcs932)) ? found : module;
  std::size_t n = DirectoryLength(from, dbcs932);
  if (n == 0 || n >= cap) return false;
  std::memcpy(out, from, n);
  return true;
}

void AppendText(char* out, std::size_t cap, const char* text, bool dbcs932) {
  if (cap == 0) return;
  std::size_t used = std::strlen(out);
  for (std::size_t i = 0; text[i];) {
    bool pair = dbcs932 && IsLeadByte932(static_cast<unsigned char>(text[i])) && text[i + 1];
    std::size_t step = pair ? 2 : 1;
    if (used + step >= cap) break;
    std::memcpy(out + used, text + i, step);
    used += step;
    i += step;
  }
  out[used] = 0;
}

void AppendNumber(char* out, std::size_t cap, long value) {
  char digits[24] = {0};
  std::snprintf(digits, sizeof(digits), "%ld", value);
  AppendText(out, cap, digits, false);
}

}  // namespace rundelo
