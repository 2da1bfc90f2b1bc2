#include "fileops/makedir_work.h"

#include <cstring>

#include "base/paths.h"

namespace fileops {

bool IsDirectoryPathForm(const char* text, bool (*isLetter)(char)) {
  return std::strlen(text) > 3 && isLetter(text[0]) && text[1] == ':' && text[2] == '\\';
}

void DropTrailingBackslash(char* text, bool dbcs932) {
  const std::size_t n = std::strlen(text);
  if (n && LastBackslash(text, dbcs932) == static_cast<int>(n) - 1) text[n - 1] = 0;
}

static bool ParentOf(const char* path, char* out, std::size_t cap, bool dbcs932) {
  if (cap == 0) return false;
  std::memset(out, 0, cap);
  const int last = LastBackslash(path, dbcs932);
  if (last < 0 || static_cast<std::size_t>(last) >= cap) return false;
  std::memcpy(out, path, static_cast<std::size_t>(last));
  return true;
}

bool ParentToTest(const char* path, char* out, std::size_t cap, bool dbcs932) {
  if (CountBackslashes(path, dbcs932) < 2) return false;
  return ParentOf(path, out, cap, dbcs932);
}

void ListedParent(const char* path, char* out, std::size_t cap, bool dbcs932) {
  ParentOf(path, out, cap, dbcs932);
  if (std::strlen(out) < 3 && std::strlen(out) + 1 < cap) std::strcat(out, "\\");
}

MakeDirResult MakeDirectory(const DiskFiles& fs, const char* path, bool dbcs932) {
  char parent[kPathBytes];
  DirEntry e;
  if (ParentToTest(path, parent, sizeof parent, dbcs932) && !fs.lookup(parent, &e))
    return MakeDirResult::NoParent;
  if (fs.lookup(path, &e)) return MakeDirResult::Exists;
  return fs.makeDir(path) ? MakeDirResult::Ok : MakeDirResult::CreateFailed;
}

}  // namespace fileops
