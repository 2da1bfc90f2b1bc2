// CRC-32 as zip and PNG compute it (reflected polynomial 0xEDB88320, inverted at both ends).
#pragma once
#include <cstddef>
#include <cstdint>

// The CRC of data following bytes whose CRC is crc (0 for none).
uint32_t Crc32Update(uint32_t crc, const void* data, std::size_t n);

// The CRC of A followed by B, from the CRC of each and the length of B.
uint32_t Crc32Combine(uint32_t crcA, uint32_t crcB, uint64_t lengthB);

// The CRC of bytes whose blocks of blockBytes (the last one shorter when bytes is not a
// multiple) have the CRCs crc, without reading them again.
uint32_t Crc32OfBlocks(const uint32_t* crc, uint32_t bytes, uint32_t blockBytes);
