#include "parity.h"

#include <cstdio>
#include <cstring>

#include "base/crc32.h"

namespace pieceset {
namespace {

bool Decimal(const char* p, const char* end, uint64_t max, uint64_t* out) {
  if (p == end || end - p > 10) return false;
  uint64_t v = 0;
  for (; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + static_cast<uint64_t>(*p - '0');
  }
  if (v > max) return false;
  *out = v;
  return true;
}

bool Hex8(const char* p, const char* end, uint32_t* out) {
  if (end - p != 8) return false;
  uint32_t v = 0;
  for (; p < end; ++p) {
    const char ch = *p;
    uint32_t d;
    if (ch >= '0' && ch <= '9') d = static_cast<uint32_t>(ch - '0');
    else if (ch >= 'A' && ch <= 'F') d = static_cast<uint32_t>(ch - 'A' + 10);
    else return false;
    v = v << 4 | d;
  }
  *out = v;
  return true;
}

// Splits the line at semicolons: the next field from *p, which then stands past its semicolon.
bool NextField(const char** p, const char* end, const char** from, const char** to) {
  const void* semi = std::memchr(*p, ';', static_cast<std::size_t>(end - *p));
  if (!semi) return false;
  *from = *p;
  *to = static_cast<const char*>(semi);
  *p = *to + 1;
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
  const char* end = data + len;
  const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
  if (!lineEnd) return false;
  const char* p = line;
  const char *a, *b;
  uint64_t size, count, piece;
  if (!NextField(&p, lineEnd, &a, &b) || b - a != 5 || std::memcmp(a, "CRC32", 5) != 0) return false;
  if (!NextField(&p, lineEnd, &a, &b) || !Decimal(a, b, 2147483647u, &size)) return false;
  if (!NextField(&p, lineEnd, &a, &b) || !Decimal(a, b, kMaxPieces, &count) || count < 1) return false;
  if (!NextField(&p, lineEnd, &a, &b) || !Decimal(a, b, kMaxPieceBytes, &piece)) return false;
  if (static_cast<long>(size) != vals.size || static_cast<int>(count) != vals.count) return false;
  if (piece == 0 || piece % kBlockBytes != 0 || (count - 1) * piece >= size ||
      size > count * piece) {
    return false;
  }
  std::memset(out, 0, sizeof(*out));
  out->size = static_cast<long>(size);
  out->count = static_cast<int>(count);
  out->pieceBytes = static_cast<uint32_t>(piece);
  if (!NextField(&p, lineEnd, &a, &b) || !Hex8(a, b, &out->whole)) return false;
  for (int k = 1; k <= out->count + 1; ++k) {
    if (!NextField(&p, lineEnd, &a, &b) || !Hex8(a, b, &out->crc[k])) return false;
  }
  const std::size_t signedPart = static_cast<std::size_t>(p - line);
  uint32_t self;
  if (!NextField(&p, lineEnd, &a, &b) || !Hex8(a, b, &self) || p != lineEnd) return false;
  return Crc32Update(0, line, signedPart) == self;
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
    char name[24];
    std::snprintf(name, sizeof(name), "%sFILE-%d", i ? ", " : "", sorted[i]);
    const std::size_t w = std::strlen(name);
    if (n + w >= cap) return;
    std::memcpy(out + n, name, w);
    n += w;
  }
  if (bad.count > kept && n + 5 < cap) std::memcpy(out + n, ", ...", 5);
}

void DescribeBad(char* out, std::size_t cap, int piece, PieceState state, const Text (&texts)[3]) {
  const int i = state == PieceState::Missing ? 0 : state == PieceState::Short ? 1 : 2;
  ComposeMessage(out, cap, Tx(texts[i]), static_cast<long>(piece));
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
