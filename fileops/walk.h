// The walks of the file commands: a folder's entries taken whole before anything in it changes,
// names that begin with a full stop passed over.
#pragma once
#include <string>
#include <vector>

#include "engine/diskfiles.h"

namespace fileops {

// dir (no trailing backslash unless it is a root such as "C:\") and a name in it.
std::string JoinPath(const std::string& dir, const char* name);
// dir without a trailing backslash, a root kept as it is.
std::string WithoutTrailingBackslash(const char* dir);

struct Listing {
  bool opened;                          // the folder exists
  bool dotNames;                        // it holds names beginning with a full stop
  std::vector<engine::DirEntry> entries;  // all the others
};
Listing ListFolder(const engine::DiskFiles& fs, const std::string& dir);

}  // namespace fileops
