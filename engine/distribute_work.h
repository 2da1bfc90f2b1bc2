// The order of the floppy copy, without any window: which piece goes on which disk, when to
// ask for the next disk, and what the answers lead to. The program supplies the disk probe,
// the copy and the questions.
#pragma once
#include <cstdint>

namespace engine {

enum class FloppyPrompt {
  Confirm,      // first disk: OK goes on
  Insert,       // no readable disk: OK probes again
  NotEnough,    // the piece does not fit: Yes asks for another disk
  ChangeDisk,   // notice before the same piece is tried again
  NextDisk,     // the next piece does not fit: OK goes on
  Interrupted,  // notice
  CopyFailed,   // the copy failed or reads back different: Yes retries with another disk
  Missing,      // notice: the piece is not on the hard disk
};

enum class CopyCheck { Same, Failed, Different };

struct FloppySteps {
  void* ctx;
  // Length of piece i (0 = FILE-0) on the hard disk; false when it is not there.
  bool (*pieceLength)(void* ctx, int i, uint64_t* length);
  // Free bytes of the disk in the drive; false when there is no readable disk.
  bool (*probe)(void* ctx, int32_t* freeBytes);
  // Copies piece i onto the disk and reads it back.
  CopyCheck (*copy)(void* ctx, int i);
  // Shows a question or notice about piece i; true for OK or Yes.
  bool (*prompt)(void* ctx, FloppyPrompt what, int i);
};

enum class FloppyEnd { Completed, Stopped };

// Copies FILE-0 ... FILE-n disk after disk, then FILE-0 once more onto the last disk (a disk of
// its own when it does not fit there), so that the set merges without its first disk. A disk
// takes pieces while the next one leaves it at least 1000 bytes; FILE-1 is always tried on the
// first disk. When every piece went on the first disk, FILE-0 is there already.
FloppyEnd DistributePieces(const FloppySteps& s, int n);

}  // namespace engine
