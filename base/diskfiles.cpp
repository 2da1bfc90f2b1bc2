#include "base/diskfiles.h"

#include <cstdio>
#include <cstring>

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

bool SameFile(const DiskFiles& fs, const char* a, const char* b) {
  if (fs.sameName(a, b)) return true;
  FileId ia, ib;
  return fs.identify(a, &ia) && fs.identify(b, &ib) && ia == ib;
}

KnownFile KnowFile(const DiskFiles& fs, const char* path) {
  KnownFile k{path, 0, false, {}};
  DirEntry e;
  if (fs.lookup(path, &e) && fs.identify(path, &k.id)) {
    k.length = e.length;
    k.identified = true;
  }
  return k;
}

bool IsKnownFile(const DiskFiles& fs, const KnownFile& file, const char* path, const DirEntry& e) {
  if (fs.sameName(path, file.path)) return true;
  FileId id;
  return file.identified && e.length == file.length && fs.identify(path, &id) && id == file.id;
}

bool FilesEqual(const DiskFiles& fs, const char* a, const char* b) {
  FileHandle fa = fs.openRead(a);
  if (fa == kNoFile) return false;
  FileHandle fb = fs.openRead(b);
  if (fb == kNoFile) {
    fs.close(fa);
    return false;
  }
  constexpr long kCompareBytes = 10000;
  static char bufA[kCompareBytes], bufB[kCompareBytes];
  bool same = true;
  for (;;) {
    long ga = fs.read(fa, bufA, kCompareBytes);
    long gb = fs.read(fb, bufB, kCompareBytes);
    if (ga < 0 || gb < 0 || ga != gb || std::memcmp(bufA, bufB, static_cast<std::size_t>(ga)) != 0) {
      same = false;
      break;
    }
    if (ga == 0) break;
  }
  fs.close(fa);
  fs.close(fb);
  return same;
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
