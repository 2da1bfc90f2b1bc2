#include "fileops/rename_work.h"

#include <cstring>

#include "base/paths.h"
#include "base/text.h"

namespace fileops {

int RenameLimit(const char* fullPath, const char* name) {
  return 249 - static_cast<int>(std::strlen(fullPath)) + static_cast<int>(std::strlen(name));
}

bool IsAcceptableNewName(const char* newName, bool dbcs932) {
  if (!newName[0]) return false;
  for (std::size_t i = 0; newName[i]; ++i) {
    if (dbcs932 && IsLeadByte932(static_cast<unsigned char>(newName[i])) && newName[i + 1]) {
      ++i;
      continue;
    }
    if (newName[i] == ':' || newName[i] == '\\' || newName[i] == '/') return false;
  }
  return true;
}

bool NewPathOf(const char* fullPath, const char* name, const char* newName, char* out,
               std::size_t cap) {
  if (cap == 0) return false;
  std::memset(out, 0, cap);
  const std::size_t full = std::strlen(fullPath), own = std::strlen(name);
  if (own > full) return false;
  const std::size_t dir = full - own;
  if (dir >= cap) return false;
  std::memcpy(out, fullPath, dir);
  if (dir == 0 || out[dir - 1] != '\\') {
    if (dir + 1 >= cap) return false;
    out[dir] = '\\';
  }
  const std::size_t used = std::strlen(out);
  if (used + std::strlen(newName) >= cap) {
    std::memset(out, 0, cap);
    return false;
  }
  std::memcpy(out + used, newName, std::strlen(newName) + 1);
  return true;
}

bool RenameKeepingAttributes(const DiskFiles& fs, const char* from, const char* to) {
  const uint32_t attributes = fs.getAttributes(from);
  fs.setAttributes(from, kAttrNormal);
  const bool renamed = fs.rename(from, to);
  if (attributes != kNoAttributes) fs.setAttributes(renamed ? to : from, attributes);
  return renamed;
}

}  // namespace fileops
