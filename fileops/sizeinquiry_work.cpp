#include "fileops/sizeinquiry_work.h"

#include "fileops/walk.h"

namespace fileops {

void AddUpTree(const engine::DiskFiles& fs, const char* dir, TreeSize* size) {
  const std::string d = WithoutTrailingBackslash(dir);
  for (const engine::DirEntry& e : ListFolder(fs, d).entries) {
    if (e.attributes & engine::kAttrDirectory) {
      ++size->folders;
      AddUpTree(fs, JoinPath(d, e.name).c_str(), size);
    } else {
      ++size->files;
      size->bytes += e.length;
    }
  }
}

}  // namespace fileops
