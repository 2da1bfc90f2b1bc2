#include "parity.h"

#include <cstdio>
#include <cstring>

#include "base/crc32.h"
#include "base/sidework.h"

namespace pieceset {
namespace {

// The field at *p up to its semicolon, which *p then stands past: exactly eight upper-case
// hexadecimal digits when hex, else at most ten decimal digits worth at most max (in 32 bits:
// 64-bit division would bring in a runtime helper).
bool NumberField(const char** p, const char* end, bool hex, uint32_t max, uint32_t* out) {
  const char* q = *p;
  uint32_t v = 0;
  for (; q < end && *q != ';'; ++q) {
    const char ch = *q;
    uint32_t digit;
    if (ch >= '0' && ch <= '9') digit = static_cast<uint32_t>(ch - '0');
    else if (hex && ch >= 'A' && ch <= 'F') digit = static_cast<uint32_t>(ch - 'A' + 10);
    else return false;
    if (hex) {
      v = v << 4 | digit;
    } else {
      if (v > (max - digit) / 10) return false;
      v = v * 10 + digit;
    }
  }
  const long digits = q - *p;
  if (q == end || digits == 0 || (hex ? digits != 8 : digits > 10)) return false;
  *p = q + 1;
  *out = v;
  return true;
}

constexpr uint32_t kBlock = kBlockBytes;

// A piece as it is read: its bytes, which of its blocks could not be read, and once the side
// work is done the CRC of each block (the piece's own CRC where it has no block checks).
struct Piece {
  int k;
  PieceState why;
  uint32_t length;
  bool byBlock;  // the piece has block checks of its own
  unsigned char bytes[kMaxPieceBytes];
  bool unread[kMaxBlocks];
  uint32_t crc[kMaxBlocks];
  uint32_t pieceCrc;
};
// Two in turn: a piece is read and written while the side work works out the CRCs of the one
// before it, so that they cost no time of their own. The first also holds what is read whole:
// the block checks, and the parity piece that a rebuild adds the stripes into.
Piece g_held[2];
int g_turn;
// The piece whose CRCs the side work works out, still to be judged; or none.
Piece* g_judging;
unsigned char g_chunk[kBlock];
// The blocks of the piece judged last that are damaged.
bool g_damaged[kMaxBlocks];

// Bytes of block j of a piece of length bytes: 0 past its end.
uint32_t BlockLength(uint32_t length, uint32_t j) {
  const uint32_t at = j * kBlock;
  return at >= length ? 0 : length - at < kBlock ? length - at : kBlock;
}

uint32_t Blocks(uint32_t length) { return (length + kBlock - 1) / kBlock; }

// Where block j of data piece k stands in the merged file.
uint32_t MergedAt(const Checks& c, int k, uint32_t j) {
  return static_cast<uint32_t>(k - 1) * c.pieceBytes + j * kBlock;
}

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Whether the first n bytes of a and b are the same (Rundelo imports no memcmp for it).
bool SameBytes(const void* a, const void* b, std::size_t n) {
  const unsigned char *p = static_cast<const unsigned char*>(a), *q = static_cast<const unsigned char*>(b);
  for (; n && *p == *q; --n) ++p, ++q;
  return n == 0;
}

uint32_t Get32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads p.length bytes from the start of f (just opened; -1 for none) into p in one read, or
// where that fails block by block: a block that cannot be read whole is unread, and cleared
// past what could be read of it.
void ReadBlocks(const PieceIo& io, intptr_t f, Piece& p) {
  std::memset(p.unread, 0, sizeof(p.unread));
  if (f != -1 && io.read(io.ctx, f, p.bytes, static_cast<long>(p.length)) == static_cast<long>(p.length)) return;
  for (uint32_t j = 0; j < Blocks(p.length); ++j) {
    unsigned char* block = p.bytes + j * kBlock;
    const long n = static_cast<long>(BlockLength(p.length, j));
    long got = f == -1 || !io.seek(io.ctx, f, j * kBlock) ? -1 : io.read(io.ctx, f, block, n);
    if (got != n) {
      if (got < 0) got = 0;
      std::memset(block + got, 0, static_cast<std::size_t>(n - got));
      p.unread[j] = true;
    }
  }
}

// The side work on a Piece: the CRC of each block where it has block checks, else its own.
void WorkOutCrcs(void* ctx) {
  Piece& p = *static_cast<Piece*>(ctx);
  if (!p.byBlock) p.pieceCrc = Crc32Update(0, p.bytes, p.length);
  for (uint32_t j = 0; p.byBlock && j < Blocks(p.length); ++j) {
    p.crc[j] = Crc32Update(0, p.bytes + j * kBlock, BlockLength(p.length, j));
  }
}

// Judges the blocks of p, its CRCs worked out, into g_damaged; true when any is damaged. A
// piece without block checks of its own is damaged in every block or in none.
bool JudgeBlocks(const Checks& c, const BlockChecks* b, const Piece& p) {
  const uint32_t blocks = Blocks(p.length);
  bool bad = !p.byBlock && p.pieceCrc != c.crc[p.k];
  for (uint32_t j = 0; j < kMaxBlocks; ++j) {
    g_damaged[j] = j < blocks && (p.unread[j] || (p.byBlock && p.crc[j] != b->crc[p.k][j]));
    bad |= g_damaged[j];
  }
  if (bad && !p.byBlock) std::memset(g_damaged, 1, blocks);
  return bad;
}

// The piece of the check line numbered k, to be read into the next of the two.
Piece& NextPiece(const Checks& c, const BlockChecks* b, int k) {
  Piece& p = g_held[g_turn ^= 1];
  p.k = k;
  p.length = PieceLength(c, k);
  p.byBlock = b && b->sound[k];
  return p;
}

// Reads and judges the parity piece at path into the first of the two; true when any block
// is damaged. No piece may be waiting for its judgement.
bool ReadParity(const PieceIo& io, const char* path, const Checks& c, const BlockChecks* b) {
  g_turn = 1;
  Piece& p = NextPiece(c, b, c.count + 1);
  const intptr_t f = io.openRead(io.ctx, path);
  ReadBlocks(io, f, p);
  if (f != -1) io.close(io.ctx, f);
  WorkOutCrcs(&p);
  return JudgeBlocks(c, b, p);
}

void MarkBlock(Stripes* s, int k, int j, PieceState why) {
  int16_t& owner = s->owner[j];
  if (owner == 0) {
    owner = static_cast<int16_t>(k);
    ++s->damaged;
  } else if (owner != k) {
    owner = -1;
    s->clash = true;
  }
  if (s->state[k] == PieceState::Good) {
    s->state[k] = why;
    NoteBad(&s->bad, k, why);
  }
}

}  // namespace

std::size_t FormatChecks(char* out, std::size_t cap, const Checks& c) {
  if (cap == 0) return 0;
  std::memset(out, 0, cap);
  if (c.count < 1 || c.count > kMaxPieces) return 0;
  std::size_t n = 0;
  auto add = [&](const char* fmt, unsigned long v) {
    if (n >= cap) return;
    int w = std::snprintf(out + n, cap - n, fmt, v);
    n = w < 0 ? cap : n + static_cast<std::size_t>(w);
  };
  add("CRC32;%lu;", static_cast<unsigned long>(c.size));
  add("%lu;", static_cast<unsigned long>(c.count));
  add("%lu;", c.pieceBytes);
  add("%08lX;", c.whole);
  for (int k = 1; k <= c.count + 1; ++k) add("%08lX;", c.crc[k]);
  if (n >= cap) {
    std::memset(out, 0, cap);
    return 0;
  }
  add("%08lX;\n", Crc32Update(0, out, n));
  if (n >= cap) {
    std::memset(out, 0, cap);
    return 0;
  }
  return n;
}

bool ReadChecks(const char* data, std::size_t len, const InfoValues& vals, Checks* out) {
  const char* nl = static_cast<const char*>(std::memchr(data, '\n', len));
  if (!nl) return false;
  const char* line = nl + 1;
  const char* end = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(data + len - line)));
  if (!end || end - line < 6 || !SameBytes(line, "CRC32;", 6)) return false;
  const char* p = line + 6;
  uint32_t size, count, piece;
  if (!NumberField(&p, end, false, 2147483647u, &size) ||
      !NumberField(&p, end, false, kMaxPieces, &count) ||
      !NumberField(&p, end, false, kMaxPieceBytes, &piece)) {
    return false;
  }
  if (count < 1 || static_cast<long>(size) != vals.size || static_cast<int>(count) != vals.count) {
    return false;
  }
  // count * piece is below 2^32: at most 999 pieces of at most kMaxPieceBytes.
  if (piece == 0 || piece % kBlockBytes != 0 || (count - 1) * piece >= size ||
      size > count * piece) {
    return false;
  }
  std::memset(out, 0, sizeof(*out));
  out->size = static_cast<long>(size);
  out->count = static_cast<int>(count);
  out->pieceBytes = piece;
  if (!NumberField(&p, end, true, 0, &out->whole)) return false;
  for (int k = 1; k <= out->count + 1; ++k) {
    if (!NumberField(&p, end, true, 0, &out->crc[k])) return false;
  }
  const std::size_t signedPart = static_cast<std::size_t>(p - line);
  uint32_t self;
  return NumberField(&p, end, true, 0, &self) && p == end && Crc32Update(0, line, signedPart) == self;
}

