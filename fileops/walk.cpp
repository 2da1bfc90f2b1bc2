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

Listing ListFolder(const engine::DiskFiles& fs, const std::string& dir) {
  Listing l{false, false, {}};
  engine::DirEntry probe;
  l.opened = (!dir.empty() && dir.back() == '\\') || fs.lookup(dir.c_str(), &probe);
  if (!l.opened) return l;
  fs.list(JoinPath(dir, "").c_str(),
          [](void* ctx, const engine::DirEntry& e) {
            auto* l = static_cast<Listing*>(ctx);
            if (e.name[0] != '.') l->entries.push_back(e);
            else if (!IsDotEntry(e.name)) l->dotNames = true;
            return false;
          },
          &l);
  return l;
}

}  // namespace fileops
