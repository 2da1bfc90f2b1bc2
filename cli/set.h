// A piece set in a folder, as merge, check and disks find it: FILE-0 read through Tovra's
// reader, with its check line, and the record's name as it is called here.
#pragma once
#include <string>

#include "args.h"
#include "engine/merge_work.h"

namespace cli {

struct SetOnDisk {
  std::string given;   // the folder as the user named it
  std::string dir;     // ending in '/'
  std::string prefix;  // "file-" or "FILE-", as FILE-0 is spelled
  pieceset::InfoRecord record;
  pieceset::InfoValues values;
  pieceset::Checks checks;
  engine::InfoFile info;
  CalTime infoTime;       // FILE-0's own last write, local
  std::string localName;  // the record's name as a file here
  bool dbcs932;           // the record's name is Shift-JIS
};

// Finds and reads FILE-0 in dir; false after saying why (Tovra's words). A record whose name,
// size or count is empty is read (the merge refuses it, as Tovra's does, once FILE-1 is found).
bool ReadSet(const std::string& dir, Codepage codepage, SetOnDisk* set);

// The path of piece k.
std::string PiecePath(const SetOnDisk& set, int k);

// The last file of the set on the disk: the last of the parity pieces and block checks that
// follow the data pieces, or piece n.
int LastFileOfSet(const SetOnDisk& set);

}  // namespace cli
