#include "fileops/walk.h"

#include "base/paths.h"

namespace fileops {

std::string JoinPath(const std::string& dir, const char* name) {
  return !dir.empty() && dir.back() == '\\' ? dir + name : dir + "\\" + name;
}

std::string WithoutTrailingBackslash(const char* dir) {
  std::string d(dir);
  if (d.size() > 3 && d.back() == '\\') d.pop_back();
  return d;
}

bool IsLink(const DirEntry& e) { return (e.attributes & kAttrReparsePoint) != 0; }

Listing ListFolder(const DiskFiles& fs, const std::string& dir) {
  Listing l{false, false, false, {}, {}};
  DirEntry probe;
  const bool root = !dir.empty() && dir.back() == '\\';
  l.opened = root || fs.lookup(dir.c_str(), &probe);
  if (!l.opened) return l;
  l.isLink = !root && IsLink(probe);
  if (l.isLink) return l;
  fs.list(JoinPath(dir, "").c_str(),
          [](void* ctx, const DirEntry& e) {
            auto* l = static_cast<Listing*>(ctx);
            if (e.name[0] == '.') {
              if (!IsDotEntry(e.name)) l->dotNames = true;
            } else {
              (IsLink(e) ? l->links : l->entries).push_back(e);
            }
            return false;
          },
          &l);
  return l;
}

bool RemoveLink(const DiskFiles& fs, const std::string& path, const DirEntry& e) {
  return fs.removeLink(path.c_str(), (e.attributes & kAttrDirectory) != 0);
}

}  // namespace fileops
