// The rules of Compress and Decompress without any window: the names and command texts the
// archiver libraries are given, and what a listing of an archive allows before anything is
// extracted. Shift-JIS aware when dbcs932: a trail byte is never a separator, a full stop or a
// letter.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/diskfiles.h"

namespace archive {

enum class Tool { Lha, Zip };

// The full path of an archiver library: beside the program, never searched for elsewhere.
// False when it does not fit out (cap bytes).
bool LibraryPath(const char* programPath, const char* library, bool dbcs932, char* out,
                 std::size_t cap);

// ---- Compress ----

// Names go into command texts as the libraries read them: a name with a blank in double
// quotes, and "-- " before a first name that begins with a dash, which would read as a
// switch. Other names go in as they are.
struct CompressNames {
  char stem[258];     // the source name up to its first full stop
  char archive[258];  // stem + ".lzh", ".LZH", ".zip" or ".ZIP"
  char command[512];  // "a STEM NAME" (LHA) or "STEM.zip NAME" (ZIP)
};

// Whether the archive gets a lower-case extension: the last single-byte letter of the name (by
// isLetter) is lower case (by isLower). No letter at all gives upper case.
bool LowerExtension(const char* name, bool dbcs932, bool (*isLetter)(char), bool (*isLower)(char));
// False when a name does not fit its buffer.
bool NameCompression(Tool tool, const char* source, bool lower, CompressNames* out);

// ---- Decompress ----

// LHA when the name holds ".lzh" or ".LZH", ZIP when it holds ".zip" or ".ZIP" (which wins);
// else current.
Tool ToolOfName(const char* name, Tool current, bool dbcs932);

struct DecompressNames {
  char path[258];     // the archive's full path
  char dir[258];      // its folder, ending in a backslash
  char stem[258];     // its name without the last four characters
  char command[260];  // "e STEM" (LHA) or "STEM" (ZIP)
};
// The archive is the selected file, or after a merge the merged name beside the selected FILE-0.
bool NameDecompression(Tool tool, const char* selectedPath, const char* selectedName,
                       const char* mergedName, bool dbcs932, DecompressNames* out);

struct ListedEntry {
  std::string name;  // as the library lists it
  uint32_t size;
  bool folder;       // a folder entry: name ends in a separator, or LHA method -lhd-
};
// The entry of one listing record: its name, original size and method text (8 bytes, not
// always terminated).
ListedEntry EntryOfRecord(const char* name, uint32_t size, const char* method, bool dbcs932);

// What the listing loop saw: open, find first, the library's total, find next until it ends.
struct Listing {
  bool bound = false;  // the library and its entry points were there
  bool opened = false;
  int firstResult = -1;  // 0 found, -1 no entry, other: an error
  int endResult = -1;    // the find next that ended the loop: -1, or an error
  uint32_t libraryTotal = 0;
  std::vector<ListedEntry> entries;
};

enum class Verdict { Ok, NoTool, Unreadable, LeavesFolder, DeviceName };
// NoTool: the library or one of its entry points is missing; Unreadable: not opened, no entry,
// or an error on the way; LeavesFolder: a name with a part of dots (and spaces) that the system
// would take for ".."; DeviceName: a name with a part the system takes for a device (CON,
// PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CLOCK$, CONIN$, CONOUT$) in any case, with or
// without an extension, and with the spaces and stops the system drops from its end.
Verdict JudgeListing(const Listing& listing, bool dbcs932);

// The room extraction asks for: the entries' sizes added in 64 bits (never less than the
// library's own 32-bit total), plus the 1000-byte margin.
uint64_t SpaceNeeded(const Listing& listing);

// Where an entry lands in the archive's folder, relative to it: LHA drops stored folders, ZIP
// keeps them (a drive and leading separators dropped, "." parts skipped, '\' between parts).
// Empty for an entry that writes no file (folders, and names with nothing left).
std::string TargetName(Tool tool, const ListedEntry& entry, bool dbcs932);
// The first entry, in listing order, whose target is already there; empty when none is.
std::string FirstExistingTarget(const DiskFiles& fs, const char* dir, Tool tool,
                                const Listing& listing, bool dbcs932);
// The first entry, in listing order, whose target is the file at path under that name or any
// other of it; empty when none is.
std::string TargetThatIs(const DiskFiles& fs, const char* dir, Tool tool, const Listing& listing,
                         bool dbcs932, const char* path);
// The row of the file list that shows the first entry: the first part of its target.
std::string FirstShownName(Tool tool, const Listing& listing, bool dbcs932);

}  // namespace archive
