// Drive kind, NTFS and free-space queries for a drive root such as "A:\".
#include "shell/drives.h"

#include <windows.h>

#include "shell/app.h"

int g_ntfsFlag;

DriveKind GetDriveKind(const char* root) { return DriveKindFromSystemType(GetDriveTypeA(root)); }

void CheckNtfsVolume(const char* root) {
  char fsName[129] = {};
  DWORD maxComponent = 0, flags = 0;
  if (GetVolumeInformationA(root, NULL, 0, NULL, &maxComponent, &flags, fsName, 128) != 1) {
    g_ntfsFlag = 0;
    return;
  }
  g_ntfsFlag = IsNtfsName(fsName) ? 1 : 0;
}

static bool ExtendedPath() {
  if (g_osKind != Win95) return true;
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof v;  // 148
  GetVersionExA(&v);
  return UseExtendedFreeSpace(g_osKind, v.dwPlatformId, v.dwBuildNumber);
}

typedef BOOL(WINAPI* FreeSpaceEx)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// The extended query is looked up at run time: the oldest systems lack it. False when the
// function is missing or the query fails; the caller then counts the drive as full.
static bool QueryExtended(const char* root, uint64_t* freeToCaller, uint64_t* total) {
  char path[kPathBuf] = {};
  UINT n = GetSystemDirectoryA(path, kPathCall);
  if (n == 0 || n >= kPathCall - 14) return false;
  lstrcatA(path, "\\KERNEL32.DLL");
  HMODULE lib = LoadLibraryA(path);
  if (!lib) return false;
  FreeSpaceEx query = reinterpret_cast<FreeSpaceEx>(
      reinterpret_cast<void*>(GetProcAddress(lib, "GetDiskFreeSpaceExA")));
  ULARGE_INTEGER avail = {}, all = {}, totalFree = {};
  bool ok = query && query(root, &avail, &all, &totalFree);
  FreeLibrary(lib);
  *freeToCaller = avail.QuadPart;
  *total = all.QuadPart;
  return ok;
}

struct LegacyCounts {
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
};

// A drive that cannot be asked has no room, on this path as on the extended one.
static bool QueryLegacy(const char* root, LegacyCounts* c) {
  return GetDiskFreeSpaceA(root, &c->sectorsPerCluster, &c->bytesPerSector, &c->freeClusters,
                           &c->totalClusters) != 0;
}

int HasClusterRoom(const char* root, int mode) {
  if (ExtendedPath()) {
    uint64_t freeToCaller = 0, total = 0;
    if (!QueryExtended(root, &freeToCaller, &total)) return 0;
    return ClusterRoomExtended(mode, total, freeToCaller) ? 1 : 0;
  }
  LegacyCounts c = {};
  if (!QueryLegacy(root, &c)) return 0;
  return ClusterRoomLegacy(c.freeClusters) ? 1 : 0;
}

int HasRoomFor(const char* root, long bytes) {
  int32_t request = static_cast<int32_t>(bytes);
  if (ExtendedPath()) {
    uint64_t freeToCaller = 0, total = 0;
    if (!QueryExtended(root, &freeToCaller, &total)) return 0;
    return RoomForExtended(request, freeToCaller) ? 1 : 0;
  }
  LegacyCounts c = {};
  if (!QueryLegacy(root, &c)) return 0;
  return RoomForLegacy(request, c.sectorsPerCluster, c.bytesPerSector, c.freeClusters) ? 1 : 0;
}
