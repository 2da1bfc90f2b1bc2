#include "system.h"

#include <cstring>

namespace rundelo {
namespace {

// Reads a string value into buf (258 bytes, cleared); false when the key or value is absent.
bool ReadValue(const char* key, const char* name, char* buf) {
  std::memset(buf, 0, 258);
  HKEY k;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return false;
  DWORD len = 256;
  LONG rc = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &len);
  RegCloseKey(k);
  buf[256] = 0;
  return rc == ERROR_SUCCESS;
}

typedef BOOL(WINAPI* FreeSpaceEx)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// 64-bit query through the system's own KERNEL32.DLL; false in *asked when it is not there.
bool ExtendedFreeSpace(const char* root, unsigned long long* avail, bool* asked) {
  *asked = false;
  char path[258] = {0};
  UINT n = GetSystemDirectoryA(path, 256);
  if (n == 0 || n > 240) return false;
  std::strcat(path, "\\KERNEL32.DLL");
  HMODULE lib = LoadLibraryA(path);
  if (!lib) return false;
  bool ok = false;
  FreeSpaceEx query = reinterpret_cast<FreeSpaceEx>(
      reinterpret_cast<void*>(GetProcAddress(lib, "GetDiskFreeSpaceExA")));
  if (query) {
    *asked = true;
    ULARGE_INTEGER mine, total, free;
    ok = query(root, &mine, &total, &free) != 0;
    if (ok) *avail = mine.QuadPart;
  }
  FreeLibrary(lib);
  return ok;
}

bool ClassicFreeSpace(const char* root, unsigned long long* avail) {
  DWORD sectors, bytes, freeClusters, clusters;
  if (!GetDiskFreeSpaceA(root, &sectors, &bytes, &freeClusters, &clusters)) return false;
  // In 64 bits: the product overflows 32 bits on large volumes.
  *avail = static_cast<unsigned long long>(sectors) * bytes * freeClusters;
  return true;
}

}  // namespace

OsKind ReadOsKind() {
  char nt[258], product[258];
  bool hasNt = ReadValue("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", nt);
  if (hasNt) return OsKindFromRegistry(nt, nullptr);
  bool hasProduct = ReadValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProductName", product);
  return OsKindFromRegistry(nullptr, hasProduct ? product : nullptr);
}

bool FindProgramDirectory(char* out, size_t cap) {
  bool dbcs = GetACP() == 932;
  char found[258] = {0};
  char module[258] = {0};
  char* filePart = nullptr;
  DWORD n = SearchPathA(nullptr, "RUNDELO.EXE", nullptr, 256, found, &filePart);
  if (n == 0 || n >= 256) found[0] = 0;
  DWORD m = GetModuleFileNameA(nullptr, module, 256);
  if (m == 0 || m >= 256) module[0] = 0;
  return ChooseProgramDirectory(found, module, dbcs, out, cap);
}

bool IsFixedDrive(const char* root) { return GetDriveTypeA(root) == DRIVE_FIXED; }

bool HasRoomFor(const char* root, unsigned long long bytes, OsKind kind) {
  unsigned long long avail = 0;
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(version);
  bool extended = true;
  if (kind == Win95) {
    extended = GetVersionExA(&version) &&
               UsesExtendedFreeSpace(kind, version.dwPlatformId, version.dwBuildNumber);
  }
  if (extended) {
    bool asked;
    if (ExtendedFreeSpace(root, &avail, &asked)) return avail >= bytes;
    if (asked) return false;
  }
  return ClassicFreeSpace(root, &avail) && avail >= bytes;
}

bool IsNtfsVolume(const char* root) {
  char fs[128] = {0};
  if (!GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, fs, sizeof(fs))) return false;
  fs[sizeof(fs) - 1] = 0;
  CharUpperA(fs);
  return std::strstr(fs, "NTFS") != nullptr;
}

}  // namespace rundelo
