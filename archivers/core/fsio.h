// The few file-system calls the archive operations need, for Windows and POSIX.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace arc {

struct PathInfo {
  bool exists = false;
  bool isDir = false;
  bool readOnly = false;
  uint64_t size = 0;
  int64_t mtime = 0;  // seconds since 1970, UTC
};

PathInfo StatPath(const std::string& path);
FILE* OpenForRead(const std::string& path);
// Creates a new, empty file with a fresh name in `dir` ("" = current directory);
// writing there and renaming afterwards leaves the old file whole on failure.
FILE* CreateTempIn(const std::string& dir, std::string* name);
bool ReplaceWith(const std::string& temp, const std::string& target);
bool RemoveFile(const std::string& path);
bool MakeDir(const std::string& path);
bool SetMTime(const std::string& path, int64_t mtime);
char PathSeparator();
// True when `c` starts a two-byte character in the system's code page.
bool SystemLeadByte(unsigned char c);

}  // namespace arc
