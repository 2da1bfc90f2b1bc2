// The command line of `tovra`: a subcommand, its options and its operands. Portable: no file
// is touched here.
#pragma once
#include <string>
#include <vector>

namespace cli {

enum class Command { None, Divide, Merge, Check, Disks, Help };

enum class Codepage { Auto, Cp932, Cp1252 };

struct Args {
  Command command = Command::None;
  bool help = false;
  bool version = false;
  bool quiet = false;
  bool force = false;       // divide: replace an earlier set without asking
  bool yes = false;         // merge: rebuild without asking
  bool keep = false;        // merge: keep the pieces without asking
  bool remove = false;      // merge: delete the pieces without asking
  bool noRundelo = false;   // disks
  int blocks = 144;         // divide: blocks of 10,000 bytes a piece
  long long capacity = 0;   // disks: the free bytes of an empty disk, 0 for the file system's
  int cluster = 512;        // disks: the bytes a file's last part takes whole, with capacity
  Codepage codepage = Codepage::Auto;
  std::string to;           // divide: the folder of the pieces; disks: the disk's mount point
  std::vector<std::string> operands;
  std::string error;        // why the line cannot be taken; empty when it can
};

Args ParseArgs(int argc, const char* const* argv);
// The command a word names, or None.
Command CommandNamed(const std::string& word);

// The blocks of a division size: "1.44M", "1.2M", "720K", "640K", "NK" (N from 10 to 1440 in
// steps of 10) or its bytes ("1440000"); 0 when it is none.
int BlocksOfSize(const std::string& text);

// A disk that a folder stands for: the free bytes of the empty disk and its cluster bytes, for
// "1.44M", "1.2M", "720K" (the formatted floppies: 1,457,664, 1,213,952 and 730,112 bytes free)
// or a number of bytes (clusters of 512); false when it is none.
bool CapacityOf(const std::string& text, long long* bytes, int* cluster);

}  // namespace cli
