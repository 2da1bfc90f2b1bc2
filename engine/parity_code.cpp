#include "parity_code.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "base/crc32.h"

// PARITY_PLAIN_ONLY leaves the 128-bit steps out: Rundelo has no room for them.
// PARITY_WHOLE_WORDS: HornerStep is given data and whole 32-bit words only, as Rundelo's
// rebuild sums whole blocks of the merged file; it then needs no steps for the rest.
#if (defined(__i386__) || defined(__x86_64__)) && !defined(PARITY_PLAIN_ONLY)
#include <cpuid.h>
#include <emmintrin.h>
#define PARITY_WIDE 1
#endif

namespace pieceset {
namespace {

#ifdef PARITY_WHOLE_WORDS
constexpr bool kWholeWords = true;
#else
constexpr bool kWholeWords = false;
#endif

constexpr uint32_t kPoly = 0x100B;  // x^16 + x^12 + x^3 + x + 1 without its x^16
constexpr uint32_t kOrder = 65535;  // of g, so of the field's multiplicative group

// Two symbols of a 32-bit word, each times g: a shift, and the polynomial added where the top
// bit went out.
inline uint32_t TimesG(uint32_t w) {
  return ((w << 1) & 0xFFFEFFFEu) ^ (((w >> 15) & 0x00010001u) * kPoly);
}

uint32_t Load(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void Store(unsigned char* p, uint32_t v) { std::memcpy(p, &v, 4); }

// exp[k] = g^k for k < 2 * 65535, so that a sum of two logarithms needs no reduction; log[a]
// for a != 0. Worked out at the first use; the first use must not race another.
uint16_t g_exp[2 * kOrder];
uint16_t g_log[kOrder + 1];
std::atomic<bool> g_fieldReady;

__attribute__((noinline)) void PrepareField() {
  if (g_fieldReady.load(std::memory_order_acquire)) return;
  uint32_t x = 1;
  for (uint32_t k = 0; k < kOrder; ++k) {
    g_exp[k] = g_exp[k + kOrder] = static_cast<uint16_t>(x);
    g_log[x] = static_cast<uint16_t>(k);
    x = TimesG(x);
  }
  g_fieldReady.store(true, std::memory_order_release);
}

#ifdef PARITY_WIDE
bool g_wide;

bool HasSse2() {
  unsigned a, b, c, d;
  return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2);
}

#define PARITY_SIMD __attribute__((target("sse2")))

// Eight symbols times g.
PARITY_SIMD __attribute__((always_inline)) inline __m128i TimesG8(__m128i x, __m128i poly) {
  return _mm_xor_si128(_mm_add_epi16(x, x), _mm_and_si128(_mm_srai_epi16(x, 15), poly));
}

// HornerStep over whole 16-byte steps for the rows of Mask (bit t: row t), the rows together
// so that the data is read once; the data at d moves by step (0 where it is zeros).
template <int Mask>
PARITY_SIMD void RowsWide(unsigned char* const acc[kMaxParity], const unsigned char* d,
                          std::size_t step, std::size_t bytes) {
  const __m128i poly = _mm_set1_epi16(static_cast<short>(kPoly));
  unsigned char *a0 = acc[0], *a1 = acc[1], *a2 = acc[2];
  for (std::size_t i = 0; i < bytes; i += 16, d += step) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    if (Mask & 1) {
      __m128i* p = reinterpret_cast<__m128i*>(a0 + i);
      _mm_storeu_si128(p, _mm_xor_si128(_mm_loadu_si128(p), x));
    }
    if (Mask & 2) {
      __m128i* p = reinterpret_cast<__m128i*>(a1 + i);
      _mm_storeu_si128(p, _mm_xor_si128(TimesG8(_mm_loadu_si128(p), poly), x));
    }
    if (Mask & 4) {
      __m128i* p = reinterpret_cast<__m128i*>(a2 + i);
      _mm_storeu_si128(p, _mm_xor_si128(TimesG8(TimesG8(_mm_loadu_si128(p), poly), poly), x));
    }
  }
}

// HornerStep 16 bytes at a time, the rest by the 32-bit steps. Zeros for no data are read from
// one place, so that no loop is made twice for them. The stack is realigned: 32-bit Windows
// keeps it at 4 bytes.
PARITY_SIMD __attribute__((force_align_arg_pointer)) void HornerWide(
    unsigned char* const acc[kMaxParity], const unsigned char* data, std::size_t bytes) {
  alignas(16) static const unsigned char kZeros[16] = {};
  static void (*const kRows[8])(unsigned char* const*, const unsigned char*, std::size_t, std::size_t) = {
      nullptr, RowsWide<1>, RowsWide<2>, RowsWide<3>, RowsWide<4>, RowsWide<5>, RowsWide<6>, RowsWide<7>};
  const int mask = (acc[0] ? 1 : 0) | (acc[1] ? 2 : 0) | (acc[2] ? 4 : 0);
  const std::size_t whole = bytes & ~std::size_t{15};
  if (mask && whole) kRows[mask](acc, data ? data : kZeros, data ? 16 : 0, whole);
  if (whole == bytes) return;
  unsigned char* const rest[kMaxParity] = {acc[0] ? acc[0] + whole : nullptr,
                                           acc[1] ? acc[1] + whole : nullptr,
                                           acc[2] ? acc[2] + whole : nullptr};
  HornerStepPlain(rest, data ? data + whole : nullptr, bytes - whole);
}
#endif

}  // namespace

