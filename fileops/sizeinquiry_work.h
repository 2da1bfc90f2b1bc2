// The size inquiry's walk, without any window.
#pragma once
#include <cstdint>

#include "base/diskfiles.h"

namespace fileops {

// Counted in 64 bits: trees of 4 GiB and more show their true sum.
struct TreeSize {
  uint64_t bytes, files, folders;
};

// Adds up every file and folder below dir, names beginning with a full stop passed over with
// everything below them; dir itself is not counted.
void AddUpTree(const DiskFiles& fs, const char* dir, TreeSize* size);

}  // namespace fileops
