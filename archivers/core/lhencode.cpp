#include <cstring>
#include <memory>
#include "buf.h"

#include "crc16.h"
#include "errors.h"
#include "huffman.h"
#include "lhcodec.h"

namespace arc {
namespace {

constexpr int kNC = 510;
constexpr int kNT = 19;
constexpr int kNP = 14;
static_assert(kNC <= kMaxHuffmanSymbols, "the code builder holds every symbol");
constexpr int kTBIT = 5;
constexpr int kCBIT = 9;
constexpr int kPBIT = 4;

constexpr uint32_t kWSize = 8192;
constexpr uint32_t kWMask = kWSize - 1;
constexpr uint32_t kMaxMatch = 256;
constexpr uint32_t kMinMatch = 3;
constexpr int kHashBits = 15;
constexpr uint32_t kBufData = 1u << 17;
constexpr uint32_t kBufSize = kWSize + 1 + kBufData + kMaxMatch + 16;
constexpr uint32_t kBlockSymbols = 16384;
// Search effort: chain length, "good enough" length that shortens the chain,
// length at which a lazy search is skipped, and length that ends a search.
constexpr int kMaxChain = 64;
constexpr uint32_t kGoodLength = 16;
constexpr uint32_t kMaxLazy = 32;
constexpr uint32_t kNiceLength = 128;
// A three-byte match this far back costs more than its three literals.
constexpr uint32_t kTooFar = 4096;

inline int BitLength(uint32_t v) {
  int n = 0;
  while (v) {
    ++n;
    v >>= 1;
  }
  return n;
}

struct Encoder {
  ByteReader* in;
  ByteSink* out;
  uint64_t limit;
  int status = kOk;

  uint8_t buf[kBufSize];
  uint32_t head[1 << kHashBits];
  uint32_t prev[kWSize];
  uint32_t shift = kWSize + 1;  // absolute position = buffer index + shift
  uint32_t avail = 0;           // bytes in buf
  bool eof = false;
  uint64_t total = 0;
  uint16_t crc = 0;

  uint16_t syms[kBlockSymbols];
  uint16_t dists[kBlockSymbols];
  uint32_t nsym = 0, ndist = 0;
  uint32_t cFreq[kNC], pFreq[kNP];

  Vec<uint8_t> obuf;
  uint64_t bitBuf = 0;
  int bitCount = 0;
  uint64_t written = 0;

  void Put(int n, uint32_t v) {
    if (n == 0) return;
    bitBuf = (bitBuf << n) | (v & ((1u << n) - 1));
    bitCount += n;
    if (bitCount >= 32) {
      bitCount -= 32;
      uint32_t w = static_cast<uint32_t>(bitBuf >> bitCount);
      uint8_t b[4] = {static_cast<uint8_t>(w >> 24), static_cast<uint8_t>(w >> 16), static_cast<uint8_t>(w >> 8),
                      static_cast<uint8_t>(w)};
      if (!obuf.append(b, b + 4)) status = kErrDiskSpace;
    }
  }

  void FlushOut(bool final) {
    if (final && bitCount > 0) {
      Put(7, 0);
      while (bitCount >= 8) {
        bitCount -= 8;
        if (!obuf.push_back(static_cast<uint8_t>(bitBuf >> bitCount))) status = kErrDiskSpace;
      }
      bitCount = 0;
    }
    if (status != kOk || obuf.empty()) return;
    if (written + obuf.size() >= limit) {
      status = kErrNotSmaller;
    } else if (!out->Write(obuf.data(), obuf.size())) {
      status = kErrCannotWrite;
    }
    written += obuf.size();
    obuf.clear();
  }

  void Fill() {
    if (eof) return;
    uint32_t cur = avail;
    if (avail + 65536 > kWSize + 1 + kBufData) {
      // Keep one window (and the pending literal) behind the cursor.
      uint32_t keep = kWSize + 1;
      uint32_t from = pos > keep ? pos - keep : 0;
      memmove(buf, buf + from, avail - from);
      avail -= from;
      pos -= from;
      shift += from;
      cur = avail;
    }
    while (avail < kWSize + 1 + kBufData && !eof) {
      size_t got = in->Read(buf + avail, kWSize + 1 + kBufData - avail);
      if (got == 0) {
        eof = true;
        if (in->Failed()) status = kErrCannotRead;
      }
      avail += static_cast<uint32_t>(got);
    }
    crc = Crc16Update(crc, buf + cur, avail - cur);
    total += avail - cur;
    memset(buf + avail, 0, kMaxMatch + 16 < kBufSize - avail ? kMaxMatch + 16 : kBufSize - avail);
  }

  uint32_t pos = 0;  // cursor, buffer index

