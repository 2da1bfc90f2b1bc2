// The Rename command's checks and file work, without any window.
#pragma once
#include <cstddef>

#include "base/diskfiles.h"

namespace fileops {

// The text limit of the new name: 249 - length of the full path + length of the name.
int RenameLimit(const char* fullPath, const char* name);
// A new name must not be empty nor hold a colon or a path separator (Shift-JIS trail bytes
// aside): the system takes "/" for "\" too, and "../x" would move the entry instead.
bool IsAcceptableNewName(const char* newName, bool dbcs932);
// The target's directory part (its full path without the name), a backslash unless it ends in
// one, and the new name, into out (cap bytes); false when it does not fit.
bool NewPathOf(const char* fullPath, const char* name, const char* newName, char* out,
               std::size_t cap);

// Renames with normal attributes and gives the entry its attributes back, under the new name
// or, when the rename fails, under the old one.
bool RenameKeepingAttributes(const DiskFiles& fs, const char* from, const char* to);

}  // namespace fileops
