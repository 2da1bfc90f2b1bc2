// The Attributes command's rules and file work, without any window.
#pragma once
#include "base/diskfiles.h"

namespace fileops {

struct AttributeChoice {
  bool readOnly, hidden, system, archive;
};
AttributeChoice ChoiceOf(uint32_t attributes);
uint32_t AttributesOf(const AttributeChoice& c);

// The two tree boxes: ticking "Include subfolders" always clears "only for files" and enables
// it; clearing it clears and disables it.
struct TreeBoxes {
  bool subfolders, filesOnly, filesOnlyEnabled;
};
TreeBoxes ToggleSubfolders(TreeBoxes b);

struct AttributeJob {
  const DiskFiles* fs;
  AttributeChoice chosen;
  bool filesOnly;
  const char* programPath;  // passed over, and counted as a failure
  int failures;             // every change that did not take, the program's own file included
};

// Resets path (a folder to the folder attribute alone, a file to normal), then adds each chosen
// attribute with a read and a write of its own.
void SetChosenAttributes(AttributeJob& job, const char* path, bool folder);
// Everything below dir: folders (unless files only) before their contents, then every file.
void AttributeWalk(AttributeJob& job, const char* dir);

}  // namespace fileops
