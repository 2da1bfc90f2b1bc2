// Folders and volumes as the commands need them.
#pragma once
#include <cstdint>
#include <string>

namespace cli {

// The folder of a path ("." for a bare name) and its last part.
std::string FolderOf(const std::string& path);
std::string LastPart(const std::string& path);
// path ending in a '/', as the engine joins names to it.
std::string AsFolder(const std::string& path);

bool IsFolder(const std::string& path);
// Whether a file system is mounted at the folder (its own root is one).
bool IsMountPoint(const std::string& path);
// Both name the same folder or file.
bool SameFile(const std::string& a, const std::string& b);
// Bytes free to this user on the volume of path; -1 when it does not answer.
int64_t FreeBytes(const std::string& path);
// Whether the volume of path keeps times to two seconds (FAT).
bool TwoSecondTimes(const std::string& path);

}  // namespace cli
