#include "crc16.h"

namespace arc {
namespace {

struct Crc16Tables {
  uint16_t t[4][256] = {};
  constexpr Crc16Tables() {
    for (int i = 0; i < 256; ++i) {
      uint16_t c = static_cast<uint16_t>(i);
      for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
      t[0][i] = c;
    }
    for (int i = 0; i < 256; ++i)
      for (int s = 1; s < 4; ++s) t[s][i] = static_cast<uint16_t>((t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF]);
  }
};

// Built by the compiler: no start-up code and nothing to guard between threads.
constexpr Crc16Tables kTables;

}  // namespace

uint16_t Crc16Update(uint16_t crc, const void* data, size_t n) {
  const auto& t = kTables.t;
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t c = crc;
  // Four bytes per step: the encoder runs this over every input byte.
  while (n >= 4) {
    c ^= static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
    c = t[3][c & 0xFF] ^ t[2][(c >> 8) & 0xFF] ^ t[1][p[2]] ^ t[0][p[3]];
    p += 4;
    n -= 4;
  }
  while (n--) c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
  return static_cast<uint16_t>(c);
}

}  // namespace arc
