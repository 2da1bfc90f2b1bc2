#include <cstring>
#include <type_traits>

#include "crc16.h"
#include "errors.h"
#include "lhcodec.h"

namespace arc {
namespace {

constexpr int kNC = 510;
constexpr int kNT = 19;
constexpr int kTBIT = 5;
constexpr int kCBIT = 9;
constexpr int kMaxNP = 17;
constexpr int kFastBits = 12;

class BitReader {
 public:
  BitReader(ByteSource& src, uint64_t offset, uint64_t size) : src_(src), pos_(offset), end_(offset + size) {}

  void Refill() {
    while (count_ <= 56) {
      if (bufPos_ == bufLen_) Load();
      uint64_t byte = 0;
      if (bufPos_ < bufLen_) {
        byte = buf_[bufPos_++];
      } else {
        phantom_ += 8;
      }
      bits_ |= byte << (56 - count_);
      count_ += 8;
    }
  }
  uint32_t Peek(int n) const { return static_cast<uint32_t>(bits_ >> (64 - n)); }
  void Skip(int n) {
    bits_ <<= n;
    count_ -= n;
  }
  uint32_t Get(int n) {
    if (n == 0) return 0;
    if (count_ < n) Refill();
    uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  // Bits taken from beyond the end of the packed data mean it was cut short.
  bool Overrun() const { return phantom_ > static_cast<uint64_t>(count_); }
  bool ReadFailed() const { return readFailed_; }

 private:
  void Load() {
    bufPos_ = bufLen_ = 0;
    if (pos_ >= end_) return;
    uint64_t want = end_ - pos_;
    if (want > sizeof buf_) want = sizeof buf_;
    bufLen_ = src_.ReadAt(pos_, buf_, static_cast<size_t>(want));
    if (bufLen_ == 0) {
      readFailed_ = true;
      pos_ = end_;
    }
    pos_ += bufLen_;
  }

  ByteSource& src_;
  uint64_t pos_, end_;
  uint8_t buf_[16384];
  size_t bufPos_ = 0, bufLen_ = 0;
  uint64_t bits_ = 0;
  int count_ = 0;
  uint64_t phantom_ = 0;
  bool readFailed_ = false;
};

// Canonical Huffman decoding: one table lookup for short codes, a walk over the
// code lengths for the rest.
struct HuffDecoder {
  uint16_t fast[1 << kFastBits];
  uint32_t start[17];
  uint16_t count[17];
  uint16_t offs[17];
  uint16_t sorted[kNC];
  bool constant = false;
  uint16_t constSym = 0;

  void SetConstant(uint16_t sym) {
    constant = true;
    constSym = sym;
  }

  bool Build(const uint8_t* len, int n) {
    constant = false;
    memset(count, 0, sizeof count);
    for (int i = 0; i < n; ++i) {
      if (len[i] > 16) return false;
      count[len[i]]++;
    }
    count[0] = 0;
    int32_t left = 1, total = 0;
    for (int l = 1; l <= 16; ++l) {
      left = left * 2 - count[l];
      if (left < 0) return false;
      total += count[l];
    }
    if (total == 0) return false;
    uint32_t code = 0;
    uint16_t idx = 0;
    for (int l = 1; l <= 16; ++l) {
      start[l] = code;
      offs[l] = idx;
      idx = static_cast<uint16_t>(idx + count[l]);
      code = (code + count[l]) << 1;
    }
    uint16_t fill[17];
    memcpy(fill, offs, sizeof fill);
    for (int i = 0; i < n; ++i)
      if (len[i]) sorted[fill[len[i]]++] = static_cast<uint16_t>(i);
    memset(fast, 0xFF, sizeof fast);
    for (int l = 1; l <= kFastBits; ++l) {
      for (int k = 0; k < count[l]; ++k) {
        uint32_t c = start[l] + k;
        uint16_t entry = static_cast<uint16_t>((sorted[offs[l] + k] << 5) | l);
        uint32_t from = c << (kFastBits - l), to = (c + 1) << (kFastBits - l);
        for (uint32_t e = from; e < to; ++e) fast[e] = entry;
      }
    }
    return true;
  }

  // Needs at least 16 bits in the reader; returns -1 for a code that is not in the table.
  int Decode(BitReader& br) const {
    if (constant) return constSym;
    uint16_t e = fast[br.Peek(kFastBits)];
    if (e != 0xFFFF) {
      br.Skip(e & 31);
      return e >> 5;
    }
    uint32_t bits = br.Peek(16);
    for (int l = kFastBits + 1; l <= 16; ++l) {
      uint32_t v = bits >> (16 - l);
      if (v - start[l] < count[l]) {
        br.Skip(l);
        return sorted[offs[l] + v - start[l]];
      }
    }
    return -1;
  }
};

struct LhDecoder {
  BitReader br;
  HuffDecoder c, pt;
  uint8_t cLen[kNC];
  uint8_t ptLen[kMaxNP > kNT ? kMaxNP : kNT];
  int np, pbit;
  uint8_t ring[1 << 16];

  LhDecoder(ByteSource& src, uint64_t offset, uint64_t packed) : br(src, offset, packed) {}

