// Portable rules of the file list and the folder chain: cell texts, name tests and icons.
// Paths are ANSI bytes; with dbcs932 the trail byte of a Shift-JIS character (which may be
// 0x5C or a letter) is never taken for a backslash or folded in case.
#pragma once
#include <cstddef>
#include "base/caltime.h"
#include "base/oskind.h"
#include "base/paths.h"

namespace browser {

constexpr int kMaxRows = 2000;

// File attribute bits as the system reports them.
enum : unsigned {
  kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrDirectory = 0x10,
  kAttrArchive = 0x20
};

// "R", "H", "S", "A" in that order for the bits set; out holds at least 5 bytes.
void AttributeLetters(unsigned attributes, char* out);

// "MM/DD/YYYY  hh:mm:ss", or with yearFirst "YYYY/MM/DD  hh:mm:ss". Returns false if
// it does not fit in cap (out is then empty).
bool FormatTimeText(char* out, std::size_t cap, const CalTime& t, bool yearFirst);

// The byte count right-aligned in at least ten characters.
bool FormatSizeText(char* out, std::size_t cap, unsigned long long size);

// "Recycled" or "Recycler", any case: shown as the recycle bin and never opened.
bool IsRecycleBinName(const char* name);

// Files whose icon is drawn from the file itself (programs, icons, cursors, shortcuts...): the
// shell is asked for each of them.
bool IconIsOwn(const char* name);
// The kind of a file for its icon: its extension, upper-cased ("" without one), into out; false
// when it does not fit (the file is then asked for on its own).
bool IconKind(const char* name, char* out, std::size_t cap, bool dbcs932);

// Whether a name from a listing could fail to be looked up again by itself: a trailing dot or
// blank (which the system drops) or a wildcard. Any other name looks up as it was listed.
bool MayNotLookUp(const char* name);

enum class FolderIcon { Folder, Open, RecycleXp, RecycleMe, Recycle9x, DocumentsMe, Documents9x };

// Icon of a folder row in the list: name is the folder's own name, fullPath its full path.
FolderIcon ListFolderIcon(const char* name, const char* fullPath, const char* documentsPath,
                          OsKind os, bool dbcs932);
// Icon of a folder entry of the chain that is not the current directory.
FolderIcon ChainFolderIcon(const char* path, const char* documentsPath, OsKind os, bool dbcs932);

}  // namespace browser
