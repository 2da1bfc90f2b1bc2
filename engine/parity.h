// The check line of FILE-0 (a CRC-32 of every piece and of the whole file), the parity piece
// prefix + (n + 1), the XOR of all data pieces, and the block checks prefix + (n + 2), a CRC-32
// of every block of 10000 bytes of every piece: their formats, shared by division and both
// mergers (the merge that judges and rebuilds by them is in checked_merge.h).
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
  // [k] of piece k, [count + 1 + t] of parity row t: row 0 from the check line, the further
  // ones from the line after it.
  uint32_t crc[kMaxSetNumber];
  int parity;                     // r: the parity pieces, 1 unless the line after says more
};

// The check line for the values into out (cap bytes, cleared first); its length, or 0.
std::size_t FormatChecks(char* out, std::size_t cap, const Checks& c);

// Finds the check line after the record's line feed in data (FILE-0's first len bytes) and
// takes it when it is whole, its own CRC holds and it agrees with the record's size and count;
// with it the line of the further parity pieces where there is a sound one (ReadParityLine).
bool ReadChecks(const char* data, std::size_t len, const InfoValues& vals, Checks* out);

// Expected length of piece k (1..count), or of a parity piece (count + 1 on, as the checks
// number them).
uint32_t PieceLength(const Checks& c, int k);

enum class PieceState { Good, Missing, Short, Long, Damaged };

PieceState JudgeLength(const Checks& c, int k, uint64_t length);
// A piece of its length, or a longer one (serial transfers pad the last block), is read over its
// recorded bytes and judged by their CRC; a missing or shorter one is bad as it stands. The
// same holds for the parity piece (count + 1).
inline bool JudgedByCrc(PieceState byLength) {
  return byLength == PieceState::Good || byLength == PieceState::Long;
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

// Records are numbered as Checks.crc: k for piece k, count + 1 + t for parity row t.
struct BlockChecks {
  bool sound[kMaxSetNumber];                // record k was read, its CRC holds, it agrees with the line
  uint32_t crc[kMaxSetNumber][kMaxBlocks];  // [k][j]: block j of piece k
};

// The header for c into out (kBlockHeaderBytes), and the record of the CRCs crc into out
// (BlockRecordBytes).
void FormatBlockHeader(const Checks& c, unsigned char* out);
void FormatBlockRecord(const Checks& c, const uint32_t* crc, unsigned char* out);

// Takes the block checks from file (BlockRecordAt(c, c.count + 1 + c.parity) bytes as they could
// be read, zeros where they could not) into out: false when its header is not the one c gives;
// else every record whose CRC holds and whose blocks add up to its piece's CRC in c is sound.
bool TakeBlockChecks(const Checks& c, const unsigned char* file, BlockChecks* out);

}  // namespace pieceset
