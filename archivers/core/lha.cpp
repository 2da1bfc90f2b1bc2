#include "lha.h"

#include <cstring>

#include "bytes.h"
#include "crc16.h"
#include "dostime.h"
#include "errors.h"
#include "lhcodec.h"
#include "names.h"

namespace arc {
namespace {

constexpr int kEnd = 1;


bool ReadExact(ByteSource& src, uint64_t pos, void* buf, size_t n) { return src.ReadAt(pos, buf, n) == n; }

Str Separators(const uint8_t* p, size_t n) {
  Str s(reinterpret_cast<const char*>(p), n);
  for (char& c : s)
    if (static_cast<uint8_t>(c) == 0xFF) c = '\\';
  return s;
}

// Walks the extended headers that start at `pos` with size `size`, inside a
// header that may not go past `limit`. Sums their sizes into *total.
int ReadExtensions(ByteSource& src, uint64_t pos, uint32_t size, uint64_t limit, LhaEntry* e, Str* dir,
                   Str* name, uint64_t* total, bool checkCrc, uint64_t headerPos, uint32_t headerSize) {
  int count = 0;
  while (size != 0) {
    if (size < 3 || pos + size > limit || ++count > 1000) return kErrBrokenData;
    Vec<uint8_t> ext;
    if (!ext.resize(size)) return kErrDiskSpace;
    if (!ReadExact(src, pos, ext.data(), size)) return kErrCannotRead;
    const uint8_t* d = ext.data() + 1;
    size_t dn = size - 3;
    switch (ext[0]) {
      case 0x00:
        if (checkCrc && dn >= 2) {
          Vec<uint8_t> whole;
          if (!whole.resize(headerSize)) return kErrDiskSpace;
          if (!ReadExact(src, headerPos, whole.data(), headerSize)) return kErrCannotRead;
          size_t at = static_cast<size_t>(pos - headerPos) + 1;
          whole[at] = whole[at + 1] = 0;
          if (Crc16Update(0, whole.data(), whole.size()) != Le16(d)) return kErrHeaderCrc;
        }
        break;
      case 0x01:
        *name = Str(reinterpret_cast<const char*>(d), dn);
        break;
      case 0x02:
        *dir = Separators(d, dn);
        break;
      case 0x40:
        if (dn >= 1) e->attr = d[0];
        break;
      case 0x41:
        if (dn >= 16) {
          uint64_t ft = Le32(d + 8) | (static_cast<uint64_t>(Le32(d + 12)) << 32);
          if (ft > 116444736000000000ULL) e->mtime = static_cast<int64_t>((ft - 116444736000000000ULL) / 10000000);
        }
        break;
      case 0x54:
        if (dn >= 4) e->mtime = Le32(d);
        break;
    }
    *total += size;
    pos += size;
    size = Le16(ext.data() + size - 2);
  }
  return kOk;
}

}  // namespace

int ReadLhaHeader(ByteSource& src, uint64_t pos, LhaEntry* e) {
  *e = LhaEntry();
  e->headerPos = pos;
  uint8_t h[26] = {};
  size_t got = src.ReadAt(pos, h, sizeof h);
  if (got == 0 || h[0] == 0) return kEnd;
  if (got < 22) return kErrBrokenData;
  memcpy(e->method, h + 2, 5);
  e->level = h[20];
  if (e->method[0] != '-' || e->method[4] != '-') return kErrNotArchive;
  e->packed = Le32(h + 7);
  e->original = Le32(h + 11);
  Str dir, name;
  uint64_t size = src.Size();
  if (e->level == 0 || e->level == 1) {
    uint32_t headerSize = h[0];
    uint32_t nameLen = h[21];
    if (headerSize < 20 + nameLen + (e->level == 1 ? 5u : 0u)) return kErrBrokenData;
    Vec<uint8_t> b;
    if (!b.resize(headerSize + 2)) return kErrDiskSpace;
    if (!ReadExact(src, pos, b.data(), b.size())) return kErrCannotRead;
    uint8_t sum = 0;
    for (size_t i = 2; i < b.size(); ++i) sum = static_cast<uint8_t>(sum + b[i]);
    if (sum != b[1]) return kErrHeaderCrc;
    e->dosTime = Le32(b.data() + 15);
    e->mtime = DosToUnix(e->dosTime);
    e->attr = b[19];
    name = Separators(b.data() + 22, nameLen);
    if (b.size() >= 24 + nameLen) e->crc = Le16(b.data() + 22 + nameLen);
    if (b.size() >= 25 + nameLen) e->os = static_cast<char>(b[24 + nameLen]);
    uint64_t after = pos + b.size();
    if (e->level == 1) {
      uint64_t extTotal = 0;
      int r = ReadExtensions(src, after, Le16(b.data() + b.size() - 2), size, e, &dir, &name, &extTotal, false, 0, 0);
      if (r != kOk) return r;
      if (extTotal > e->packed) return kErrBrokenData;
      e->packed -= static_cast<uint32_t>(extTotal);
      after += extTotal;
    }
    e->dataPos = after;
  } else if (e->level == 2) {
    uint32_t headerSize = Le16(h);
    if (got < 26 || headerSize < 26) return kErrBrokenData;
    e->mtime = Le32(h + 15);
    e->crc = Le16(h + 21);
    e->os = static_cast<char>(h[23]);
    uint64_t extTotal = 0;
    int r = ReadExtensions(src, pos + 26, Le16(h + 24), pos + headerSize, e, &dir, &name, &extTotal, true, pos,
                           headerSize);
    if (r != kOk) return r;
    e->dosTime = UnixToDos(e->mtime);
    e->dataPos = pos + headerSize;
  } else {
    return kErrNotArchive;
  }
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  e->name = dir + name;
  e->next = e->dataPos + e->packed;
  if (e->next > size) return kErrBrokenData;
  return kOk;
}

int ListLha(ByteSource& src, Vec<LhaEntry>* entries) {
  entries->clear();
  AllocWatch watch;
  uint64_t pos = 0;
  int r;
  while (true) {
    LhaEntry e;
    r = ReadLhaHeader(src, pos, &e);
    if (r == kEnd) {
      r = entries->empty() && src.Size() > 1 ? kErrNotArchive : kOk;
      break;
    }
    // Entries before the damage stay listed so that they can still be extracted.
    if (r != kOk) {
      if (entries->empty() && r == kErrBrokenData) r = kErrNotArchive;
      break;
    }
    pos = e.next;
    if (!entries->push_back(std::move(e))) break;
  }
  // A header read while memory ran out may have lost part of its name, or look damaged.
  return watch.Lost() ? kErrDiskSpace : r;
}

int ExtractLhaData(ByteSource& src, const LhaEntry& e, ByteSink& out, LhDecodeRoom& room) {
  uint16_t crc = 0;
  if (memcmp(e.method, "-lh0-", 5) == 0 || memcmp(e.method, "-lz4-", 5) == 0) {
    if (e.packed != e.original) return kErrBrokenData;
    uint8_t buf[65536];
    uint64_t done = 0;
    while (done < e.original) {
      size_t want = e.original - done < sizeof buf ? static_cast<size_t>(e.original - done) : sizeof buf;
      if (src.ReadAt(e.dataPos + done, buf, want) != want) return kErrCannotRead;
      crc = Crc16Update(crc, buf, want);
      if (!out.Write(buf, want)) return kErrCannotWrite;
      done += want;
    }
  } else if (int bits = LhDictionaryBits(e.method)) {
    int r = LhDecode(room, bits, src, e.dataPos, e.packed, e.original, out, &crc);
    if (r != kOk) return r;
  } else {
    return kErrUnknownMethod;
  }
  return crc == e.crc ? kOk : kErrFileCrc;
}

Vec<uint8_t> MakeLhaHeader(const LhaEntry& e, LeadByteFn lead) {
  AllocWatch watch;
  // The folders go into an extension of their own, each ended by 0xFF; a second byte that
  // equals '\\' is no separator.
  Str path = e.name;
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (lead && lead(c) && i + 1 < path.size()) {
      ++i;
    } else if (c == '\\' || c == '/') {
      path[i] = static_cast<char>(0xFF);
      cut = i + 1;
    }
  }
  const Str dir = path.substr(0, cut), name = path.substr(cut);
  Vec<uint8_t> v;
  Put16(v, 0);
  PutBytes(v, e.method, 5);
  Put32(v, e.packed);
  Put32(v, e.original);
  Put32(v, static_cast<uint32_t>(e.mtime));
  v.push_back(0x20);
  v.push_back(2);
  Put16(v, e.crc);
  v.push_back(static_cast<uint8_t>(e.os ? e.os : 'W'));
  // Extended headers: CRC, name, directory, attribute.
  Put16(v, 5);
  size_t crcAt = v.size() + 1;
  v.push_back(0x00);
  Put16(v, 0);
  Put16(v, static_cast<uint32_t>(name.size() + 3));
  v.push_back(0x01);
  PutBytes(v, name.data(), name.size());
  if (!dir.empty()) {
    Put16(v, static_cast<uint32_t>(dir.size() + 3));
    v.push_back(0x02);
    PutBytes(v, dir.data(), dir.size());
  }
  Put16(v, 5);
  v.push_back(0x40);
  Put16(v, e.attr);
  Put16(v, 0);
  // A level 2 header may not start with a zero byte, which would read as the end.
  if ((v.size() & 0xFF) == 0) v.push_back(0);
  if (watch.Lost()) return Vec<uint8_t>();  // the caller sees the count too
  v[0] = static_cast<uint8_t>(v.size());
  v[1] = static_cast<uint8_t>(v.size() >> 8);
  uint16_t crc = Crc16Update(0, v.data(), v.size());
  v[crcAt] = static_cast<uint8_t>(crc);
  v[crcAt + 1] = static_cast<uint8_t>(crc >> 8);
  return v;
}

}  // namespace arc
