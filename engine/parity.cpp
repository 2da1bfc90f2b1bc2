#include "parity.h"

#include <cstdio>
#include <cstring>

#include "base/crc32.h"

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

constexpr long kChunk = 160000;
unsigned char g_acc[kMaxPieceBytes];
unsigned char g_chunk[kChunk];

// Reads the first length bytes of path into to (or XORs them into it) and their CRC; a shorter
// file fails.
bool ReadPiece(const PieceIo& io, const char* path, uint32_t length, unsigned char* to, bool xorIn,
               uint32_t* crc) {
  intptr_t f = io.openRead(io.ctx, path);
  if (f == -1) return false;
  bool ok = true;
  uint32_t c = 0;
  for (uint32_t done = 0; ok && done < length;) {
    const long want = static_cast<long>(length - done < kChunk ? length - done : kChunk);
    const long got = io.read(io.ctx, f, g_chunk, want);
    if (got != want) {
      ok = false;
      break;
    }
    c = Crc32Update(c, g_chunk, static_cast<std::size_t>(got));
    if (xorIn) XorInto(to + done, g_chunk, static_cast<std::size_t>(got));
    else std::memcpy(to + done, g_chunk, static_cast<std::size_t>(got));
    done += static_cast<uint32_t>(got);
  }
  io.close(io.ctx, f);
  *crc = c;
  return ok;
}

// CRC and length of a whole file read from the start.
bool FileCrc(const PieceIo& io, const char* path, uint64_t* length, uint32_t* crc) {
  intptr_t f = io.openRead(io.ctx, path);
  if (f == -1) return false;
  uint32_t c = 0;
  uint64_t total = 0;
  long got;
  while ((got = io.read(io.ctx, f, g_chunk, kChunk)) > 0) {
    c = Crc32Update(c, g_chunk, static_cast<std::size_t>(got));
    total += static_cast<uint64_t>(got);
  }
  io.close(io.ctx, f);
  *length = total;
  *crc = c;
  return got == 0;
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
  if (!end || end - line < 6 || std::memcmp(line, "CRC32;", 6) != 0) return false;
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
  int sorted[kNamed];
  for (int i = 0; i < kept; ++i) {
    int j = i;
    for (; j > 0 && sorted[j - 1] > bad.piece[i]; --j) sorted[j] = sorted[j - 1];
    sorted[j] = bad.piece[i];
  }
  for (int i = 0; i < kept; ++i) {
    char number[kDecimalBytes], listed[kDecimalBytes + 8] = ", FILE-";
    DecimalText(number, sorted[i]);
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

bool ParityIsSound(const PieceIo& io, const char* dir, const char* prefix, const Checks& c) {
  char path[kPathBytes];
  uint32_t crc = 0;
  return ComposePiecePath(path, sizeof(path), dir, prefix, c.count + 1) &&
         ReadPiece(io, path, c.pieceBytes, g_acc, false, &crc) && crc == c.crc[c.count + 1];
}

RebuildResult RebuildPiece(const PieceIo& io, const char* dir, const char* prefix,
                           const Checks& c, int bad, const char* mergedPath) {
  char path[kPathBytes];
  uint32_t crc = 0;
  if (!ComposePiecePath(path, sizeof(path), dir, prefix, c.count + 1) ||
      !ReadPiece(io, path, c.pieceBytes, g_acc, false, &crc) || crc != c.crc[c.count + 1]) {
    return RebuildResult::ReadFailed;
  }
  for (int k = 1; k <= c.count; ++k) {
    if (k == bad) continue;
    if (!ComposePiecePath(path, sizeof(path), dir, prefix, k) ||
        !ReadPiece(io, path, PieceLength(c, k), g_acc, true, &crc)) {
      return RebuildResult::ReadFailed;
    }
    if (crc != c.crc[k]) return RebuildResult::ReadFailed;
  }
  const uint32_t length = PieceLength(c, bad);
  if (Crc32Update(0, g_acc, length) != c.crc[bad]) return RebuildResult::PieceDiffers;

  intptr_t f = io.openWrite(io.ctx, mergedPath);
  if (f == -1) return RebuildResult::WriteFailed;
  const bool written = io.seek(io.ctx, f, static_cast<uint32_t>(bad - 1) * c.pieceBytes) &&
                       io.write(io.ctx, f, g_acc, static_cast<long>(length)) == static_cast<long>(length);
  io.close(io.ctx, f);
  if (!written) return RebuildResult::WriteFailed;

  uint64_t total = 0;
  if (!FileCrc(io, mergedPath, &total, &crc)) return RebuildResult::ReadFailed;
  if (total != static_cast<uint64_t>(c.size) || crc != c.whole) return RebuildResult::WholeDiffers;
  return RebuildResult::Ok;
}

}  // namespace pieceset
