// Drive kinds and free-space decisions, kept apart from the system calls so they can be tested.
#pragma once
#include <cstdint>

// The program's own numbering: remote drives and RAM disks are swapped against the system's.
enum DriveKind : uint32_t {
  DriveUndetermined = 0,
  DriveNoRoot = 1,
  DriveRemovable = 2,
  DriveFixed = 3,
  DriveRamDisk = 4,
  DriveCdRom = 5,
  DriveRemote = 6,
};

// Maps a GetDriveTypeA result (0 to 6) to the program's kind; anything else is undetermined.
DriveKind DriveKindFromSystemType(uint32_t systemType);

// True when the upper-cased file-system name contains "NTFS".
bool IsNtfsName(const char* fsName);

// Cluster size assumed for a volume of totalBytes: mode 0 estimates it, other modes take 64 KiB.
uint64_t ClusterThreshold(int mode, uint64_t totalBytes);

// Extended path: more than one cluster free.
bool ClusterRoomExtended(int mode, uint64_t totalBytes, uint64_t freeToCaller);
// Legacy path: more than one free cluster, whatever the mode.
bool ClusterRoomLegacy(uint32_t freeClusters);

// Extended path: the signed request widened to 64 bits against the free bytes (unsigned).
bool RoomForExtended(int32_t request, uint64_t freeToCaller);
// Legacy path: the 32-bit product of the cluster counts, wrapping, against the request as unsigned.
bool RoomForLegacy(int32_t request, uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                   uint32_t freeClusters);