uint32_t PieceLength(const Checks& c, int k) {
  if (k == c.count) return static_cast<uint32_t>(c.size - static_cast<long>(c.count - 1) * static_cast<long>(c.pieceBytes));
  return c.pieceBytes;
}

PieceState JudgeLength(const Checks& c, int k, uint64_t length) {
  const uint32_t want = PieceLength(c, k);
  if (length < want) return PieceState::Short;
  if (length > want) return PieceState::Long;
  return PieceState::Good;
}

void NoteBad(BadPieces* bad, int k, PieceState s) {
  if (bad->count < kNamed) {
    bad->piece[bad->count] = k;
    bad->state[bad->count] = s;
  }
  ++bad->count;
}

void ListBad(const BadPieces& bad, char* out, std::size_t cap) {
  if (cap == 0) return;
  std::memset(out, 0, cap);
  std::size_t n = 0;
  const int kept = bad.count < kNamed ? bad.count : kNamed;
  for (int i = 0; i < kept; ++i) {
    char number[kDecimalBytes], listed[kDecimalBytes + 8] = ", FILE-";
    DecimalText(number, bad.piece[i]);
    std::memcpy(listed + 7, number, sizeof(number));
    const char* name = i ? listed : listed + 2;
    const std::size_t w = std::strlen(name);
    if (n + w >= cap) return;
    std::memcpy(out + n, name, w);
    n += w;
  }
  if (bad.count > kept && n + 5 < cap) std::memcpy(out + n, ", ...", 5);
}

