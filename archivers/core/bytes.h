// Little-endian fields of archive headers.
#pragma once
#include <cstdint>
#include "buf.h"

namespace arc {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(Vec<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void PutBytes(Vec<uint8_t>& v, const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  v.append(b, b + n);
}
inline void Put32(Vec<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

}  // namespace arc
