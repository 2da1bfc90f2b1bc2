#include "crc32.h"

#include <cstring>

namespace {

constexpr uint32_t kPoly = 0xEDB88320u;

// Slicing by 16: table[j][b] is the CRC of byte b followed by j zero bytes.
struct Tables {
  uint32_t t[16][256];
  constexpr Tables() : t() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t c = b;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (kPoly & (0u - (c & 1)));
      t[0][b] = c;
    }
    for (int j = 1; j < 16; ++j) {
      for (uint32_t b = 0; b < 256; ++b) t[j][b] = (t[j - 1][b] >> 8) ^ t[0][t[j - 1][b] & 0xFF];
    }
  }
};

constexpr Tables kTables;

inline uint32_t Load32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Multiplication in GF(2) modulo the polynomial, for combining (reflected bit order).
uint32_t MultiplyModP(uint32_t a, uint32_t b) {
  uint32_t m = 1u << 31, p = 0;
  for (;;) {
    if (a & m) {
      p ^= b;
      if ((a & (m - 1)) == 0) break;
    }
    m >>= 1;
    b = b & 1 ? (b >> 1) ^ kPoly : b >> 1;
  }
  return p;
}

// x^(8 * n) modulo the polynomial: the operator that appends n zero bytes.
uint32_t ZeroBytesOperator(uint64_t n) {
  uint32_t result = 1u << 31;  // x^0
  uint32_t square = 1u << 23;  // x^8
  for (; n; n >>= 1) {
    if (n & 1) result = MultiplyModP(square, result);
    square = MultiplyModP(square, square);
  }
  return result;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, std::size_t n) {
  const auto& t = kTables.t;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  uint32_t c = ~crc;
  for (; n >= 16; n -= 16, p += 16) {
    const uint32_t a = Load32(p) ^ c, b = Load32(p + 4), d = Load32(p + 8), e = Load32(p + 12);
    c = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
        t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
        t[7][d & 0xFF] ^ t[6][(d >> 8) & 0xFF] ^ t[5][(d >> 16) & 0xFF] ^ t[4][d >> 24] ^
        t[3][e & 0xFF] ^ t[2][(e >> 8) & 0xFF] ^ t[1][(e >> 16) & 0xFF] ^ t[0][e >> 24];
  }
  for (; n; --n, ++p) c = (c >> 8) ^ t[0][(c ^ *p) & 0xFF];
  return ~c;
}

uint32_t Crc32Combine(uint32_t crcA, uint32_t crcB, uint64_t lengthB) {
  return MultiplyModP(ZeroBytesOperator(lengthB), crcA) ^ crcB;
}
