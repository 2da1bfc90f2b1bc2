// The file work of the Delete command, without any window: the self-protection scan and the
// complete deletion of a file or a tree on the file seam.
#pragma once
#include <cstdint>

#include "base/diskfiles.h"
#include "fileops/wipe.h"

namespace fileops {

// True when the program's own executable (programPath, under that name or any other of it)
// lies anywhere in the tree of dir (ending in a backslash).
bool TreeHoldsProgram(const DiskFiles& fs, const char* dir, const char* programPath);

// What a complete deletion could not do: how many files and folders stayed against the user's
// wish, and the first of them.
struct WipeReport {
  int failures;
  char first[kPathBytes];
};

struct WipeJob {
  const DiskFiles* fs;
  const char* programPath;  // passed over, never changed
  WipeGenerator* generator;
  ClockReader clock;
};

// Overwrites one file four times, gives it a name of the same length made of one repeated
// character and deletes it. A file that cannot be overwritten keeps its name and attributes and
// stays; so does one that cannot be deleted. Failures go into report.
void WipeFile(const WipeJob& job, const char* path, WipeReport* report);

// Wipes every file of the tree of dir (no trailing backslash) and removes the emptied folders.
// Names beginning with a full stop and the program's own file are kept, and so are the folders
// that hold them; nothing else that stays goes unreported.
void WipeTree(const WipeJob& job, const char* dir, WipeReport* report);

}  // namespace fileops
