// The file work of the Divide command, without any window: the clean-up of old pieces and the
// writing of FILE-0 and the pieces next to the source.
#pragma once
#include <cstdint>

#include "base/diskfiles.h"
#include "engine_rules.h"
#include "pieceset.h"

namespace engine {

// True when an entry of dir (ending in a backslash) contains "file-" or "FILE-".
bool HasPieceMarkedEntry(const DiskFiles& fs, const char* dir, bool dbcs932);

// Deletes file-0 ... file-1003 and FILE-0 ... FILE-1003 of dir as they are (a read-only piece
// stays), except the source itself when its name is one of them.
void DeleteExistingPieces(const DiskFiles& fs, const char* dir, const char* sourceName);

// Bytes a division needs free: the pieces, the parity pieces (one piece's room each), the
// block checks and the margin.
int64_t DivisionRoom(uint64_t size, const DivisionPlan& plan);

// True when writing the n pieces of a division, its parity pieces and its block checks would
// overwrite the source.
bool SourceIsAmongPieces(const char* sourceName, int pieces);

struct DivideJob {
  const char* dir;         // the source's directory, ending in a backslash
  const char* sourcePath;
  const char* sourceName;  // written into the record
  uint64_t size;
  CalTime time;  // last write, local
  DivisionPlan plan;       // an accepted plan (status Ok)
  bool dbcs932;
};

enum class DivideResult {
  Ok,
  CreateInfoFailed,   // FILE-0 could not be created
  WriteInfoFailed,    // FILE-0 could not be written; it and any piece written have been deleted
  OpenSourceFailed,   // FILE-0 stays
  CreatePieceFailed,  // piece: the one that failed; pieces before it have been deleted
  ReadSourceFailed,   // piece: the one being written; pieces up to it have been deleted
  WritePieceFailed,   // likewise
};

struct DivideOutcome {
  DivideResult result;
  int piece;
};

// Writes FILE-0 and the pieces, whole blocks of 10000 bytes but the last piece's rest, then
// the first parity piece n + 1, the block checks n + 2, the further parity pieces n + 3 and
// n + 4 where the set has them, and after the record the check line and the line of the
// further parity pieces. On failure FILE-0 stays (except when it could not be written) and
// every piece written is deleted again. outcome.piece is n on success.
DivideOutcome DivideFile(const DiskFiles& fs, const DivideJob& job);

}  // namespace engine
