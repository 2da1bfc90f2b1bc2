// CRC-16 of LHA archives: reflected polynomial 0xA001, initial 0, no final xor.
#pragma once
#include <cstddef>
#include <cstdint>

namespace arc {

uint16_t Crc16Update(uint16_t crc, const void* data, size_t n);

}  // namespace arc
