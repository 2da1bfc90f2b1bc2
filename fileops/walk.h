// The walks of the file commands: a folder's entries taken whole before anything in it changes,
// names that begin with a full stop passed over, links to elsewhere never entered.
#pragma once
#include <string>
#include <vector>

#include "base/diskfiles.h"

namespace fileops {

// dir (no trailing backslash unless it is a root such as "C:\") and a name in it.
std::string JoinPath(const std::string& dir, const char* name);
// dir without a trailing backslash, a root kept as it is.
std::string WithoutTrailingBackslash(const char* dir);

// An entry that leads elsewhere (a junction or a symbolic link, as the system marks them): what
// lies behind it is not part of the tree it sits in.
bool IsLink(const DirEntry& e);

struct Listing {
  bool opened;    // the folder exists
  bool isLink;    // dir itself leads elsewhere: nothing is listed
  bool dotNames;  // it holds names beginning with a full stop
  std::vector<DirEntry> entries;  // all the others but the links
  std::vector<DirEntry> links;    // for a walk to leave alone, or to remove as they are
};
Listing ListFolder(const DiskFiles& fs, const std::string& dir);

// Removes a link itself, never what it leads to; false when it stays.
bool RemoveLink(const DiskFiles& fs, const std::string& path, const DirEntry& e);

}  // namespace fileops
