#include "core.h"

#include <cstring>

#include "base/paths.h"

namespace rundelo {

std::size_t DirectoryLength(const char* path, bool dbcs932) {
  return static_cast<std::size_t>(LastBackslash(path, dbcs932) + 1);
}

bool ChooseProgramDirectory(const char* module, bool dbcs932, char* out, std::size_t cap) {
  if (cap) std::memset(out, 0, cap);
  std::size_t n = DirectoryLength(module, dbcs932);
  if (n == 0 || n >= cap) return false;
  std::memcpy(out, module, n);
  return true;
}

}  // namespace rundelo
