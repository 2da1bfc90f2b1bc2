// ZIP archives: stored and deflated entries, 32-bit sizes.
#pragma once
#include <zlib.h>

#include <cstdint>
#include "buf.h"

#include "stream.h"

namespace arc {

struct ZipEntry {
  Str name;
  uint16_t method = 0;
  uint16_t flags = 0;
  uint32_t crc = 0;
  uint32_t packed = 0;
  uint32_t original = 0;
  uint32_t dosTime = 0;  // local, date in the high word
  int64_t mtime = 0;     // UTC seconds, from the extended timestamp when present
  uint32_t externalAttr = 0;
  uint32_t localPos = 0;
  Vec<uint8_t> central;  // the raw central directory record
};

uint32_t ZipCrc32(uint32_t crc, const void* data, size_t n);

int ListZip(ByteSource& src, Vec<ZipEntry>* entries);
// Where the entry's data starts, after its local header.
int ZipDataPos(ByteSource& src, const ZipEntry& e, uint64_t* pos);
// Memory for reading entries: an extraction makes it before it writes anything, and each
// entry it reads uses it in turn.
class InflateRoom {
 public:
  InflateRoom() = default;
  InflateRoom(const InflateRoom&) = delete;
  InflateRoom& operator=(const InflateRoom&) = delete;
  ~InflateRoom();
  bool Make();  // false when memory ran out

 private:
  friend int ExtractZipData(ByteSource& src, const ZipEntry& e, ByteSink& out, InflateRoom& room);
  Vec<uint8_t> in_, window_;
  z_stream z_ = {};
  bool ready_ = false;
};

// Inflates or copies one entry into `out` in a room that was made, checking size and CRC-32.
int ExtractZipData(ByteSource& src, const ZipEntry& e, ByteSink& out, InflateRoom& room);

struct ZipLocal {
  Str name;
  uint16_t method;
  uint32_t crc, packed, original, dosTime;
  int64_t mtime;
};
Vec<uint8_t> MakeZipLocalHeader(const ZipLocal& z);
Vec<uint8_t> MakeZipCentralRecord(const ZipLocal& z, uint32_t localPos, uint32_t attr);
Vec<uint8_t> MakeZipEnd(uint32_t count, uint32_t cdSize, uint32_t cdPos);

// Raw deflate at level 6 of everything `in` yields; kErrNotSmaller once the
// output reaches `limit`.
int Deflate(ByteReader& in, ByteSink& out, uint64_t limit, uint64_t* packed, uint64_t* original, uint32_t* crc);

}  // namespace arc
