#include "fileops/copy_work.h"

#include <cstdio>
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

// A name in dest's folder that nothing has yet.
static bool TemporaryBeside(const engine::DiskFiles& fs, const char* dest, char* out,
                            std::size_t cap, bool dbcs932) {
  char dir[kPathBytes];
  if (!DirectoryOf(dest, dir, sizeof dir, dbcs932)) return false;
  for (int k = 0; k < 1000; ++k) {
    engine::DirEntry e;
    int n = std::snprintf(out, cap, "%s~TVR%03d.TMP", dir, k);
    if (n > 0 && static_cast<std::size_t>(n) < cap && !fs.lookup(out, &e)) return true;
  }
  return false;
}

CopyResult CopyReplacing(const engine::DiskFiles& fs, const char* source, const char* dest,
                         bool verify, bool dbcs932) {
  char temp[kPathBytes];
  if (!TemporaryBeside(fs, dest, temp, sizeof temp, dbcs932)) return CopyResult::CopyFailed;
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
  if (fs.lookup(dest, &e) && !engine::RemoveForced(fs, dest)) {
    engine::RemoveForced(fs, temp);
    return CopyResult::ReplaceFailed;
  }
  if (!fs.rename(temp, dest)) return CopyResult::ReplaceFailed;
  fs.setAttributes(dest, engine::kAttrArchive);
  return CopyResult::Ok;
}

}  // namespace fileops
