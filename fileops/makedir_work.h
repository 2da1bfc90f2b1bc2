// The Make directory command's path rules and file work, without any window.
#pragma once
#include <cstddef>

#include "base/diskfiles.h"

namespace fileops {

// Longer than 3 characters and starting with a letter, a colon and a backslash: a path from a
// drive root, the root alone excluded. isLetter is the system's letter test.
bool IsDirectoryPathForm(const char* text, bool (*isLetter)(char));
// Drops one trailing backslash, a real one, not the second byte of a Shift-JIS character.
void DropTrailingBackslash(char* text, bool dbcs932);
// The path without its last component into out (cap bytes); false when the path has only one
// backslash (a folder directly under a root, whose parent is not tested).
bool ParentToTest(const char* path, char* out, std::size_t cap, bool dbcs932);
// The parent as the file list would name it: "C:" becomes "C:\".
void ListedParent(const char* path, char* out, std::size_t cap, bool dbcs932);

enum class MakeDirResult { Ok, NoParent, Exists, CreateFailed };
MakeDirResult MakeDirectory(const DiskFiles& fs, const char* path, bool dbcs932);

}  // namespace fileops
