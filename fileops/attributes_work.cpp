#include "fileops/attributes_work.h"

#include "fileops/walk.h"

namespace fileops {

AttributeChoice ChoiceOf(uint32_t a) {
  return {(a & kAttrReadOnly) != 0, (a & kAttrHidden) != 0, (a & kAttrSystem) != 0,
          (a & kAttrArchive) != 0};
}

uint32_t AttributesOf(const AttributeChoice& c) {
  return (c.readOnly ? kAttrReadOnly : 0) | (c.hidden ? kAttrHidden : 0) |
         (c.system ? kAttrSystem : 0) | (c.archive ? kAttrArchive : 0);
}

TreeBoxes ToggleSubfolders(TreeBoxes b) {
  if (b.subfolders) return {false, false, false};
  return {true, false, true};
}

void SetChosenAttributes(AttributeJob& job, const char* path, bool folder) {
  const DiskFiles& fs = *job.fs;
  if (!fs.setAttributes(path, folder ? kAttrDirectory : kAttrNormal)) ++job.failures;
  const uint32_t bits[4] = {kAttrReadOnly, kAttrHidden, kAttrSystem, kAttrArchive};
  const bool chosen[4] = {job.chosen.readOnly, job.chosen.hidden, job.chosen.system,
                          job.chosen.archive};
  for (int i = 0; i < 4; ++i) {
    if (!chosen[i]) continue;
    const uint32_t now = fs.getAttributes(path);
    if (now == kNoAttributes || !fs.setAttributes(path, now | bits[i])) ++job.failures;
  }
}

namespace {

void Walk(AttributeJob& job, const KnownFile& program, const std::string& dir) {
  const Listing listing = ListFolder(*job.fs, dir);
  for (const DirEntry& e : listing.entries) {
    const std::string path = JoinPath(dir, e.name);
    if (e.attributes & kAttrDirectory) {
      if (!job.filesOnly) SetChosenAttributes(job, path.c_str(), true);
      Walk(job, program, path);
    } else if (IsKnownFile(*job.fs, program, path.c_str(), e)) {
      ++job.failures;
    } else {
      SetChosenAttributes(job, path.c_str(), false);
    }
  }
}

}  // namespace

void AttributeWalk(AttributeJob& job, const char* dir) {
  Walk(job, KnowFile(*job.fs, job.programPath), WithoutTrailingBackslash(dir));
}

}  // namespace fileops
