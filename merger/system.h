// Rundelo's own look-ups of the system: program directory and drive queries.
#pragma once
#include <windows.h>

#include "base/oskind.h"

namespace rundelo {

// Directory of the running program, ending in a backslash, into out (cap bytes).
bool FindProgramDirectory(char* out, size_t cap);

bool IsFixedDrive(const char* root);
// Whether at least bytes are free for this process on the drive of root.
bool HasRoomFor(const char* root, unsigned long long bytes, OsKind kind);
bool IsNtfsVolume(const char* root);

}  // namespace rundelo