const Text& BadPieceText(PieceState state, const Text (&texts)[3]) {
  return texts[state == PieceState::Missing ? 0 : state == PieceState::Short ? 1 : 2];
}

void DescribeBad(char* out, std::size_t cap, int piece, PieceState state, const Text (&texts)[3]) {
  ComposeMessage(out, cap, Tx(BadPieceText(state, texts)), static_cast<long>(piece));
}

void XorInto(unsigned char* to, const unsigned char* from, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) to[i] ^= from[i];
}

void FormatBlockHeader(const Checks& c, unsigned char* out) {
  std::memcpy(out, "BLK1", 4);
  const uint32_t fields[5] = {kBlock, static_cast<uint32_t>(c.count), c.pieceBytes,
                              static_cast<uint32_t>(c.size), c.whole};
  for (int i = 0; i < 5; ++i) Put32(out + 4 + 4 * i, fields[i]);
  Put32(out + 24, Crc32Update(0, out, 24));
}

void FormatBlockRecord(const Checks& c, const uint32_t* crc, unsigned char* out) {
  const uint32_t n = BlockRecordBytes(c) - 4;
  for (uint32_t i = 0; i < n / 4; ++i) Put32(out + 4 * i, crc[i]);
  Put32(out + n, Crc32Update(0, out, n));
}

bool ReadBlockChecks(const PieceIo& io, const char* path, const Checks& c, BlockChecks* out) {
  // Read as a piece is: a stretch that cannot be read costs only the records in it.
  Piece& file = g_held[0];
  file.length = BlockRecordAt(c, c.count + 2);
  const intptr_t f = io.openRead(io.ctx, path);
  ReadBlocks(io, f, file);
  if (f != -1) io.close(io.ctx, f);
  unsigned char header[kBlockHeaderBytes];
  FormatBlockHeader(c, header);
  const bool agrees = SameBytes(file.bytes, header, sizeof(header));
  const uint32_t n = BlockRecordBytes(c) - 4;
  for (int k = 1; k <= c.count + 1; ++k) {
    const unsigned char* record = file.bytes + BlockRecordAt(c, k);
    for (uint32_t i = 0; i < n / 4; ++i) out->crc[k][i] = Get32(record + 4 * i);
    // A record is taken only where its blocks add up to the piece's CRC on the check line:
    // blocks that pass it then make up the very piece the line was written for.
    out->sound[k] = agrees && Crc32Update(0, record, n) == Get32(record + n) &&
                    Crc32OfBlocks(out->crc[k], PieceLength(c, k), kBlock) == c.crc[k];
  }
  return agrees;
}

