// The Copy command's path rules and file work, without any window.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/diskfiles.h"

namespace fileops {

// The destination's form: "A:" (made "A:\" in place) or "A:\..." with a letter the system's
// test accepts; false for anything else (relative and network paths among them).
bool NormalizeDestination(char* text, std::size_t cap, bool (*isLetter)(char));
// The destination (from a drive root on) with its "." and ".." parts, and empty ones, worked out
// as the system works them out, so that it names its folder as that folder: "C:\DIR\.." and
// "C:\." become "C:\". In place.
void NameFolder(char* text, bool dbcs932);
// Whether a destination longer than a root names an entry (one trailing backslash dropped).
bool DestinationExists(const DiskFiles& fs, const char* text, bool dbcs932);
// The destination text, a backslash unless it ends in one, and the source's name.
bool DestinationPath(const char* text, const char* name, char* out, std::size_t cap, bool dbcs932);
// What the destination path is, judged by the files' identities and not by their names alone:
// the source itself, the running program's file, or another file (or none).
enum class DestinationIs { Other, TheSource, TheProgram };
DestinationIs JudgeDestination(const DiskFiles& fs, const char* source, const char* dest,
                               const char* programPath);
// Whether the removable or RAM drive has the source's size plus 1000 bytes free.
bool FitsWithMargin(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters,
                    uint64_t size);

enum class CopyResult {
  Ok,
  CopyFailed,     // nothing is left at the destination
  Differs,        // likewise
  ReplaceFailed,  // the file that was at dest is there as it was; the copy is removed
  OldAside,       // the copy is removed, and the file that was at dest could not be given its
                  // name back: it is at the path given back
  OldLeft,        // the copy is in place, but the file it replaced could not be deleted: it is
                  // at the path given back
  CopyLeft,       // the copy failed (or differed), and could not be deleted: it is at the path
                  // given back; a file that was at dest is there as it was
};

// A copy from a removable disk that may meet sectors it cannot read. ask is asked once, at the
// first read that fails, whether to copy what can be read; afterwards unreadBytes holds how many
// bytes of the copy are zeros in place of what could not be read.
struct UnreadableSectors {
  bool (*ask)(void* ctx);
  void* ctx;
  uint64_t unreadBytes;
};

// Copies source to a temporary file beside dest, compares it with the source when verify is set,
// then puts it in dest's place with archive attributes only: a file at dest is renamed aside
// first, and deleted once the copy stands under its name, or given its name back. No step
// loses that file or leaves a file under a temporary name without its path in left (kPathBytes).
// With unreadable given, a source that cannot be read to its end is copied again part by part
// when the user agrees: each part that fails is read again sector by sector, a sector tried three
// times, and what still fails is written as zeros; the comparison passes over those sectors.
// Declined, it fails as any copy does.
CopyResult CopyReplacing(const DiskFiles& fs, const char* source, const char* dest,
                         bool verify, bool dbcs932, char* left,
                         UnreadableSectors* unreadable = nullptr);

}  // namespace fileops
