#include "shell/rules/startup_rules.h"

#include <cstring>

int UiLanguageFromCodePage(unsigned codePage) { return codePage == 932 ? 1 : 0; }

OsKind OsKindFromNtVersion(const char* version) {
  if (std::strstr(version, "4.0")) return WinNt4;
  if (std::strstr(version, "5.0")) return Win2000;
  return WinNtLater;
}

OsKind OsKindFromProductName(const char* product) {
  if (std::strstr(product, "Windows ME")) return WinMe;
  if (std::strstr(product, "Windows 98")) return Win98;
  return Win95;
}

OsKind DecideOsKind(bool ntRead, const char* ntVersion, bool nineXOpened, const char* product,
                    OsKind previous) {
  if (ntRead) return OsKindFromNtVersion(ntVersion);
  if (nineXOpened) return OsKindFromProductName(product);
  return previous;
}

int CentredOrigin(int screen, int size) { return (screen - size) / 2; }

bool CopyBounded(char* dst, size_t size, const char* src) {
  if (size == 0) return false;
  size_t n = std::strlen(src);
  bool whole = n < size;
  if (!whole) n = size - 1;
  std::memcpy(dst, src, n);
  dst[n] = '\0';
  return whole;
}

static bool HasDriveRoot(const char* path) {
  char c = path[0];
  bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return letter && path[1] == ':' && path[2] == '\\';
}

static bool IsLeadByte(char c, bool shiftJis) {
  unsigned char b = static_cast<unsigned char>(c);
  return shiftJis && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
}

// Only ASCII letters change; the second byte of a double-byte character is left alone.
static void UpperAscii(char* s, bool shiftJis) {
  for (; *s; ++s) {
    if (IsLeadByte(*s, shiftJis)) {
      if (s[1]) ++s;
      continue;
    }
    if (*s >= 'a' && *s <= 'z') *s = static_cast<char>(*s - 'a' + 'A');
  }
}

// Length of the program's directory including its last backslash (0 when there is none).
static size_t DirectoryLength(const char* path, bool shiftJis) {
  const char* last = nullptr;
  for (const char* p = path; *p; ++p) {
    if (IsLeadByte(*p, shiftJis)) {
      if (p[1]) ++p;
      continue;
    }
    if (*p == '\\') last = p;
  }
  return last ? static_cast<size_t>(last - path) + 1 : 0;
}

void StartDirFromProgramPath(const char* programPath, bool shiftJis, char* out, size_t size) {
  if (size == 0) return;
  size_t n = HasDriveRoot(programPath) ? 3 : DirectoryLength(programPath, shiftJis);
  if (n >= size) n = size - 1;
  std::memcpy(out, programPath, n);
  out[n] = '\0';
  UpperAscii(out, shiftJis);
}

void HelpPathsFromProgramPath(const char* programPath, bool shiftJis, char* en, char* ja,
                              size_t size) {
  if (size == 0) return;
  size_t dir = DirectoryLength(programPath, shiftJis);
  char buf[258] = {};
  if (dir >= sizeof buf) dir = sizeof buf - 1;
  std::memcpy(buf, programPath, dir);
  UpperAscii(buf, shiftJis);
  char tmp[258 + 16];
  std::strcpy(tmp, buf);
  std::strcat(tmp, "RUZIVA.ROR");
  CopyBounded(en, size, tmp);
  std::strcpy(tmp, buf);
  std::strcat(tmp, "RORORA.RAV");
  CopyBounded(ja, size, tmp);
}

void DocumentsPathFromWindowsDir(const char* windowsDir, char* out, size_t size) {
  char buf[16] = {};
  std::strncpy(buf, windowsDir, 3);
  std::strcat(buf, "My Documents");
  CopyBounded(out, size, buf);
}
