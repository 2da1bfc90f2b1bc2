#include "fileops/sizeinquiry_work.h"

#include <string>

#include "fileops/walk.h"

namespace fileops {

namespace {

// Nothing is changed on the way, so each folder is walked while it is being listed, and
// whether it exists is not asked beforehand: one that cannot be listed adds nothing. A link
// below is known by its entry in the listing and left alone, as every walk leaves links.
struct Walk {
  const DiskFiles& fs;
  TreeSize* size;
  std::string dir;
};

void AddUpFolder(const DiskFiles& fs, const std::string& dir, TreeSize* size);

bool Visit(void* ctx, const DirEntry& e) {
  auto* w = static_cast<Walk*>(ctx);
  if (e.name[0] == '.' || IsLink(e)) return false;
  if (e.attributes & kAttrDirectory) {
    ++w->size->folders;
    AddUpFolder(w->fs, JoinPath(w->dir, e.name), w->size);
  } else {
    ++w->size->files;
    w->size->bytes += e.length;
  }
  return false;
}

void AddUpFolder(const DiskFiles& fs, const std::string& dir, TreeSize* size) {
  Walk w{fs, size, dir};
  fs.list(JoinPath(dir, "").c_str(), Visit, &w);
}

}  // namespace

void AddUpTree(const DiskFiles& fs, const char* dir, TreeSize* size) {
  // The selected folder alone is looked up: given as a link, it is not entered either.
  const std::string d = WithoutTrailingBackslash(dir);
  const bool root = !d.empty() && d.back() == '\\';
  DirEntry self;
  if (!root && (!fs.lookup(d.c_str(), &self) || IsLink(self))) return;
  AddUpFolder(fs, d, size);
}

}  // namespace fileops
