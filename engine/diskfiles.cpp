#include "diskfiles.h"

namespace engine {

bool RemoveForced(const DiskFiles& fs, const char* path) {
  fs.setAttributes(path, kAttrNormal);
  return fs.remove(path);
}

void RemovePieceSet(const DiskFiles& fs, const char* dir, const char* prefix, int pieces) {
  char path[pieceset::kPathBytes];
  for (int i = 0; i <= pieces; ++i) {
    if (pieceset::ComposePiecePath(path, sizeof(path), dir, prefix, i)) RemoveForced(fs, path);
  }
}

}  // namespace engine
