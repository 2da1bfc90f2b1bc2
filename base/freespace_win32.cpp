#include <windows.h>

#include "base/freespace.h"
#include "base/paths.h"

bool ExtendedFreeSpacePath(OsKind kind) {
  if (kind != Win95) return true;
  OSVERSIONINFOA v;
  ZeroMemory(&v, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;  // 148
  if (!GetVersionExA(&v)) return false;
  return UseExtendedFreeSpace(kind, v.dwPlatformId, v.dwBuildNumber);
}

typedef BOOL(WINAPI* FreeSpaceEx)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

FreeQuery QueryFreeBytes(const char* root, uint64_t* freeToCaller, uint64_t* total) {
  *freeToCaller = 0;
  *total = 0;
  char path[kPathBytes] = {};
  UINT n = GetSystemDirectoryA(path, kPathCall);
  if (n == 0 || n >= kPathCall - 14) return FreeQuery::Missing;
  lstrcatA(path, "\\KERNEL32.DLL");
  HMODULE lib = LoadLibraryA(path);
  if (!lib) return FreeQuery::Missing;
  FreeSpaceEx query = reinterpret_cast<FreeSpaceEx>(
      reinterpret_cast<void*>(GetProcAddress(lib, "GetDiskFreeSpaceExA")));
  FreeQuery result = FreeQuery::Missing;
  if (query) {
    ULARGE_INTEGER avail = {}, all = {}, totalFree = {};
    result = query(root, &avail, &all, &totalFree) ? FreeQuery::Ok : FreeQuery::Failed;
    *freeToCaller = avail.QuadPart;
    *total = all.QuadPart;
  }
  FreeLibrary(lib);
  return result;
}

bool QueryClusters(const char* root, ClusterCounts* c) {
  DWORD spc = 0, bps = 0, freeClusters = 0, clusters = 0;
  bool ok = GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &clusters) != 0;
  *c = ClusterCounts{spc, bps, freeClusters, clusters};
  return ok;
}