  bool ReadPtLen(int nn, int nbit, int special) {
    int n = static_cast<int>(br.Get(nbit));
    if (n == 0) {
      pt.SetConstant(static_cast<uint16_t>(br.Get(nbit)));
      return pt.constSym < nn;
    }
    if (n > nn) return false;
    int i = 0;
    while (i < n) {
      br.Refill();
      int v = static_cast<int>(br.Peek(3));
      if (v == 7) {
        uint32_t mask = 1u << 12;
        uint32_t bits = br.Peek(16);
        while (bits & mask) {
          mask >>= 1;
          ++v;
          if (v > 16) return false;
        }
        br.Skip(v - 3);
      } else {
        br.Skip(3);
      }
      ptLen[i++] = static_cast<uint8_t>(v);
      if (i == special) {
        int z = static_cast<int>(br.Get(2));
        while (z-- > 0 && i < nn) ptLen[i++] = 0;
      }
    }
    while (i < nn) ptLen[i++] = 0;
    return pt.Build(ptLen, nn);
  }

  bool ReadCLen() {
    int n = static_cast<int>(br.Get(kCBIT));
    if (n == 0) {
      c.SetConstant(static_cast<uint16_t>(br.Get(kCBIT)));
      return c.constSym < kNC;
    }
    if (n > kNC) return false;
    int i = 0;
    while (i < n) {
      br.Refill();
      int v = pt.Decode(br);
      if (v < 0) return false;
      if (v <= 2) {
        int run = v == 0 ? 1 : v == 1 ? static_cast<int>(br.Get(4)) + 3 : static_cast<int>(br.Get(kCBIT)) + 20;
        if (i + run > n) return false;
        while (run-- > 0) cLen[i++] = 0;
      } else {
        cLen[i++] = static_cast<uint8_t>(v - 2);
      }
    }
    while (i < kNC) cLen[i++] = 0;
    return c.Build(cLen, kNC);
  }

  bool ReadBlockHeader(uint32_t* size) {
    br.Refill();
    *size = br.Get(16);
    if (*size == 0) return false;
    if (!ReadPtLen(kNT, kTBIT, 3) || !ReadCLen()) return false;
    return ReadPtLen(np, pbit, -1);
  }
};

}  // namespace

int LhDictionaryBits(const char method[5]) {
  if (method[0] != '-' || method[1] != 'l' || method[2] != 'h' || method[4] != '-') return 0;
  switch (method[3]) {
    case '4': return 12;
    case '5': return 13;
    case '6': return 15;
    case '7': return 16;
  }
  return 0;
}

bool LhDecodeRoom::Make() { return bytes_.reserve(sizeof(LhDecoder)); }

int LhDecode(LhDecodeRoom& room, int dicbit, ByteSource& src, uint64_t offset, uint64_t packed, uint64_t original,
             ByteSink& out, uint16_t* crc) {
  if (!room.get()) return kErrDiskSpace;
  // Nothing in the decoder needs to be undone, so it is simply made anew over the last one.
  static_assert(std::is_trivially_destructible_v<LhDecoder>, "the room is never cleaned up");
  LhDecoder* d = new (room.get()) LhDecoder(src, offset, packed);
  d->np = dicbit + 1;
  d->pbit = dicbit <= 13 ? 4 : 5;
  memset(d->ring, ' ', sizeof d->ring);
  uint16_t sum = 0;
  uint32_t r = 0;  // ring position; the ring is flushed each time it fills
  uint32_t flushed = 0;
  uint64_t produced = 0;
  uint32_t blockLeft = 0;
  auto flush = [&]() -> bool {
    if (r == flushed) return true;
    sum = Crc16Update(sum, d->ring + flushed, r - flushed);
    bool ok = out.Write(d->ring + flushed, r - flushed);
    flushed = r & 0xFFFF;
    if (r == 0x10000) r = flushed = 0;
    return ok;
  };
  while (produced < original) {
    if (blockLeft == 0 && !d->ReadBlockHeader(&blockLeft)) return d->br.ReadFailed() ? kErrCannotRead : kErrBrokenData;
    --blockLeft;
    d->br.Refill();
    if (d->br.Overrun()) return d->br.ReadFailed() ? kErrCannotRead : kErrBrokenData;
    int sym = d->c.Decode(d->br);
    if (sym < 0) return kErrBrokenData;
    if (sym < 256) {
      d->ring[r++] = static_cast<uint8_t>(sym);
      ++produced;
      if (r == 0x10000 && !flush()) return kErrCannotWrite;
      continue;
    }
    uint32_t len = static_cast<uint32_t>(sym) - 253;
    int pc = d->pt.Decode(d->br);
    if (pc < 0 || pc >= d->np) return kErrBrokenData;
    uint32_t p = pc <= 1 ? static_cast<uint32_t>(pc) : (1u << (pc - 1)) + d->br.Get(pc - 1);
    if (len > original - produced) return kErrBrokenData;
    uint32_t from = (r - p - 1) & 0xFFFF;
    for (uint32_t k = 0; k < len; ++k) {
      d->ring[r++] = d->ring[from];
      from = (from + 1) & 0xFFFF;
      if (r == 0x10000 && !flush()) return kErrCannotWrite;
    }
    produced += len;
  }
  if (d->br.Overrun()) return d->br.ReadFailed() ? kErrCannotRead : kErrBrokenData;
  if (!flush()) return kErrCannotWrite;
  *crc = sum;
  return kOk;
}

}  // namespace arc
