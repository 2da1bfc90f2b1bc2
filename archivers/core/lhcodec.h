// The LZSS + Huffman methods of LHA archives: -lh4- to -lh7- decoding, -lh5- encoding.
#pragma once
#include <cstdint>

#include "buf.h"
#include "stream.h"

namespace arc {

// Window bits of a method name such as "-lh5-", or 0 when it is not one of these.
int LhDictionaryBits(const char method[5]);

// Memory for the decoder's tables and window: an extraction makes it before it writes
// anything, and each entry it decodes uses it in turn.
class LhDecodeRoom {
 public:
  bool Make();  // false when memory ran out
  void* get() { return bytes_.data(); }

 private:
  Vec<uint8_t> bytes_;
};

// Decodes `packed` bytes at `offset` of `src` into exactly `original` bytes, in a room
// that was made. Damaged data gives kErrBrokenData; a failed sink kErrCannotWrite.
int LhDecode(LhDecodeRoom& room, int dicbit, ByteSource& src, uint64_t offset, uint64_t packed, uint64_t original,
             ByteSink& out, uint16_t* crc);

struct LhEncodeResult {
  uint64_t packed = 0;
  uint64_t original = 0;
  uint16_t crc = 0;
};

// Encodes everything `in` yields as -lh5- data. Gives kErrNotSmaller as soon as the
// output reaches `limit` bytes, so the caller can store the file instead.
int LhEncode(ByteReader& in, ByteSink& out, uint64_t limit, LhEncodeResult* result);

}  // namespace arc
