// The check line of FILE-0 (a CRC-32 of every piece and of the whole file) and the parity
// piece prefix + (n + 1), the XOR of all data pieces. Portable and shared by both mergers:
// the judgement of each piece, and the rebuild of one bad piece through a small file table
// that each program fills with its own calls.
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

// The bad pieces of a merge in order; the first kNamed of them are kept for the message.
constexpr int kNamed = 12;
struct BadPieces {
  int count;
  int piece[kNamed];
  PieceState state[kNamed];
};
void NoteBad(BadPieces* bad, int k, PieceState s);
// "A file, FILE-3, is damaged." or the like into out (cap bytes): the text of texts (for a
// missing, shorter and damaged piece, in that order, each with "%d") for the state.
void DescribeBad(char* out, std::size_t cap, int piece, PieceState state, const Text (&texts)[3]);

// "FILE-2, FILE-5", the kept ones by number (", ..." after them), into out (cap bytes,
// cleared first).
void ListBad(const BadPieces& bad, char* out, std::size_t cap);

// XOR of n bytes of from into to.
void XorInto(unsigned char* to, const unsigned char* from, std::size_t n);

// The file calls a rebuild needs; handles are -1 when a file cannot be opened.
struct PieceIo {
  void* ctx;
  intptr_t (*openRead)(void* ctx, const char* path);
  intptr_t (*openWrite)(void* ctx, const char* path);  // existing file, nothing cut
  long (*read)(void* ctx, intptr_t f, void* buf, long n);         // 0 at the end, -1 on error
  long (*write)(void* ctx, intptr_t f, const void* buf, long n);
  bool (*seek)(void* ctx, intptr_t f, uint32_t offset);
  void (*close)(void* ctx, intptr_t f);
};

// The parity piece is there, of its length or longer, with its CRC over its length.
bool ParityIsSound(const PieceIo& io, const char* dir, const char* prefix, const Checks& c);

enum class RebuildResult { Ok, ReadFailed, PieceDiffers, WriteFailed, WholeDiffers };

// Rebuilds piece bad from the parity piece and the other data pieces into the merged file at
// its place, then reads the merged file back against the whole-file CRC.
RebuildResult RebuildPiece(const PieceIo& io, const char* dir, const char* prefix,
                           const Checks& c, int bad, const char* mergedPath);

}  // namespace pieceset
