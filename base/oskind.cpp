#include "base/oskind.h"

#include <cstring>

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

bool UseExtendedFreeSpace(OsKind kind, uint32_t platformId, uint32_t buildNumber) {
  if (kind != Win95) return true;
  // The 9x systems keep the version in the high word of the build number.
  return platformId == 1 && (buildNumber & 0xFFFF) > 1000;
}