  uint32_t Hash(uint32_t i) const {
    uint32_t v = buf[i] | (buf[i + 1] << 8) | (buf[i + 2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  }

  uint32_t Insert(uint32_t i) {
    uint32_t h = Hash(i);
    uint32_t a = i + shift;
    uint32_t old = head[h];
    prev[a & kWMask] = old;
    head[h] = a;
    return old;
  }

  uint32_t LongestMatch(uint32_t cand, uint32_t best, uint32_t* dist) {
    uint32_t lookahead = avail - pos;
    uint32_t maxLen = lookahead < kMaxMatch ? lookahead : kMaxMatch;
    uint32_t nice = kNiceLength < maxLen ? kNiceLength : maxLen;
    if (best >= maxLen) return best;
    int chain = best >= kGoodLength ? kMaxChain / 4 : kMaxChain;
    uint32_t a = pos + shift;
    uint32_t lowest = a - kWSize;  // exclusive: distances stay below the window size
    const uint8_t* scan = buf + pos;
    // The window of bytes that a longer match must also cover, read as one word
    // (little-endian: with best == 2 only its first three bytes count).
    uint32_t endAt = best >= 3 ? best - 3 : 0;
    uint32_t endMask = best >= 3 ? 0xFFFFFFFFu : 0x00FFFFFFu;
    while (cand > lowest && cand < a) {
      const uint8_t* m = buf + (cand - shift);
      // Cheap rejection first: the bytes that would make this match longer, then the start.
      uint32_t mEnd, sEnd;
      uint16_t mStart, sStart;
      memcpy(&mEnd, m + endAt, 4);
      memcpy(&sEnd, scan + endAt, 4);
      memcpy(&mStart, m, 2);
      memcpy(&sStart, scan, 2);
      if (((mEnd ^ sEnd) & endMask) == 0 && mStart == sStart) {
        uint32_t len = 2;
        while (len < maxLen) {
          uint64_t x, y;
          memcpy(&x, m + len, 8);
          memcpy(&y, scan + len, 8);
          if (x != y) {
            len += static_cast<uint32_t>(__builtin_ctzll(x ^ y) >> 3);
            break;
          }
          len += 8;
        }
        if (len > maxLen) len = maxLen;
        if (len > best) {
          best = len;
          *dist = a - cand;
          if (len >= nice) break;
          endAt = best - 3;
          endMask = 0xFFFFFFFFu;
        }
      }
      if (--chain == 0) break;
      uint32_t next = prev[cand & kWMask];
      if (next >= cand) break;
      cand = next;
    }
    return best;
  }

  void Literal(uint8_t c) {
    syms[nsym++] = c;
    cFreq[c]++;
    if (nsym == kBlockSymbols) SendBlock();
  }

  void Match(uint32_t len, uint32_t dist) {
    uint16_t c = static_cast<uint16_t>(256 + len - kMinMatch);
    syms[nsym++] = c;
    cFreq[c]++;
    uint32_t p = dist - 1;
    dists[ndist++] = static_cast<uint16_t>(p);
    pFreq[BitLength(p)]++;
    if (nsym == kBlockSymbols) SendBlock();
  }

  void WritePtLen(const uint8_t* len, int n, int nbit, int special) {
    while (n > 0 && len[n - 1] == 0) --n;
    Put(nbit, static_cast<uint32_t>(n));
    int i = 0;
    while (i < n) {
      int k = len[i++];
      if (k <= 6) {
        Put(3, static_cast<uint32_t>(k));
      } else {
        Put(k - 3, 0xFFFEu);  // k-4 ones and a zero
      }
      if (i == special) {
        while (i < 6 && len[i] == 0) ++i;
        Put(2, static_cast<uint32_t>(i - 3));
      }
    }
  }

  void SendBlock() {
    if (nsym == 0) return;
    uint8_t cLen[kNC], tLen[kNT], pLen[kNP];
    uint16_t cCode[kNC], tCode[kNT], pCode[kNP];
    Put(16, nsym);
    int used = BuildCodeLengths(cFreq, kNC, 16, cLen);
    if (used <= 1) {
      int sym = 0;
      while (cFreq[sym] == 0) ++sym;
      Put(kTBIT, 0);
      Put(kTBIT, 0);
      Put(kCBIT, 0);
      Put(kCBIT, static_cast<uint32_t>(sym));
      memset(cLen, 0, sizeof cLen);
    } else {
      uint32_t tFreq[kNT] = {};
      int n = kNC;
      while (n > 0 && cLen[n - 1] == 0) --n;
      for (int i = 0; i < n;) {
        int k = cLen[i++];
        if (k == 0) {
          int run = 1;
          while (i < n && cLen[i] == 0) {
            ++i;
            ++run;
          }
          if (run <= 2) tFreq[0] += run;
          else if (run <= 18) tFreq[1]++;
          else if (run == 19) tFreq[0]++, tFreq[1]++;
          else tFreq[2]++;
        } else {
          tFreq[k + 2]++;
        }
      }
      int tUsed = BuildCodeLengths(tFreq, kNT, 16, tLen);
      if (tUsed <= 1) {
        int sym = 0;
        while (tFreq[sym] == 0) ++sym;
        Put(kTBIT, 0);
        Put(kTBIT, static_cast<uint32_t>(sym));
        memset(tLen, 0, sizeof tLen);
      } else {
        WritePtLen(tLen, kNT, kTBIT, 3);
      }
      BuildCanonicalCodes(tLen, kNT, tCode);
      Put(kCBIT, static_cast<uint32_t>(n));
      for (int i = 0; i < n;) {
        int k = cLen[i++];
        if (k == 0) {
          int run = 1;
          while (i < n && cLen[i] == 0) {
            ++i;
            ++run;
          }
          if (run <= 2) {
            for (int r = 0; r < run; ++r) Put(tLen[0], tCode[0]);
          } else if (run <= 18) {
            Put(tLen[1], tCode[1]);
            Put(4, static_cast<uint32_t>(run - 3));
          } else if (run == 19) {
            Put(tLen[0], tCode[0]);
            Put(tLen[1], tCode[1]);
            Put(4, 15);
          } else {
            Put(tLen[2], tCode[2]);
            Put(kCBIT, static_cast<uint32_t>(run - 20));
          }
        } else {
          Put(tLen[k + 2], tCode[k + 2]);
        }
      }
    }
    BuildCanonicalCodes(cLen, kNC, cCode);
    int pUsed = BuildCodeLengths(pFreq, kNP, 16, pLen);
    if (pUsed <= 1) {
      int sym = 0;
      while (sym < kNP - 1 && pFreq[sym] == 0) ++sym;
      Put(kPBIT, 0);
      Put(kPBIT, pUsed ? static_cast<uint32_t>(sym) : 0);
      memset(pLen, 0, sizeof pLen);
    } else {
      WritePtLen(pLen, kNP, kPBIT, -1);
    }
    BuildCanonicalCodes(pLen, kNP, pCode);
    uint32_t d = 0;
    for (uint32_t i = 0; i < nsym; ++i) {
      uint16_t c = syms[i];
      Put(cLen[c], cCode[c]);
      if (c >= 256) {
        uint32_t p = dists[d++];
        int pc = BitLength(p);
        Put(pLen[pc], pCode[pc]);
        if (pc > 1) Put(pc - 1, p);
      }
    }
    nsym = ndist = 0;
    memset(cFreq, 0, sizeof cFreq);
    memset(pFreq, 0, sizeof pFreq);
    FlushOut(false);
  }

  void Run() {
    memset(head, 0, sizeof head);
    memset(prev, 0, sizeof prev);
    memset(cFreq, 0, sizeof cFreq);
    memset(pFreq, 0, sizeof pFreq);
    Fill();
    uint32_t matchLen = kMinMatch - 1, matchDist = 0;
    bool pending = false;  // a literal at pos - 1 waits for the lazy decision
    while (status == kOk) {
      if (avail - pos < kMaxMatch + kMinMatch && !eof) {
        Fill();
        if (total > 0xFFF00000u) status = kErrTooLarge;
      }
      uint32_t lookahead = avail - pos;
      if (lookahead == 0) break;
      uint32_t cand = 0;
      if (lookahead >= kMinMatch) cand = Insert(pos);
      uint32_t prevLen = matchLen, prevDist = matchDist;
      matchLen = kMinMatch - 1;
      if (prevLen < kMaxLazy && cand + kWSize > pos + shift) {
        matchLen = LongestMatch(cand, prevLen > kMinMatch - 1 ? prevLen : kMinMatch - 1, &matchDist);
        if (matchLen <= prevLen) matchLen = kMinMatch - 1;
        if (matchLen == kMinMatch && matchDist > kTooFar) matchLen = kMinMatch - 1;
      }
      if (prevLen >= kMinMatch && matchLen <= prevLen) {
        Match(prevLen, prevDist);
        // The match began at pos - 1 and pos is already in the hash.
        uint32_t end = pos - 1 + prevLen;
        uint32_t stop = avail >= kMinMatch ? avail - kMinMatch + 1 : 0;
        for (uint32_t i = pos + 1; i < end; ++i)
          if (i < stop) Insert(i);
        pos = end;
        pending = false;
        matchLen = kMinMatch - 1;
      } else if (pending) {
        Literal(buf[pos - 1]);
        ++pos;
      } else {
        pending = true;
        ++pos;
      }
    }
    if (status != kOk) return;
    if (pending) Literal(buf[pos - 1]);
    SendBlock();
    FlushOut(true);
  }
};

}  // namespace

int LhEncode(ByteReader& in, ByteSink& out, uint64_t limit, LhEncodeResult* result) {
  Owned<Encoder> e;
  if (!e) return kErrDiskSpace;
  e->in = &in;
  e->out = &out;
  e->limit = limit;
  e->Run();
  if (e->status != kOk) return e->status;
  result->packed = e->written;
  result->original = e->total;
  result->crc = e->crc;
  return kOk;
}

}  // namespace arc
