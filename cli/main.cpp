// `tovra`: piece sets made, checked, repaired, merged and copied to floppy disks on the systems
// where the disks are prepared, by Tovra's own division, merge and floppy copy.
#include <cstdio>
#include <string>

#include "args.h"
#include "commands.h"
#include "console.h"

namespace {

constexpr const char* kUsage =
    "Usage: tovra COMMAND [OPTION]... [ARGUMENT]\n"
    "Piece sets for floppy disks, made and merged as Tovra and Rundelo make and merge them.\n"
    "\n"
    "Commands:\n"
    "  divide FILE     divide FILE into a piece set: FILE-0 (the record), the pieces,\n"
    "                  the parity and the block checks\n"
    "  merge [DIR]     merge the set in DIR (here by default), rebuilding what the\n"
    "                  parity can rebuild\n"
    "  check [DIR]     tell whether the set is whole, what is damaged, and whether it\n"
    "                  can be repaired; nothing is written\n"
    "  disks DIR --to MOUNTPOINT\n"
    "                  copy the set onto floppy disks, one after another, RUNDELO.EXE\n"
    "                  on the first\n"
    "\n"
    "'tovra COMMAND --help' tells more of each.\n"
    "\n"
    "Exit codes: 0 done (check: the set is whole); 1 check: damaged, and repairable\n"
    "(merge: the rebuild was declined); 2 the set cannot be merged, or the work\n"
    "failed; 64 the command line is wrong; 130 interrupted.\n";

constexpr const char* kDivideHelp =
    "Usage: tovra divide FILE [--size SIZE] [--to DIR] [--force] [--quiet]\n"
    "Divides FILE as Tovra divides it, byte for byte: FILE-0 with the record and the\n"
    "check line, the pieces FILE-1 to FILE-n, the parity and the block checks, written\n"
    "as file-0, file-1, ... The record keeps the file's name, size and time (local).\n"
    "\n"
    "  -s, --size SIZE   the size of a piece: 1.44M (the default), 1.2M, 720K, 640K,\n"
    "                    or 10K to 1440K in steps of 10K\n"
    "  -t, --to DIR      write the set into DIR (default: beside FILE)\n"
    "  -f, --force       delete the pieces of an earlier set there without asking\n"
    "      --codepage CP the code page of the PC that merges the set, for a name\n"
    "                    beyond ASCII: 932 (Japanese) or 1252 (Western); by default\n"
    "                    932 when the name fits it, else 1252\n"
    "  -q, --quiet       no progress line and no summary\n"
    "\n"
    "The source is never changed. A division that fails or is interrupted leaves no\n"
    "file of the set behind. A name beginning with '-' follows '--'.\n";

constexpr const char* kMergeHelp =
    "Usage: tovra merge [DIR] [--yes] [--keep | --delete] [--quiet]\n"
    "Merges the piece set in DIR (here by default) into the file its record names,\n"
    "with Tovra's checks: every block against the block checks, the pieces against\n"
    "the check line. Damaged or missing pieces are rebuilt from the parity when it\n"
    "can; otherwise the merge is refused, naming the pieces. The merged file is\n"
    "written under a temporary name and takes its own only once it has checked out;\n"
    "it gets the recorded time. The pieces are never changed.\n"
    "\n"
    "  -y, --yes         rebuild without asking (without a terminal it never asks)\n"
    "      --keep        keep the pieces afterwards without asking\n"
    "      --delete      delete the pieces afterwards without asking\n"
    "      --codepage CP read the record's name as code page 932 or 1252\n"
    "  -q, --quiet       no progress line and no summary\n";

constexpr const char* kCheckHelp =
    "Usage: tovra check [DIR] [--quiet]\n"
    "Reads the piece set in DIR (here by default) as a merge reads it and tells\n"
    "whether it is whole, which pieces are damaged or missing, and whether the\n"
    "parity can rebuild them. Nothing is written.\n"
    "\n"
    "      --codepage CP read the record's name as code page 932 or 1252\n"
    "  -q, --quiet       say nothing; the exit code tells: 0 whole, 1 repairable,\n"
    "                    2 not\n";

constexpr const char* kDisksHelp =
    "Usage: tovra disks DIR --to MOUNTPOINT [--no-rundelo] [--capacity SIZE]\n"
    "Copies the piece set in DIR onto floppy disks mounted at MOUNTPOINT, one disk\n"
    "after another, as Tovra does: a disk takes pieces while the next leaves it 1000\n"
    "bytes free; the parity and the block checks follow the pieces; FILE-0 goes on\n"
    "the first disk and again on the last. Each file is read back from the disk\n"
    "itself and compared. RUNDELO.EXE, Tovra's small merger, goes on the first disk\n"
    "when it has room (else on the last), so that the recipient needs nothing else.\n"
    "Between disks the command waits for Enter; Ctrl-D stops.\n"
    "\n"
    "  -t, --to MOUNTPOINT  where the disk is mounted (or a folder standing for one)\n"
    "      --no-rundelo     leave RUNDELO.EXE off the disks\n"
    "      --capacity SIZE  take the folder for an empty disk of SIZE: 1.44M, 1.2M,\n"
    "                       720K, or its free bytes\n"
    "  -q, --quiet          no list of the files written\n";

const char* HelpOf(cli::Command c) {
  switch (c) {
    case cli::Command::Divide: return kDivideHelp;
    case cli::Command::Merge: return kMergeHelp;
    case cli::Command::Check: return kCheckHelp;
    case cli::Command::Disks: return kDisksHelp;
    default: return kUsage;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const cli::Args args = cli::ParseArgs(argc, argv);
  if (!args.error.empty()) {
    std::fprintf(stderr, "tovra: %s\n%s", args.error.c_str(),
                 args.command == cli::Command::None ? "Try 'tovra --help'.\n" : "");
    if (args.command != cli::Command::None && args.command != cli::Command::Help) {
      std::fprintf(stderr, "Try 'tovra %s --help'.\n", argv[1]);
    }
    return cli::kExitUsage;
  }
  if (args.version) {
    std::printf("tovra %s\n", TOVRA_VERSION);
    return cli::kExitOk;
  }
  if (args.command == cli::Command::Help) {
    const cli::Command asked = args.operands.empty() ? cli::Command::None : cli::CommandNamed(args.operands[0]);
    if (!args.operands.empty() && asked == cli::Command::None) {
      std::fprintf(stderr, "tovra: unknown command %s\nTry 'tovra --help'.\n", args.operands[0].c_str());
      return cli::kExitUsage;
    }
    std::fputs(HelpOf(asked), stdout);
    return cli::kExitOk;
  }
  if (args.help || args.command == cli::Command::None) {
    std::fputs(HelpOf(args.command), args.help ? stdout : stderr);
    return args.help ? cli::kExitOk : cli::kExitUsage;
  }
  cli::InitConsole(args.quiet);
  cli::CatchInterrupts();
  switch (args.command) {
    case cli::Command::Divide: return cli::RunDivide(args);
    case cli::Command::Merge: return cli::RunMerge(args);
    case cli::Command::Check: return cli::RunCheck(args);
    case cli::Command::Disks: return cli::RunDisks(args);
    default: return cli::kExitUsage;
  }
}
