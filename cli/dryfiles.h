// A file table that reads through another and writes nothing: the merge run on it judges a set
// exactly as it judges it when it merges, and leaves the disk as it was. What the merge would
// write goes nowhere; only the lengths of the files it would make are kept, so that its size
// check sees them.
#pragma once
#include "base/diskfiles.h"

namespace cli {

const DiskFiles& DryFiles(const DiskFiles& real);

}  // namespace cli
