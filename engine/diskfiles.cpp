#include "diskfiles.h"

namespace engine {

bool FindLength(const DiskFiles& fs, const char* path, uint64_t* length) {
  DirEntry e;
  if (!fs.lookup(path, &e)) return false;
  *length = e.length;
  return true;
}

bool RemoveForced(const DiskFiles& fs, const char* path) {
  fs.setAttributes(path, kAttrNormal);
  return fs.remove(path);
}

void RemovePieceSet(const DiskFiles& fs, const char* dir, const char* prefix, int pieces) {
  char path[kPathBytes];
  for (int i = 0; i <= pieces; ++i) {
    if (pieceset::ComposePiecePath(path, sizeof(path), dir, prefix, i)) RemoveForced(fs, path);
  }
}

}  // namespace engine
