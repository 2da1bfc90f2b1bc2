#include <windows.h>

#include "base/oskind.h"
#include "base/paths.h"

// Reads value from an HKLM key opened with full access; false when the key does not open.
// valueRead tells whether the value itself was read.
static bool ReadMachineText(const char* key, const char* value, char* text, bool* valueRead) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = kPathCall;
  // Zeros first, so that a value stored without its ending zero still ends within the text.
  ZeroMemory(text, kPathBytes);
  *valueRead = RegQueryValueExA(h, value, NULL, &type, reinterpret_cast<BYTE*>(text), &size) ==
               ERROR_SUCCESS;
  if (!*valueRead) ZeroMemory(text, kPathBytes);
  RegCloseKey(h);
  return true;
}

OsKind ReadOsKind(OsKind previous) {
  char version[kPathBytes], product[kPathBytes];
  bool ntRead = false, productRead = false;
  ReadMachineText("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", version,
                  &ntRead);
  bool nineXOpened = !ntRead && ReadMachineText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                                "ProductName", product, &productRead);
  return DecideOsKind(ntRead, version, nineXOpened, product, previous);
}
