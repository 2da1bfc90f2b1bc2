// The few file-system calls the archive operations need, for Windows and POSIX.
#pragma once
#include <cstdint>
#include <cstdio>
#include "buf.h"

namespace arc {

struct PathInfo {
  bool exists = false;
  bool isDir = false;
  bool readOnly = false;
  uint64_t size = 0;
  int64_t mtime = 0;  // seconds since 1970, UTC
};

PathInfo StatPath(const char* path);
inline PathInfo StatPath(const Str& path) { return StatPath(path.c_str()); }
FILE* OpenForRead(const Str& path);
// Creates a new, empty file with a fresh name in the folder of `target`, the name in *name;
// writing there and renaming afterwards leaves the old file whole on failure. Asks for no
// memory when *name has room for the folder and 13 bytes more; creates nothing when it ran out.
FILE* CreateTempBeside(const Str& target, Str* name);

// How replacing `target` with the finished temporary file ended.
enum class Replaced {
  kYes,
  kNo,          // the old file, if any, is whole; the temporary file may go
  kOnlyInTemp,  // the old file is gone and the new content lives only in the temporary file
};
// The calls a replacement is made of; each returns true on success.
struct ReplaceCalls {
  bool (*moveOver)(const char* from, const char* to);  // replaces in one step; fails on the 9x family
  bool (*remove)(const char* path);
  bool (*move)(const char* from, const char* to);      // needs `to` to be absent
};
// Moves over the target in one step, or else removes it and moves the new file in.
Replaced ReplaceVia(const ReplaceCalls& calls, const Str& temp, const Str& target);
Replaced ReplaceWith(const Str& temp, const Str& target);
bool RemoveFile(const Str& path);
bool MakeDir(const char* path);
bool SetMTime(const Str& path, int64_t mtime);
char PathSeparator();
// True when `c` starts a two-byte character in the system's code page.
bool SystemLeadByte(unsigned char c);

}  // namespace arc
