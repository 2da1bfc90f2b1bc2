#include "shell/rules/startup_rules.h"

#include <cstring>

#include "base/paths.h"
#include "base/text.h"

int UiLanguageFromCodePage(unsigned codePage) { return codePage == 932 ? 1 : 0; }

int CentredOrigin(int screen, int size) { return (screen - size) / 2; }

static bool HasDriveRoot(const char* path) {
  char c = path[0];
  bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return letter && path[1] == ':' && path[2] == '\\';
}

// Length of the program's directory including its last backslash (0 when there is none).
static size_t DirectoryLength(const char* path, bool shiftJis) {
  return static_cast<size_t>(LastBackslash(path, shiftJis) + 1);
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
