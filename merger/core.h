// Rundelo's decisions that need no window or file system: OS kind, free-space path,
// program directory, copy passes and message composition.
#pragma once
#include <cstddef>
#include <cstdint>

namespace rundelo {

enum OsKind { Win95, Win98, WinMe, WinNt4, Win2000, WinNtLater };

// ntVersion: "CurrentVersion" of the NT key, or nullptr when the key or value could not be
// read; productName: "ProductName" of the other key, or nullptr.
OsKind OsKindFromRegistry(const char* ntVersion, const char* productName);

// Whether free space is asked with the 64-bit query; platformId and build come from
// GetVersionExA and matter only for Win95.
bool UsesExtendedFreeSpace(OsKind kind, unsigned long platformId, unsigned long build);

// Directory (ending in a backslash) of the running program into out (cap bytes). found is the
// search-path hit for the program's own name ("" if none), module the running module's path.
// The hit is used only when it names the running module; otherwise the module path is.
// Returns false when no directory can be taken from either.
bool ChooseProgramDirectory(const char* found, const char* module, bool dbcs932, char* out,
                            std::size_t cap);

// Offset just past the last path separator of path, skipping Shift-JIS trail bytes when
// dbcs932; 0 when there is none.
std::size_t DirectoryLength(const char* path, bool dbcs932);

// Bytes copied by pass i (0-based) of a piece of length bytes: full chunks, then the rest.
constexpr std::uint32_t kChunkBytes = 32000;
inline std::uint32_t PassCount(std::uint32_t length) { return length / kChunkBytes + 1; }
inline std::uint32_t PassBytes(std::uint32_t length, std::uint32_t i) {
  return i < length / kChunkBytes ? kChunkBytes : length % kChunkBytes;
}

// Appends text to the zero-terminated contents of out (cap bytes), cutting it where it would
// not fit without splitting a Shift-JIS character when dbcs932.
void AppendText(char* out, std::size_t cap, const char* text, bool dbcs932);
// Appends a non-negative decimal number.
void AppendNumber(char* out, std::size_t cap, long value);

// True when the first path names the same file as the second by the case-insensitive rule of
// the file system (ASCII letters only; Shift-JIS double bytes compared as they are).
bool SamePath(const char* a, const char* b, bool dbcs932);

// Shift-JIS lead byte.
inline bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

}  // namespace rundelo
