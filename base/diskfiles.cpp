#include "diskfiles.h"

#include <cstdio>

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

namespace {

constexpr int kTemporaryNames = 1000;

bool TemporaryName(const char* dir, int k, char* path, std::size_t cap) {
  const int n = std::snprintf(path, cap, "%s~TVR%03d.TMP", dir, k);
  return n > 0 && static_cast<std::size_t>(n) < cap;
}

}  // namespace

bool FreeNameIn(const DiskFiles& fs, const char* dir, char* path, std::size_t cap) {
  DirEntry e;
  for (int k = 0; k < kTemporaryNames; ++k) {
    if (!TemporaryName(dir, k, path, cap)) return false;
    if (!fs.lookup(path, &e)) return true;
  }
  return false;
}

FileHandle CreateTemporaryIn(const DiskFiles& fs, const char* dir, char* path, std::size_t cap) {
  DirEntry e;
  for (int k = 0; k < kTemporaryNames; ++k) {
    if (!TemporaryName(dir, k, path, cap)) return kNoFile;
    const FileHandle f = fs.createNew(path);
    if (f != kNoFile) return f;
    // Only a taken name is worth another try: a folder that takes no file takes none of them.
    if (!fs.lookup(path, &e)) return kNoFile;
  }
  return kNoFile;
}

}  // namespace engine
