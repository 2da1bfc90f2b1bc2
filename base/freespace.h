// The two ways of asking a drive for its free space (Windows only). What counts as room is the
// caller's rule.
#pragma once
#include <cstdint>

#include "base/oskind.h"

// Whether this system takes the extended query: every kind but Win95, and Win95 from OSR2 on.
bool ExtendedFreeSpacePath(OsKind kind);

enum class FreeQuery { Ok, Failed, Missing };
// The 64-bit query, looked up at run time in KERNEL32.DLL since the oldest
// systems lack it: Missing when it is not there, Failed when the drive does not answer.
FreeQuery QueryFreeBytes(const char* root, uint64_t* freeToCaller, uint64_t* total);

struct ClusterCounts {
  uint32_t sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
};
// The legacy query; false when the drive does not answer.
bool QueryClusters(const char* root, ClusterCounts* c);
