// The Copy command's path rules and file work, without any window.
#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/diskfiles.h"

namespace fileops {

// The destination's form: "A:" (made "A:\" in place) or "A:\..." with a letter the system's
// test accepts; false for anything else (relative and network paths among them).
bool NormalizeDestination(char* text, std::size_t cap, bool (*isLetter)(char));
// Whether a destination longer than a root names an entry (one trailing backslash dropped).
bool DestinationExists(const engine::DiskFiles& fs, const char* text, bool dbcs932);
// The destination text, a backslash unless it ends in one, and the source's name.
bool DestinationPath(const char* text, const char* name, char* out, std::size_t cap, bool dbcs932);
// Whether the removable or RAM drive has the source's size plus 1000 bytes free.
bool FitsWithMargin(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters,
                    uint64_t size);

enum class CopyResult { Ok, CopyFailed, Differs, ReplaceFailed };

// Copies source to a temporary file beside dest, compares it with the source when verify is set,
// then puts it in dest's place with archive attributes only. A copy that fails or differs is
// removed and dest, if there was one, stays as it was.
CopyResult CopyReplacing(const engine::DiskFiles& fs, const char* source, const char* dest,
                         bool verify, bool dbcs932);

}  // namespace fileops
