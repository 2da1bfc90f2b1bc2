#include "base/drive_rules.h"

#include <cctype>
#include <cstring>

DriveKind DriveKindFromSystemType(uint32_t systemType) {
  static const DriveKind kinds[] = {DriveUndetermined, DriveNoRoot, DriveRemovable, DriveFixed,
                                    DriveRemote,       DriveCdRom,  DriveRamDisk};
  return systemType < 7 ? kinds[systemType] : DriveUndetermined;
}

bool IsNtfsName(const char* fsName) {
  char upper[129] = {};
  for (size_t i = 0; i + 1 < sizeof upper && fsName[i]; ++i)
    upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(fsName[i])));
  return std::strstr(upper, "NTFS") != nullptr;
}

uint64_t ClusterThreshold(int mode, uint64_t totalBytes) {
  if (mode != 0) return 65536;
  if (totalBytes < 0x1000000ull) return 1024;
  if (totalBytes < 0x8000000ull) return 2048;
  if (totalBytes < 0x10000000ull) return 4096;
  if (totalBytes < 0x20000000ull) return 8192;
  if (totalBytes < 0x40000000ull) return 16384;
  if (totalBytes <= 0x80000000ull) return 32768;
  return 65536;
}

bool ClusterRoomExtended(int mode, uint64_t totalBytes, uint64_t freeToCaller) {
  return freeToCaller > ClusterThreshold(mode, totalBytes);
}

bool ClusterRoomLegacy(uint32_t freeClusters) { return freeClusters > 1; }

bool RoomForExtended(int32_t request, uint64_t freeToCaller) {
  // A negative request widens to a value above any real free space.
  return static_cast<uint64_t>(static_cast<int64_t>(request)) <= freeToCaller;
}

bool RoomForLegacy(int32_t request, uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                   uint32_t freeClusters) {
  uint32_t product = sectorsPerCluster * bytesPerSector * freeClusters;
  return product >= static_cast<uint32_t>(request);
}