uint16_t GfMul(uint16_t a, uint16_t b) {
  PrepareField();
  return a && b ? g_exp[g_log[a] + g_log[b]] : 0;
}

uint16_t GfInverse(uint16_t a) {
  PrepareField();
  return g_exp[kOrder - g_log[a]];
}

uint16_t ParityCoefficient(int n, int i, int t) {
  PrepareField();
  // t (n - i) < 2 * 999: within the table.
  return g_exp[t * (n - i)];
}

void AllowWideSteps(bool systemKeepsSse) {
#ifdef PARITY_WIDE
  g_wide = systemKeepsSse && HasSse2();
#else
  (void)systemKeepsSse;
#endif
}

void HornerStep(unsigned char* const acc[kMaxParity], const unsigned char* data, std::size_t bytes) {
#ifdef PARITY_WIDE
  if (g_wide) return HornerWide(acc, data, bytes);
#endif
  HornerStepPlain(acc, data, bytes);
}

void HornerStepPlain(unsigned char* const acc[kMaxParity], const unsigned char* data,
                     std::size_t bytes) {
  for (int t = 0; t < kMaxParity; ++t) {
    unsigned char* a = acc[t];
    if (!a) continue;
    std::size_t i = 0;
    for (; i + 4 <= bytes; i += 4) {
      uint32_t w = Load(a + i);
      for (int s = 0; s < t; ++s) w = TimesG(w);
      Store(a + i, w ^ (kWholeWords || data ? Load(data + i) : 0));
    }
    // The last symbol, or half of one: its high byte beyond the data is zero.
    for (; !kWholeWords && i < bytes; i += 2) {
      uint32_t w = a[i] | a[i + 1] << 8;
      for (int s = 0; s < t; ++s) w = TimesG(w);
      if (data) w ^= data[i] | (i + 1 < bytes ? data[i + 1] << 8 : 0);
      a[i] = static_cast<unsigned char>(w);
      a[i + 1] = static_cast<unsigned char>(w >> 8);
    }
  }
}

void MulAdd(unsigned char* to, const unsigned char* from, std::size_t bytes, uint16_t c) {
  if (!c) return;
  PrepareField();
  const uint32_t logC = g_log[c];
  for (std::size_t i = 0; i < bytes; i += 2) {
    const uint32_t s = from[i] | from[i + 1] << 8;
    if (!s) continue;
    const uint32_t p = g_exp[g_log[s] + logC];
    to[i] ^= static_cast<unsigned char>(p);
    to[i + 1] ^= static_cast<unsigned char>(p >> 8);
  }
}

void SolveStripe(int n, int e, const int* lost, const int* rows, unsigned char* const* syn,
                 std::size_t bytes) {
  // Gauss-Jordan elimination on m[u][j] = a_lost[j]^rows[u], the same steps taken on the
  // syndromes. No pivot is ever 0, so none need be sought: the k-th is the ratio of two
  // leading principal minors of m, square submatrices of the parity matrix, none singular.
  // The rows of m are symbols in the order of the pieces' bytes (x86 is little-endian), so
  // that MulAdd works on them as on the syndromes.
  static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "symbols are little-endian words");
  uint16_t m[kMaxParity][kMaxParity];
  for (int u = 0; u < e; ++u) {
    for (int j = 0; j < e; ++j) m[u][j] = ParityCoefficient(n, lost[j], rows[u]);
  }
  for (int k = 0; k < e; ++k) {
    // Row k first, times the inverse of its pivot (MulAdd of a row into itself adds one),
    // then each other row less row k times its factor in column k.
    for (int i = 0; i < e; ++i) {
      const int u = (k + i) % e;
      const uint16_t f = i ? m[u][k] : GfInverse(m[k][k]) ^ 1;
      MulAdd(reinterpret_cast<unsigned char*>(m[u]), reinterpret_cast<unsigned char*>(m[k]),
             2 * static_cast<std::size_t>(e), f);
      MulAdd(syn[u], syn[k], bytes, f);
    }
  }
}

std::size_t FormatParityLine(char* out, std::size_t cap, int r, const uint32_t* rowCrc) {
  if (cap == 0) return 0;
  std::memset(out, 0, cap);
  const std::size_t len = 9 + 9 * static_cast<std::size_t>(r) + 1;
  if (r < 2 || r > kMaxParity || len >= cap) return 0;
  std::size_t n = static_cast<std::size_t>(std::snprintf(out, cap, "PARITY;%d;", r));
  for (int t = 1; t < r; ++t) {
    n += static_cast<std::size_t>(std::snprintf(out + n, cap - n, "%08lX;", static_cast<unsigned long>(rowCrc[t])));
  }
  std::snprintf(out + n, cap - n, "%08lX;\n", static_cast<unsigned long>(Crc32Update(0, out, n)));
  return len;
}

}  // namespace pieceset
