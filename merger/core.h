// Rundelo's decisions that need no window or file system: program directory and copy passes.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rundelo {

// Directory (ending in a backslash) of the running program into out (cap bytes). found is the
// search-path hit for the program's own name ("" if none), module the running module's path.
// The hit is used only when it names the running module; otherwise the module path is.
// Returns false when no directory can be taken from either.
bool ChooseProgramDirectory(const char* found, const char* module, bool dbcs932, char* out,
                            std::size_t cap);

// Offset just past the last backslash of path, skipping Shift-JIS trail bytes when dbcs932;
// 0 when there is none.
std::size_t DirectoryLength(const char* path, bool dbcs932);

// Bytes copied by pass i (0-based) of a piece of length bytes: full chunks, then the rest. A
// chunk holds the largest piece a division makes, so a piece moves in one read and one write.
constexpr std::uint32_t kChunkBytes = 1440000;
inline std::uint32_t PassCount(std::uint32_t length) { return length / kChunkBytes + 1; }
inline std::uint32_t PassBytes(std::uint32_t length, std::uint32_t i) {
  return i < length / kChunkBytes ? kChunkBytes : length % kChunkBytes;
}

}  // namespace rundelo
