#include "browser/rules/locations.h"

#include <cstdio>
#include <cstring>

#include "base/text.h"

namespace browser {

static char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool DriveEntryText(char* out, std::size_t cap, char letter, DriveKind kind, const char* label) {
  const char* tail = nullptr;
  char labelled[40];
  switch (kind) {
    case DriveRemovable: tail = "[REMOVABLE-DRIVE]"; break;
    case DriveFixed:
      if (label && label[0]) {
        std::snprintf(labelled, sizeof labelled, "[%.32s]", label);
        tail = labelled;
      } else {
        tail = "[FIXED-DRIVE]";
      }
      break;
    case DriveRamDisk: tail = "[RAM-DRIVE]"; break;
    case DriveCdRom: tail = "[CD-ROM]"; break;
    case DriveRemote: tail = "[NETWORK-DRIVE]"; break;
    default: return false;
  }
  int n = std::snprintf(out, cap, "%c:%s", Upper(letter), tail);
  return n > 0 && static_cast<std::size_t>(n) < cap;
}

void ClearLocations(LocationList& l) { std::memset(&l, 0, sizeof l); }

bool AppendDrive(LocationList& l, const char* text) {
  if (l.count >= kMaxLocations) return false;
  Location& e = l.entry[l.count++];
  CopyBounded(e.text, sizeof e.text, text);
  e.indent = 0;
  return true;
}

const char* ShownText(const Location& e, bool dbcs932) {
  if (e.indent == 0) return e.text;
  int k = LastBackslash(e.text, dbcs932);
  return e.text + k + 1;
}

// Entries always begin with their drive letter and colon.
static bool SameDrive(const char* text, const char* path) {
  return path[0] && path[1] == ':' && text[1] == ':' && Upper(text[0]) == Upper(path[0]);
}

int StartEntry(const LocationList& l, const char* startDir) {
  for (int i = 0; i < l.count; ++i)
    if (l.entry[i].indent == 0 && SameDrive(l.entry[i].text, startDir)) return i;
  return -1;
}

int DeepestEntryOfDrive(const LocationList& l, const char* path) {
  for (int i = l.count - 1; i >= 0; --i)
    if (SameDrive(l.entry[i].text, path)) return i;
  return -1;
}

bool HasRoomForFolder(const LocationList& l) { return l.count < kMaxLocations; }

int PushFolder(LocationList& l, const char* folderPath) {
  int p = DeepestEntryOfDrive(l, folderPath);
  if (p < 0 || !HasRoomForFolder(l)) return -1;
  std::memmove(&l.entry[p + 2], &l.entry[p + 1], sizeof(Location) * (l.count - p - 1));
  Location& e = l.entry[p + 1];
  std::memset(&e, 0, sizeof e);
  UpperDriveLetter(e.text, sizeof e.text, folderPath);
  e.indent = l.entry[p].indent + 1;
  ++l.count;
  return p + 1;
}

void RemoveEntries(LocationList& l, int first, int n) {
  if (first < 0 || n <= 0 || first >= l.count) return;
  if (n > l.count - first) n = l.count - first;
  std::memmove(&l.entry[first], &l.entry[first + n], sizeof(Location) * (l.count - first - n));
  std::memset(&l.entry[l.count - n], 0, sizeof(Location) * n);
  l.count -= n;
}

int PopFolder(LocationList& l, const char* currentDir) {
  int q = DeepestEntryOfDrive(l, currentDir);
  if (q < 0 || l.entry[q].indent == 0) return -1;
  RemoveEntries(l, q, 1);
  return q;
}

int ChainBelow(const LocationList& l, int s) {
  if (s < 0 || s >= l.count) return 0;
  int n = 0;
  while (s + 1 + n < l.count && l.entry[s + 1 + n].indent > l.entry[s].indent) ++n;
  return n;
}

int ChainStart(const LocationList& l) {
  for (int i = 0; i < l.count; ++i)
    if (l.entry[i].indent == 1) return i;
  return -1;
}

int FindLocation(const LocationList& l, const char* currentDir, bool dbcs932) {
  if (std::strlen(currentDir) > 3) {
    char norm[kPathBytes];
    UpperDriveLetter(norm, sizeof norm, currentDir);
    for (int i = l.count - 1; i >= 0; --i)
      if (l.entry[i].indent > 0 && EqualNoCase(l.entry[i].text, norm, dbcs932)) return i;
    return -1;
  }
  for (int i = 0; i < l.count; ++i)
    if (l.entry[i].indent == 0 && SameDrive(l.entry[i].text, currentDir)) return i;
  return -1;
}

}  // namespace browser
