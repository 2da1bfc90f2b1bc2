// Rundelo's portable part: the program directory, and the merge of a set without a check line
// on the merge's file calls.
#pragma once
#include <cstddef>
#include <cstdint>

#include "checked_merge.h"

namespace rundelo {

// Directory (ending in a backslash) of the running module's path module into out (cap bytes),
// cleared first; false when none can be taken from it. The program file's own path, not a
// search for its name, which would miss a copy stored under another name.
bool ChooseProgramDirectory(const char* module, bool dbcs932, char* out, std::size_t cap);

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

enum class Appended { Ok, CannotOpen, SizeDiffers };

// Appends pieces 1 to count of the set in s whole to out, each by its length as the folder's
// reading found it (s->pieces, 64 bits), in passes of kChunkBytes through the first piece held,
// for size bytes in all. A piece that cannot be opened is CannotOpen; one longer than what is
// left of size, one that reads short and a write that fails (a full disk) are SizeDiffers.
Appended AppendPieces(pieceset::MergeSession* s, FileHandle out, long size, int count);

}  // namespace rundelo
