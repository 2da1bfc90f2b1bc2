// The LZSS + Huffman methods of LHA archives: -lh4- to -lh7- decoding, -lh5- encoding.
#pragma once
#include <cstdint>

#include "stream.h"

namespace arc {

// Window bits of a method name such as "-lh5-", or 0 when it is not one of these.
int LhDictionaryBits(const char method[5]);

// Decodes `packed` bytes at `offset` of `src` into exactly `original` bytes.
// Damaged data gives kErrBrokenData; a failed sink kErrCannotWrite.
int LhDecode(int dicbit, ByteSource& src, uint64_t offset, uint64_t packed, uint64_t original, ByteSink& out,
             uint16_t* crc);

struct LhEncodeResult {
  uint64_t packed = 0;
  uint64_t original = 0;
  uint16_t crc = 0;
};

// Encodes everything `in` yields as -lh5- data. Gives kErrNotSmaller as soon as the
// output reaches `limit` bytes, so the caller can store the file instead.
int LhEncode(ByteReader& in, ByteSink& out, uint64_t limit, LhEncodeResult* result);

}  // namespace arc
