// The file work of the Merge command, without any window: rebuilding the file named by the
// record from its pieces, giving it its time back and checking its size.
#pragma once
#include <cstdint>

#include "base/diskfiles.h"
#include "engine_rules.h"
#include "checked_merge.h"
#include "parity.h"
#include "pieceset.h"

namespace engine {

// FILE-0 as the Merge command reads it: its attributes set aside while it is read (and given
// back), at most pieceset::kReadLimit bytes through Tovra's reader, and its check line.
struct InfoFile {
  bool opened;
  pieceset::MainResult result;
  uint32_t attributes;  // as found, or kNoAttributes
  bool checked;         // *checks holds a sound check line that agrees with the record
};
InfoFile ReadInformationFile(const DiskFiles& fs, const char* path, bool dbcs932,
                             pieceset::InfoRecord* rec, pieceset::InfoValues* vals,
                             pieceset::Checks* checks);

// True when an entry of dir (ending in a backslash) has the name, letter case aside.
bool NameExistsInDir(const DiskFiles& fs, const char* dir, const char* name);

// Removes prefix + 0 ... prefix + pieces of dir, read-only ones too.
void RemovePieceSet(const DiskFiles& fs, const char* dir, const char* prefix, int pieces);

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
  // The check line of FILE-0, or nullptr for a set without one, merged as before.
  const pieceset::Checks* checks;
  // Asked before damaged blocks are rebuilt from the parity pieces: the bad pieces, the blocks
  // to rebuild and whether the set has block checks (without, a bad piece is rebuilt whole);
  // true rebuilds them.
  bool (*confirmRebuild)(void* ctx, const pieceset::BadPieces& bad, int blocks, bool blockChecked);
  void* rebuildCtx;
  // The record's name, size or piece count is empty: refused once FILE-1 has been looked up.
  bool fieldsEmpty = false;
  // With a check line, where given: what the merge found of the data pieces, stripe by stripe.
  pieceset::Stripes* found = nullptr;
};

enum class MergeResult {
  Ok,
  NoFirstPiece,     // prefix + "1" not found
  RecordDamaged,    // the record's name, size or piece count is empty
  LastPieceEmpty,   // the record's size leaves nothing to take from the last piece
  NoRoom,
  PieceMissing,     // piece: the first one missing
  CreateFailed,     // also when the merged file could not take the recorded name
  NameTaken,        // an entry of the recorded name appeared while the merge ran; nothing left
  OpenPieceFailed,  // piece: the one that failed; the merged file has been deleted
  WriteFailed,      // likewise; also while rebuilding
  ReadPieceFailed,  // likewise
  ReopenFailed,     // the merged file stays, without its time
  SizeDiffers,      // the merged file stays
  // With a check line; no merged file is left after any of these. piece: the first bad one.
  // With one parity piece:
  PieceBad,         // the one bad piece, and no sound parity piece to rebuild it from
  TooManyBad,       // bad: two or more bad pieces, and no block checks
  SameStripe,       // bad: with block checks, two damaged blocks at the same place
  PiecesBad,        // bad: two or more, and no sound parity piece for their damaged blocks
  // With more, r: at one place more damaged blocks than r, the parity pieces' counted too (a
  // piece without block checks is damaged everywhere). bad: the data pieces, then the parity
  // pieces.
  BeyondParity,
  RebuildDeclined,  // bad: the pieces with damaged blocks, not to be rebuilt
  RebuildFailed,    // bad: rebuilt, but a block, a piece or the merged file differs from its CRC
  RebuildOpenFailed,  // bad: the merged file could not be opened again to rebuild them
  RebuildReadFailed,  // bad: a block of the merged file could not be read back to rebuild them
};

struct MergeOutcome {
  MergeResult result;
  int piece;
  pieceset::BadPieces bad;  // with a check line: every bad piece found
  int rebuiltBlocks;        // blocks rebuilt from the parity pieces
  // After a failure, the merged file that could not be deleted, or nullptr.
  const char* leftAs;
};

// The merged file is made under a temporary name beside dir + name and takes the name only
// when it has checked out, or when it is kept after a failure (ReopenFailed, SizeDiffers), so
// that no file of the recorded name is ever one that did not; after any other failure nothing
// is left. Without a check line: copies the pieces in blocks of 10000 bytes, every
// piece but the last in as many blocks as FILE-1 holds, the last in as many as the record's
// size leaves. With one: copies each piece by the length the line gives it, checking the CRC
// of each block by the block checks prefix + (n + 2) when they are there, else the piece's; a
// missing, short, unreadable or damaged block is damaged (a longer piece is judged by its
// recorded bytes; without block checks a bad piece is damaged in every block). Damaged
// blocks, no more at one place than the set has parity pieces sound there, are rebuilt from
// them when the caller agrees.
MergeOutcome MergePieces(const DiskFiles& fs, const MergeJob& job);

}  // namespace engine