bool CopyPiece(const PieceIo& io, intptr_t in, intptr_t out, const Checks& c, const BlockChecks* b,
               int k, PieceState why, Stripes* s) {
  Piece& p = NextPiece(c, b, k);
  p.why = why;
  ReadBlocks(io, in, p);
  FinishPieces(c, b, s);
  g_judging = &p;
  BeginSideWork(WorkOutCrcs, &p);
  return out == -1 || in == -1 ||
         (io.seek(io.ctx, out, MergedAt(c, k, 0)) &&
          io.write(io.ctx, out, p.bytes, static_cast<long>(p.length)) == static_cast<long>(p.length));
}

void FinishPieces(const Checks& c, const BlockChecks* b, Stripes* s) {
  EndSideWork();
  if (!g_judging) return;
  JudgeBlocks(c, b, *g_judging);
  for (int j = 0; j < kMaxBlocks; ++j) {
    if (g_damaged[j]) MarkBlock(s, g_judging->k, j, g_judging->why);
  }
  g_judging = nullptr;
}

RepairPlan PlanRepair(const PieceIo& io, const char* parityPath, const Checks& c,
                      const BlockChecks* b, const Stripes& s) {
  if (s.damaged == 0) return RepairPlan::Sound;
  if (s.clash) return RepairPlan::SameStripe;
  ReadParity(io, parityPath, c, b);
  for (int j = 0; j < kMaxBlocks; ++j) {
    if (s.owner[j] > 0 && g_damaged[j]) return RepairPlan::NoParity;
  }
  return RepairPlan::Possible;
}

bool RebuildStripes(const PieceIo& io, const Checks& c, const BlockChecks* b, const Stripes& s,
                    const char* mergedPath) {
  // The first piece held is the parity piece: the same block of every other data piece goes
  // into each of its blocks, which is then checked and written in its place. A piece without
  // block checks of its own is damaged in every block and is checked whole (two such pieces
  // would share their first stripe).
  const intptr_t f = io.openWrite(io.ctx, mergedPath);
  bool ok = f != -1;
  int whole = 0;
  for (uint32_t j = 0; ok && j < kMaxBlocks; ++j) {
    const int d = s.owner[j];
    if (d <= 0) continue;
    unsigned char* block = g_held[0].bytes + j * kBlock;
    for (int k = 1; ok && k <= c.count; ++k) {
      const long n = static_cast<long>(BlockLength(PieceLength(c, k), j));
      if (k == d || n <= 0) continue;
      ok = io.seek(io.ctx, f, MergedAt(c, k, j)) && io.read(io.ctx, f, g_chunk, n) == n;
      XorInto(block, g_chunk, static_cast<std::size_t>(n));
    }
    const long n = static_cast<long>(BlockLength(PieceLength(c, d), j));
    if (b && b->sound[d]) ok = ok && Crc32Update(0, block, static_cast<std::size_t>(n)) == b->crc[d][j];
    else whole = d;
    ok = ok && io.seek(io.ctx, f, MergedAt(c, d, j)) && io.write(io.ctx, f, block, n) == n;
  }
  if (f != -1) io.close(io.ctx, f);
  // Its blocks stand in the parity piece's place as in the piece, from the first. Every other block of the merged
  // file passed its check as it was copied, so each piece now has its CRC on the check line,
  // and the whole file the CRC those add up to: it is checked against the whole-file CRC
  // without being read again.
  return ok && (!whole || Crc32Update(0, g_held[0].bytes, PieceLength(c, whole)) == c.crc[whole]) &&
         Crc32OfBlocks(c.crc + 1, static_cast<uint32_t>(c.size), c.pieceBytes) == c.whole;
}

}  // namespace pieceset
