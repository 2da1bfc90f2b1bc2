// The location list behind the drive selector: one entry per drive, and below the current
// drive the chain of folders down to the current directory. Never holds more than
// kMaxLocations entries, however deep the chain would go.
#pragma once
#include "base/drive_rules.h"
#include "browser/rules/listrules.h"

namespace browser {

constexpr int kMaxLocations = 200;

struct Location {
  char text[kPathBytes];  // drive text such as "C:[SYSTEM]", or a folder's full path
  int indent;             // 0 for a drive, 1, 2, ... down the chain
};

struct LocationList {
  Location entry[kMaxLocations];
  int count;
};

// The entry text of drive letter of the given kind ("C:[label]" ...); false when the
// kind gets no entry. label is read for fixed drives only.
bool DriveEntryText(char* out, std::size_t cap, char letter, DriveKind kind, const char* label);

void ClearLocations(LocationList& l);
bool AppendDrive(LocationList& l, const char* text);

// The text shown for an entry: a drive's whole text, a folder's own name.
const char* ShownText(const Location& e, bool dbcs932);

// Entry to select at start-up: the drive whose root is startDir, else the drive that holds
// it; -1 when no drive does.
int StartEntry(const LocationList& l, const char* startDir);

// The last entry of the drive of path (its deepest chain entry, or the drive itself).
int DeepestEntryOfDrive(const LocationList& l, const char* path);

// True when one more chain entry fits.
bool HasRoomForFolder(const LocationList& l);

// folderPath has become the current directory, one level below the deepest entry of its
// drive: inserts it there. Returns its index, or -1 (no such drive, or the list is full).
int PushFolder(LocationList& l, const char* folderPath);

// The current directory has moved up from the deepest chain entry of its drive: removes
// that entry. Returns the removed index, or -1 when the drive has no chain.
int PopFolder(LocationList& l, const char* currentDir);

// Number of consecutive entries after s indented deeper than s (the chain below s).
int ChainBelow(const LocationList& l, int s);

// First entry with indent 1 (the start of the chain), or -1.
int ChainStart(const LocationList& l);

// Removes n entries from first on; the freed entries at the end are cleared.
void RemoveEntries(LocationList& l, int first, int n);

// The entry of currentDir: its chain entry, or for a root its drive. -1 when none.
int FindLocation(const LocationList& l, const char* currentDir, bool dbcs932);

}  // namespace browser
