// The file work of the Merge command, without any window: rebuilding the file named by the
// record from its pieces, giving it its time back and checking its size.
#pragma once
#include <cstdint>

#include "diskfiles.h"
#include "engine_rules.h"
#include "pieceset.h"

namespace engine {

// FILE-0 as the Merge command reads it: its attributes set aside while it is read (and given
// back), at most pieceset::kReadLimit bytes through Tovra's reader.
struct InfoFile {
  bool opened;
  pieceset::MainResult result;
  uint32_t attributes;  // as found, or kNoAttributes
};
InfoFile ReadInformationFile(const DiskFiles& fs, const char* path, bool dbcs932,
                             pieceset::InfoRecord* rec, pieceset::InfoValues* vals);

// True when an entry of dir (ending in a backslash) has the name, letter case aside.
bool NameExistsInDir(const DiskFiles& fs, const char* dir, const char* name);

struct MergeJob {
  const char* dir;              // the piece set's directory, ending in a backslash
  const char* prefix;           // "file-" or "FILE-"
  const char* name;             // recorded name of the merged file
  int64_t size;                 // recorded size
  int count;                    // recorded piece count
  uint32_t infoAttributes;      // FILE-0's attributes as found, or kNoAttributes
  CalTime time;       // resolved time of the merged file (local)
  // Whether the drive has at least bytes free.
  bool (*hasRoom)(void* ctx, int64_t bytes);
  void* roomCtx;
};

enum class MergeResult {
  Ok,
  NoFirstPiece,     // prefix + "1" not found
  LastPieceEmpty,   // the record's size leaves nothing to take from the last piece
  NoRoom,
  PieceMissing,     // piece: the first one missing
  CreateFailed,
  OpenPieceFailed,  // piece: the one that failed; the merged file has been deleted
  WriteFailed,      // likewise
  ReadPieceFailed,  // likewise
  ReopenFailed,     // the merged file stays, without its time
  SizeDiffers,      // the merged file stays
};

struct MergeOutcome {
  MergeResult result;
  int piece;
};

// Copies the pieces into dir + name in blocks of 10000 bytes: every piece but the last in as
// many blocks as FILE-1 holds, the last in as many as the record's size leaves.
MergeOutcome MergePieces(const DiskFiles& fs, const MergeJob& job);

}  // namespace engine
