#include "crc32.h"

#include <atomic>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define CRC32_FOLDING 1
#endif

namespace {

constexpr uint32_t kPoly = 0xEDB88320u;

// Where the processor cannot fold (below), the table loop. Slicing by 8: g_table[j][b] is the
// CRC of byte b followed by j zero bytes; eight bytes a step keep up with any disk at half the
// code of sixteen, and the table stays in the first cache of older processors. Rundelo, built
// for size (CRC32_SMALL), takes a byte a step with the first table alone: processors that
// cannot fold came with disks that a byte a step keeps up with. The table is worked out at the
// first use into zero-initialised memory: kept as constants it would add to every program that
// computes a CRC.
#ifdef CRC32_SMALL
constexpr int kSlices = 1;
#else
constexpr int kSlices = 8;
#endif
uint32_t g_table[kSlices][256];
#ifdef CRC32_FOLDING
bool g_folding;  // the processor folds by carry-less multiplication

bool HasFolding() {
  unsigned a, b, c, d;
  return __get_cpuid(1, &a, &b, &c, &d) && (c & bit_PCLMUL);  // every such processor has SSE2
}
#endif
// 0 before the first use, 1 while the table is worked out, 2 once it is ready.
std::atomic<int> g_ready;

void BuildTable() {
  for (uint32_t b = 0; b < 256; ++b) {
    uint32_t c = b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (kPoly & (0u - (c & 1)));
    g_table[0][b] = c;
  }
  for (int j = 1; j < kSlices; ++j) {
    for (uint32_t b = 0; b < 256; ++b) {
      g_table[j][b] = (g_table[j - 1][b] >> 8) ^ g_table[0][g_table[j - 1][b] & 0xFF];
    }
  }
#ifdef CRC32_FOLDING
  g_folding = HasFolding();
#endif
}

// A thread that meets another one working out the table waits the few microseconds it takes.
void EnsureTable() {
  if (g_ready.load(std::memory_order_acquire) == 2) return;
  int untouched = 0;
  if (g_ready.compare_exchange_strong(untouched, 1, std::memory_order_acq_rel)) {
    BuildTable();
    g_ready.store(2, std::memory_order_release);
    return;
  }
  while (g_ready.load(std::memory_order_acquire) != 2) {
  }
}

#ifndef CRC32_SMALL
// Inlined even where code is built for size: a call per word would halve the speed of the loop.
__attribute__((always_inline)) inline uint32_t Load32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
#endif

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

uint32_t TableLoop(uint32_t c, const unsigned char* p, std::size_t n) {
  const auto& t = g_table;
#ifndef CRC32_SMALL
  for (; n >= 8; n -= 8, p += 8) {
    const uint32_t a = Load32(p) ^ c, b = Load32(p + 4);
    c = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
        t[3][b & 0xFF] ^ t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
  }
#endif
  for (; n; --n, ++p) c = (c >> 8) ^ t[0][(c ^ *p) & 0xFF];
  return c;
}

#ifdef CRC32_FOLDING
#define CRC32_SIMD __attribute__((target("pclmul,sse2")))
#define CRC32_STEP CRC32_SIMD __attribute__((always_inline)) inline

CRC32_STEP __m128i Load16(const unsigned char* q) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

// x times the constants k, added to the next 16 bytes.
CRC32_STEP __m128i FoldStep(__m128i x, __m128i k, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00)),
                       next);
}

// Folding by carry-less multiplication (Gopal et al., "Fast CRC Computation for Generic
// Polynomials Using PCLMULQDQ", Intel 2009), for processors that have it: 64 bytes at a time in
// four lanes, or where built for size 16 bytes at a time in one (a third of the speed, still
// many times that of the table loop); the constants are x^k mod P for the reflected
// polynomial. n is a multiple of 16, at least 64; c is the CRC register (not inverted). Into
// rest go 16 bytes whose CRC from a register of 0 is the register after the n bytes: the table
// loop takes them, in less code than a reduction by multiplication. The stack is realigned:
// 32-bit Windows keeps it at 4 bytes.
CRC32_SIMD __attribute__((force_align_arg_pointer)) void Fold(
    uint32_t c, const unsigned char* p, std::size_t n, unsigned char* rest) {
  static const uint64_t k3k4[2] = {0x01751997d0ull, 0x00ccaa009eull};
  __m128i x1 = _mm_xor_si128(Load16(p), _mm_cvtsi32_si128(static_cast<int>(c)));
  const __m128i k = Load16(reinterpret_cast<const unsigned char*>(k3k4));
#ifdef CRC32_SMALL
  p += 16, n -= 16;
#else
  static const uint64_t k1k2[2] = {0x0154442bd4ull, 0x01c6e41596ull};
  const __m128i k64 = Load16(reinterpret_cast<const unsigned char*>(k1k2));
  __m128i x2 = Load16(p + 16), x3 = Load16(p + 32), x4 = Load16(p + 48);
  for (p += 64, n -= 64; n >= 64; p += 64, n -= 64) {
    x1 = FoldStep(x1, k64, Load16(p));
    x2 = FoldStep(x2, k64, Load16(p + 16));
    x3 = FoldStep(x3, k64, Load16(p + 32));
    x4 = FoldStep(x4, k64, Load16(p + 48));
  }
  x1 = FoldStep(x1, k, x2);
  x1 = FoldStep(x1, k, x3);
  x1 = FoldStep(x1, k, x4);
#endif
  for (; n >= 16; p += 16, n -= 16) x1 = FoldStep(x1, k, Load16(p));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x1);
}
#endif

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, std::size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  uint32_t c = ~crc;
  EnsureTable();
#ifdef CRC32_FOLDING
  // What folding leaves, 16 bytes and the last ones it could not take, goes to the table loop
  // from a register of 0.
  unsigned char rest[32];
  if (g_folding && n >= 64) {
    const std::size_t whole = n & ~static_cast<std::size_t>(15);
    Fold(c, p, whole, rest);
    std::memcpy(rest + 16, p + whole, n - whole);
    p = rest;
    n = n - whole + 16;
    c = 0;
  }
#endif
  return ~TableLoop(c, p, n);
}

uint32_t Crc32Combine(uint32_t crcA, uint32_t crcB, uint64_t lengthB) {
  return MultiplyModP(ZeroBytesOperator(lengthB), crcA) ^ crcB;
}

uint32_t Crc32OfBlocks(const uint32_t* crc, uint32_t bytes, uint32_t blockBytes) {
  // Every full block appends the same count of zeros: its operator is worked out once.
  const uint32_t full = ZeroBytesOperator(blockBytes);
  uint32_t whole = 0;
  for (uint32_t at = 0; at < bytes; at += blockBytes, ++crc) {
    const uint32_t left = bytes - at;
    whole = MultiplyModP(left < blockBytes ? ZeroBytesOperator(left) : full, whole) ^ *crc;
  }
  return whole;
}
