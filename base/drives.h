// Questions about the drive that holds a path. Every query takes a root such as "A:\".
// None shows a message; callers report.
#pragma once
#include "base/drive_rules.h"
#include "base/freespace.h"

DriveKind GetDriveKind(const char* root);
// Whether the volume's file system is NTFS; false when the volume does not answer.
bool IsNtfsVolume(const char* root);
// 1 when the volume has room for more than one cluster. Mode 0 estimates the cluster size from
// the volume size (floppies, RAM disks); other modes assume 64 KiB.
int HasClusterRoom(const char* root, int mode);
// 1 when at least bytes are free for the caller. On the extended path a request of 2 GiB or
// more never fits.
// A drive whose free space cannot be asked (no medium, no such drive, no extended query
// function) counts as full.
int HasRoomFor(const char* root, long bytes);

// The free-space questions HasClusterRoom and HasRoomFor ask: the system's by default, a model
// drive's in tests.
struct SpaceQueries {
  bool (*extendedPath)(OsKind kind);
  FreeQuery (*freeBytes)(const char* root, uint64_t* freeToCaller, uint64_t* total);
  bool (*clusters)(const char* root, ClusterCounts* c);
};
extern const SpaceQueries* g_spaceQueries;
