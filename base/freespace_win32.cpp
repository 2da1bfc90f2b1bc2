#include <windows.h>

#include "base/freespace.h"

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
  // KERNEL32.DLL is in every process: asking it needs no loading.
  FreeSpaceEx query = reinterpret_cast<FreeSpaceEx>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), "GetDiskFreeSpaceExA")));
  if (!query) return FreeQuery::Missing;
  ULARGE_INTEGER avail = {}, all = {}, totalFree = {};
  FreeQuery result = query(root, &avail, &all, &totalFree) ? FreeQuery::Ok : FreeQuery::Failed;
  *freeToCaller = avail.QuadPart;
  *total = all.QuadPart;
  return result;
}

bool QueryClusters(const char* root, ClusterCounts* c) {
  DWORD spc = 0, bps = 0, freeClusters = 0, clusters = 0;
  bool ok = GetDiskFreeSpaceA(root, &spc, &bps, &freeClusters, &clusters) != 0;
  *c = ClusterCounts{spc, bps, freeClusters, clusters};
  return ok;
}
