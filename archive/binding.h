// The archiver libraries, bound when they are called: each call loads its library from the
// program's own folder, looks up the entry point and frees the library again, so that Tovra
// starts and runs without them.
#pragma once
#include <windows.h>

#include <cstdint>

#include "archive/archive_work.h"

namespace archive {

// Unlha from UNLHA32.DLL, Zip from ZIP32J.DLL (with IZIP32J.DLL loaded beside it) or UnZip from
// UNZIP32.DLL with the command text; 0 on success. A library or entry point that is not there
// counts as a failure of the tool.
int RunUnlha(HWND owner, const char* command);
int RunZip(HWND owner, const char* command);
int RunUnZip(HWND owner, const char* command);

// Lists the archive at path with the tool's library: open, find first, the total, find next
// until it ends, close. Every entry's name, size and kind are kept; a library or entry point
// that is not there leaves the listing unbound.
Listing ListArchive(HWND owner, Tool tool, const char* path);

// Whether the drive has room for bytes: HasRoomFor below 2 GiB, the 64-bit query above.
bool RoomFor(const char* root, uint64_t bytes);

}  // namespace archive
