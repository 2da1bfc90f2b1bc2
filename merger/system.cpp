#include "system.h"

#include <cstring>

#include "base/freespace.h"
#include "core.h"

namespace rundelo {

bool FindProgramDirectory(char* out, size_t cap) {
  // The whole path, up to the system's 259 characters: a folder too long for the merge is told
  // apart from none.
  char module[MAX_PATH + 1] = {0};
  DWORD m = GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (m == 0 || m >= MAX_PATH) module[0] = 0;
  return ChooseProgramDirectory(module, GetACP() == 932, out, cap);
}

bool IsFixedDrive(const char* root) { return GetDriveTypeA(root) == DRIVE_FIXED; }

bool HasRoomFor(const char* root, unsigned long long bytes, OsKind kind) {
  if (ExtendedFreeSpacePath(kind)) {
    uint64_t avail = 0, total = 0;
    FreeQuery q = QueryFreeBytes(root, &avail, &total);
    if (q == FreeQuery::Ok) return avail >= bytes;
    if (q == FreeQuery::Failed) return false;
  }
  // In 64 bits: the product overflows 32 bits on large volumes.
  ClusterCounts c;
  return QueryClusters(root, &c) &&
         static_cast<unsigned long long>(c.sectorsPerCluster) * c.bytesPerSector * c.freeClusters >=
             bytes;
}

bool IsNtfsVolume(const char* root) {
  char fs[128] = {0};
  if (!GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, fs, sizeof(fs))) return false;
  fs[sizeof(fs) - 1] = 0;
  CharUpperA(fs);
  return std::strstr(fs, "NTFS") != nullptr;
}

}  // namespace rundelo
