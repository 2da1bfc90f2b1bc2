// The check line of FILE-0 (a CRC-32 of every piece and of the whole file), the parity piece
// prefix + (n + 1), the XOR of all data pieces, and the block checks prefix + (n + 2), a CRC-32
// of every block of 10000 bytes of every piece. Portable and shared by both mergers: the
// judgement of each block, and the rebuild of damaged blocks from their stripes through a small
// file table that each program fills with its own calls.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/text.h"
#include "pieceset.h"

namespace pieceset {

constexpr uint32_t kMaxPieceBytes = 144 * kBlockBytes;
// Bytes of a check line of 999 pieces, with room to spare.
constexpr std::size_t kCheckLineBytes = 9216;

struct Checks {
  long size;
  int count;
  uint32_t pieceBytes;            // every data piece but the last
  uint32_t whole;                 // CRC of the whole file
  uint32_t crc[kMaxPieces + 2];   // [k] of piece k, [count + 1] of the parity piece
};

// The check line for the values into out (cap bytes, cleared first); its length, or 0.
std::size_t FormatChecks(char* out, std::size_t cap, const Checks& c);

// Finds the check line after the record's line feed in data (FILE-0's first len bytes) and
// takes it when it is whole, its own CRC holds and it agrees with the record's size and count.
bool ReadChecks(const char* data, std::size_t len, const InfoValues& vals, Checks* out);

// Expected length of piece k (1..count), or of the parity piece (count + 1).
uint32_t PieceLength(const Checks& c, int k);

enum class PieceState { Good, Missing, Short, Long, Damaged };

PieceState JudgeLength(const Checks& c, int k, uint64_t length);
// A piece of its length, or a longer one (serial transfers pad the last block), is read over its
// recorded bytes and judged by their CRC; a missing or shorter one is bad as it stands. The
// same holds for the parity piece (count + 1).
inline bool JudgedByCrc(PieceState byLength) {
  return byLength == PieceState::Good || byLength == PieceState::Long;
}
// Whether the set in t cannot merge whatever its pieces hold: two missing data pieces share
// every stripe, and one needs the parity piece. Such a set is still read through, so that every
// bad piece is named.
inline bool SetIsDoomed(const Checks& c, const FolderPieces& t) {
  int missing = 0;
  for (int k = 1; k <= c.count; ++k) missing += !t.there[k];
  return missing > 1 || (missing && !t.there[c.count + 1]);
}

// The bad pieces of a merge in order; the first kNamed of them are kept for the message.
constexpr int kNamed = 12;
struct BadPieces {
  int count;
  int piece[kNamed];
  PieceState state[kNamed];
};
void NoteBad(BadPieces* bad, int k, PieceState s);
// Of texts (for a missing, shorter and damaged piece, in that order, each with "%d"), the one
// for the state.
const Text& BadPieceText(PieceState state, const Text (&texts)[3]);
// "A file, FILE-3, is damaged." or the like into out (cap bytes): BadPieceText with the piece.
void DescribeBad(char* out, std::size_t cap, int piece, PieceState state, const Text (&texts)[3]);

// "FILE-2, FILE-5", the kept ones as noted, which is by number (", ..." after them), into out
// (cap bytes, cleared first).
void ListBad(const BadPieces& bad, char* out, std::size_t cap);

// XOR of n bytes of from into to.
void XorInto(unsigned char* to, const unsigned char* from, std::size_t n);

// The file calls a rebuild needs; handles are -1 when a file cannot be opened.
struct PieceIo {
  void* ctx;
  intptr_t (*openRead)(void* ctx, const char* path);
  intptr_t (*openWrite)(void* ctx, const char* path);  // existing file, read and write, nothing cut
  long (*read)(void* ctx, intptr_t f, void* buf, long n);         // 0 at the end, -1 on error
  long (*write)(void* ctx, intptr_t f, const void* buf, long n);
  bool (*seek)(void* ctx, intptr_t f, uint32_t offset);
  void (*close)(void* ctx, intptr_t f);
};

// ---- Block checks ----
//
// prefix + (n + 2), little-endian: a header of kBlockHeaderBytes (the tag "BLK1", the block
// bytes, the piece count, the bytes of a data piece, the file's size and its whole CRC as the
// check line gives them, then the CRC of those 24 bytes); then for k = 1 to n + 1 (the parity
// piece) a record at BlockRecordAt: the CRC of every block of piece k (a full piece's count of
// them, those past a shorter piece's end 0), then the CRC of the record's bytes before it.
// Stripe j is block j of every data piece and of the parity piece: the parity block is the XOR
// of the others, so any one damaged block of a stripe is the XOR of the rest.

constexpr int kMaxBlocks = static_cast<int>(kMaxPieceBytes / kBlockBytes);
constexpr uint32_t kBlockHeaderBytes = 28;

// Bytes of a record, and where record k begins.
inline uint32_t BlockRecordBytes(const Checks& c) { return (c.pieceBytes / kBlockBytes + 1) * 4; }
inline uint32_t BlockRecordAt(const Checks& c, int k) {
  return kBlockHeaderBytes + static_cast<uint32_t>(k - 1) * BlockRecordBytes(c);
}

struct BlockChecks {
  bool sound[kMaxPieces + 2];                // record k was read, its CRC holds, it agrees with the line
  uint32_t crc[kMaxPieces + 2][kMaxBlocks];  // [k][j]: block j of piece k
};

// The header for c into out (kBlockHeaderBytes), and the record of the CRCs crc into out
// (BlockRecordBytes).
void FormatBlockHeader(const Checks& c, unsigned char* out);
void FormatBlockRecord(const Checks& c, const uint32_t* crc, unsigned char* out);

// Reads the block checks at path into out: false when there are none that agree with the check
// line (the file missing, or its header another's); else every record read whole whose CRC
// holds and whose blocks add up to its piece's CRC on the check line is sound.
bool ReadBlockChecks(const PieceIo& io, const char* path, const Checks& c, BlockChecks* out);

// What a merge finds of the data pieces, stripe by stripe.
struct Stripes {
  int16_t owner[kMaxBlocks];         // 0: sound; k: piece k's block is the one damaged; -1: more
  int damaged;                       // stripes with a damaged block
  bool clash;                        // a stripe has two damaged blocks: beyond one parity piece
  PieceState state[kMaxPieces + 2];  // Good, or how piece k was found bad
  BadPieces bad;
};

// Reads piece k of the check line from in (opened at its start; -1 when it could not be
// opened or is missing: every block damaged) and writes its recorded bytes at its place in out
// (not when out is -1). A read that fails is taken again block by block, and a block that
// cannot be read whole is damaged. The CRCs are worked out while the piece is written and the
// next one read, and the piece is judged when the next one has been read, or by FinishPieces:
// each block by the piece's record of the block checks b (nullptr: none); or without a sound
// record the piece by its CRC on the check line, damaged in every block when it differs. The
// damaged blocks go into s, and the piece as why. False when the write failed.
bool CopyPiece(const PieceIo& io, intptr_t in, intptr_t out, const Checks& c, const BlockChecks* b,
               int k, PieceState why, Stripes* s);
// Judges the last piece of CopyPiece into s; to be called once the pieces are through, before
// anything else of these is.
void FinishPieces(const Checks& c, const BlockChecks* b, Stripes* s);

enum class RepairPlan { Sound, Possible, SameStripe, NoParity };

// After every data piece has been through CopyPiece and FinishPieces: nothing to repair, the
// damaged blocks can be rebuilt (the parity piece at parityPath has then been read for them),
// two share a stripe, or the parity piece cannot give a block that is needed (missing, short,
// or damaged there: by its block check, or without one by its CRC).
RepairPlan PlanRepair(const PieceIo& io, const char* parityPath, const Checks& c,
                      const BlockChecks* b, const Stripes& s);

// After PlanRepair gave Possible: rebuilds every damaged block from the parity block and the
// same block of the other data pieces as the merged file holds them, writes it at its place and
// checks it (by its block check, or a piece without one whole by its CRC), then the whole
// file's CRC as the pieces' CRCs add up to it. False when a read or a write failed or a check
// did not hold: the merged file is then not to be kept.
bool RebuildStripes(const PieceIo& io, const Checks& c, const BlockChecks* b, const Stripes& s,
                    const char* mergedPath);

}  // namespace pieceset
