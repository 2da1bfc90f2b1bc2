#include "parity.h"

#include <cstdio>
#include <cstring>

#include "base/crc32.h"
#include "parity_code.h"

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
      if (digit > max || v > (max - digit) / 10) return false;
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

void Put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Whether the first n bytes of a and b are the same (Rundelo imports no memcmp for it).
bool SameBytes(const void* a, const void* b, std::size_t n) {
  const unsigned char *p = static_cast<const unsigned char*>(a), *q = static_cast<const unsigned char*>(b);
  for (; n && *p == *q; --n) ++p, ++q;
  return n == 0;
}

// The line of the further parity pieces at line, up to end: r, with the CRCs of rows 1 to r - 1
// put into crc[1] on; 1 when there is no sound one there. "PARITY;", r of one digit, then r
// fields of eight upper-case hexadecimal digits (those CRCs, then the line's own), then the
// line feed.
int ParityLineAt(const char* line, const char* end, uint32_t* crc) {
  const char* eol = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
  const char* p = line + 7;
  uint32_t r, field[kMaxParity + 1];
  if (!eol || eol - line < 7 || !SameBytes(line, "PARITY;", 7) || !NumberField(&p, eol, false, kMaxParity, &r) ||
      p != line + 9 || r < 2) {
    return 1;
  }
  for (uint32_t f = 1; f <= r; ++f) {
    if (!NumberField(&p, eol, true, 0, &field[f])) return 1;
  }
  if (p != eol || Crc32Update(0, line, 9 * r) != field[r]) return 1;
  for (uint32_t t = 1; t < r; ++t) crc[t] = field[t];
  return static_cast<int>(r);
}

uint32_t Get32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
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
  if (!NumberField(&p, end, true, 0, &self) || p != end || Crc32Update(0, line, signedPart) != self) {
    return false;
  }
  out->parity = ParityLineAt(end + 1, data + len, out->crc + out->count + 1);
  return true;
}

void ReadParityLine(const char* data, std::size_t len, const Checks& c, ParityPieces* out) {
  std::memset(out, 0, sizeof(*out));
  out->crc[0] = c.crc[c.count + 1];
  // The record's line feed, then the check line's.
  const char* end = data + len;
  const char* line = data;
  for (int i = 0; i < 2 && line; ++i) {
    line = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
    if (line) ++line;
  }
  out->count = line ? ParityLineAt(line, end, out->crc) : 1;
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

bool TakeBlockChecks(const Checks& c, const unsigned char* file, BlockChecks* out) {
  // The header FormatBlockHeader writes for c: the tag "BLK1", the fields, and the CRC of those
  // 24 bytes, which holds exactly when they are the ones written.
  const uint32_t header[7] = {0x314B4C42u, kBlock, static_cast<uint32_t>(c.count), c.pieceBytes,
                              static_cast<uint32_t>(c.size), c.whole, Crc32Update(0, file, 24)};
  bool agrees = true;
  for (int i = 0; i < 7; ++i) agrees &= Get32(file + 4 * i) == header[i];
  const uint32_t n = BlockRecordBytes(c) - 4;
  for (int k = 1; k <= c.count + c.parity; ++k) {
    const unsigned char* record = file + BlockRecordAt(c, k);
    for (uint32_t i = 0; i < n / 4; ++i) out->crc[k][i] = Get32(record + 4 * i);
    // A record is taken only where its blocks add up to the piece's CRC on the check line:
    // blocks that pass it then make up the very piece the line was written for.
    out->sound[k] = agrees && Crc32Update(0, record, n) == Get32(record + n) &&
                    Crc32OfBlocks(out->crc[k], PieceLength(c, k), kBlock) == c.crc[k];
  }
  return agrees;
}

}  // namespace pieceset
