#include "fileops/copy_work.h"

#include <cstring>

#include "base/paths.h"
#include "base/text.h"
#include "engine/distribute_work.h"

namespace fileops {

bool NormalizeDestination(char* text, std::size_t cap, bool (*isLetter)(char)) {
  const std::size_t n = std::strlen(text);
  if (n < 2 || !isLetter(text[0]) || text[1] != ':') return false;
  if (n == 2) {
    if (cap < 4) return false;
    text[2] = '\\';
    text[3] = 0;
    return true;
  }
  return text[2] == '\\';
}

bool DestinationExists(const engine::DiskFiles& fs, const char* text, bool dbcs932) {
  if (std::strlen(text) <= 3) return true;
  char dir[kPathBytes];
  CopyBounded(dir, sizeof dir, text);
  const std::size_t n = std::strlen(dir);
  if (LastBackslash(dir, dbcs932) == static_cast<int>(n) - 1) dir[n - 1] = 0;
  engine::DirEntry e;
  return fs.lookup(dir, &e);
}

bool DestinationPath(const char* text, const char* name, char* out, std::size_t cap, bool dbcs932) {
  if (!MakeDirectoryPrefix(out, cap, text, dbcs932) || std::strlen(out) + std::strlen(name) >= cap)
    return false;
  std::strcat(out, name);
  return true;
}

bool FitsWithMargin(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters,
                    uint64_t size) {
  const uint64_t free = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector * freeClusters;
  return free >= size + 1000;
}

CopyResult CopyReplacing(const engine::DiskFiles& fs, const char* source, const char* dest,
                         bool verify, bool dbcs932, char* left) {
  std::memset(left, 0, kPathBytes);
  char dir[kPathBytes];
  char temp[kPathBytes];
  if (!DirectoryOf(dest, dir, sizeof dir, dbcs932) || !engine::FreeNameIn(fs, dir, temp, sizeof temp)) {
    return CopyResult::CopyFailed;
  }
  if (!fs.copy(source, temp)) {
    engine::RemoveForced(fs, temp);
    return CopyResult::CopyFailed;
  }
  // The copy takes archive attributes only, so that a read-only source makes no read-only copy.
  fs.setAttributes(temp, engine::kAttrArchive);
  if (verify && !engine::FilesEqual(fs, source, temp)) {
    engine::RemoveForced(fs, temp);
    return CopyResult::Differs;
  }
  engine::DirEntry e;
  if (!fs.lookup(dest, &e)) {
    if (fs.rename(temp, dest)) return CopyResult::Ok;
    engine::RemoveForced(fs, temp);
    return CopyResult::CopyFailed;
  }
  // A folder of the file's name is never moved: a copy does not replace it.
  char aside[kPathBytes];
  if ((e.attributes & engine::kAttrDirectory) || !engine::FreeNameIn(fs, dir, aside, sizeof aside) ||
      !fs.rename(dest, aside)) {
    engine::RemoveForced(fs, temp);
    return CopyResult::ReplaceFailed;
  }
  if (!fs.rename(temp, dest)) {
    engine::RemoveForced(fs, temp);
    if (fs.rename(aside, dest)) return CopyResult::ReplaceFailed;
    CopyBounded(left, kPathBytes, aside);
    return CopyResult::OldAside;
  }
  const uint32_t attributes = fs.getAttributes(aside);
  if (engine::RemoveForced(fs, aside)) return CopyResult::Ok;
  if (attributes != engine::kNoAttributes) fs.setAttributes(aside, attributes);
  CopyBounded(left, kPathBytes, aside);
  return CopyResult::OldLeft;
}

}  // namespace fileops
