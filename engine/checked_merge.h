// The merge of a set with a check line, one for both programs: each data piece copied to its
// place in the merged file and judged block by block, then the damaged blocks rebuilt from
// their stripes through the parity pieces. Portable; everything it works on is in one session
// passed by pointer. Each program supplies its file calls, the question before a repair and
// its own messages for the outcome.
#pragma once
#include <cstdint>

#include "base/diskfiles.h"
#include "parity.h"
#include "parity_code.h"
#include "pieceset.h"

namespace pieceset {

// A piece as it is read: its bytes, which of its blocks are bad (unreadable, and once judged
// damaged), and once the side work is done the CRC of each block (the piece's own CRC where it
// has no block checks).
struct HeldPiece {
  int k;      // its number in the set
  int check;  // its number in the checks (Checks.crc, BlockChecks): k, or n + 1 + t for row t
  PieceState why;  // how the piece is named when it is bad
  uint32_t length;
  bool byBlock;  // the piece has block checks of its own
  unsigned char bytes[kMaxPieceBytes];
  bool bad[kMaxBlocks];
  uint32_t crc[kMaxBlocks];
  uint32_t pieceCrc;
};

// What the merge finds, stripe by stripe (stripe j: block j of every piece).
struct Stripes {
  int lost[kMaxBlocks];                // damaged data blocks in stripe j, counted up to r + 1
  int piece[kMaxBlocks][kMaxParity];   // the pieces of the first r of them, in order
  int rowsBad[kMaxBlocks];             // bit t: parity row t is damaged in stripe j
  int rows[kMaxBlocks][kMaxParity];    // the sound rows that rebuild them, one for each
  int used;                            // bit t: row t rebuilds a block somewhere
  int damaged;                         // damaged data blocks, all stripes
  bool clash;                          // a stripe has more damaged data blocks than r
  PieceState state[kMaxSetNumber + 1]; // Good, or how piece k was found bad
  BadPieces bad;
};

// Pieces held: two in turn while the pieces are copied (a piece is read and written while the
// side work works out the CRCs of the one before it); while the damaged blocks are rebuilt the
// parity pieces, which become the stripes' syndromes, and after them the merged file's runs.
// The first also holds the block checks as they are read.
constexpr int kHeldPieces = kMaxParity + 1;

struct MergeSession {
  // Set by the caller before MergeChecked.
  const DiskFiles* fs;
  const char* dir;     // the set's folder, ending in a backslash
  const char* prefix;  // "file-" or "FILE-"
  Checks checks;       // the check line, which agrees with the record, and the parity pieces
  FolderPieces pieces; // the folder's pieces 1 to LastOfSet, as one reading found them
  // The merged file, just made at temp, or kNoFile for a set that cannot merge (SetIsDoomed):
  // such a set is still read through, so that every bad piece is named.
  FileHandle out;
  char temp[kPathBytes];
  // The merged file could not be deleted after a failure: it stays at temp.
  bool left;
  // Worked out by the merge.
  bool blockChecked;   // the block checks agree with the check line
  BlockChecks blocks;
  Stripes stripes;
  HeldPiece held[kHeldPieces];
  int turn;
  HeldPiece* judging;  // the piece whose CRCs the side work works out, still to be judged
  // A set with a data piece missing needs a rebuild in every stripe of it: the side work then
  // sums each parity row there is a piece of (sums[t]; null for the others) over the data pieces
  // as they are copied, by the Horner steps of the division, so that the rebuild need not read
  // the merged file again.
  unsigned char* sums[kMaxParity];
  unsigned char rowSums[kMaxParity][kMaxPieceBytes];
};

// The number of the set's last file for the parity pieces c gives: the last parity piece, or
// the block checks.
inline int LastOfSet(const Checks& c) { return c.count + 1 + c.parity; }

// Whether the set cannot merge whatever its pieces hold: a data piece missing (which loses a
// block of every stripe, the first at least) and more pieces missing, data and parity, than
// there are parity pieces.
bool SetIsDoomed(const MergeSession& s);

enum class MergeEnd {
  Whole,          // the merged file at temp is the source; nothing was damaged
  Rebuilt,        // likewise, its stripes.damaged blocks rebuilt after the question
  WriteFailed,    // writing the merged file failed, while copying or rebuilding
  SameStripe,     // a stripe has more damaged data blocks than parity pieces (without block
                  // checks a bad piece is damaged in every block)
  NoParity,       // not so many, but the sound parity blocks of a stripe are fewer than its
                  // damaged data blocks (parity pieces missing, short, or damaged there: by
                  // their block checks, or without them by their CRC)
  Declined,       // the question was answered no
  RebuildFailed,  // a rebuilt block, a piece or the whole file differs from its CRC
  ReopenFailed,   // the merged file could not be opened again for the rebuild
  ReadBackFailed, // a block of the merged file could not be read back for the rebuild
};

// Reads the block checks at path into s->blocks: false when there are none that agree with the
// check line (the file missing, or its header another's); else every record read whole whose
// CRC holds and whose blocks add up to its piece's CRC in s->checks is sound.
bool ReadBlockChecks(MergeSession* s, const char* path);

// Reads every data piece of the set, in order, missing ones too so that they are named in
// order, and writes its recorded bytes at its place in s->out: a piece of its length, or a
// longer one (serial transfers pad the last block), is read over its recorded bytes and judged
// by their CRC, each block by its record of the block checks prefix + (n + 2) where it has a
// sound one, else whole by its CRC on the check line (damaged in every block when it
// differs); a missing or shorter one is bad as it stands. A read that fails is taken again block
// by block, and a block that cannot be read whole is damaged. The damaged blocks go into
// s->stripes. When no stripe has more of them than the parity pieces have sound blocks there,
// confirm is asked (the bad data pieces, the blocks to rebuild and whether the set has block
// checks) and on yes the damaged blocks of each stripe are rebuilt from its other blocks as
// the merged file holds them and as many sound parity blocks, written at their places, and
// each piece with rebuilt blocks is checked by its CRC as the CRCs of its blocks add up to it,
// then the whole file's CRC as the pieces' CRCs add up to it.
// A set with more than one parity piece that cannot be rebuilt has its bad parity pieces named
// after the data pieces in stripes.bad; with one, as always, only the data pieces. s->out is
// closed; after anything but Whole and Rebuilt the merged file is deleted (DiscardMerged). The
// pieces themselves are never changed.
MergeEnd MergeChecked(MergeSession* s,
                      bool (*confirm)(void* ctx, const BadPieces& bad, int blocks, bool blockChecked),
                      void* ctx);

// Deletes the merged file at s->temp after a failure; s->left when it cannot be.
void DiscardMerged(MergeSession* s);

// Gives the merged file at s->temp, closed, the name dest; a name taken meanwhile is not
// replaced. False when it did not take it: it is then deleted (DiscardMerged).
bool PutInPlace(MergeSession* s, const char* dest);

}  // namespace pieceset
