// Drive kind, NTFS and free-space queries for a drive root such as "A:\".
#include "base/drives.h"

#include <windows.h>

#include "base/freespace.h"
#include "base/oskind.h"

static const SpaceQueries kSystemQueries = {ExtendedFreeSpacePath, QueryFreeBytes, QueryClusters};
const SpaceQueries* g_spaceQueries = &kSystemQueries;

DriveKind GetDriveKind(const char* root) { return DriveKindFromSystemType(GetDriveTypeA(root)); }

bool IsNtfsVolume(const char* root) {
  char fsName[129] = {};
  DWORD maxComponent = 0, flags = 0;
  if (GetVolumeInformationA(root, NULL, 0, NULL, &maxComponent, &flags, fsName, 128) != 1)
    return false;
  return IsNtfsName(fsName);
}

// A drive that cannot be asked (no medium, no such drive, no extended query function) has no
// room, on either path.
int HasClusterRoom(const char* root, int mode) {
  if (g_spaceQueries->extendedPath(g_osKind)) {
    uint64_t freeToCaller = 0, total = 0;
    if (g_spaceQueries->freeBytes(root, &freeToCaller, &total) != FreeQuery::Ok) return 0;
    return ClusterRoomExtended(mode, total, freeToCaller) ? 1 : 0;
  }
  ClusterCounts c = {};
  if (!g_spaceQueries->clusters(root, &c)) return 0;
  return ClusterRoomLegacy(c.freeClusters) ? 1 : 0;
}

int HasRoomFor(const char* root, long bytes) {
  int32_t request = static_cast<int32_t>(bytes);
  if (g_spaceQueries->extendedPath(g_osKind)) {
    uint64_t freeToCaller = 0, total = 0;
    if (g_spaceQueries->freeBytes(root, &freeToCaller, &total) != FreeQuery::Ok) return 0;
    return RoomForExtended(request, freeToCaller) ? 1 : 0;
  }
  ClusterCounts c = {};
  if (!g_spaceQueries->clusters(root, &c)) return 0;
  return RoomForLegacy(request, c.sectorsPerCluster, c.bytesPerSector, c.freeClusters) ? 1 : 0;
}
