// Length-limited Huffman code lengths and canonical codes.
#pragma once
#include <cstdint>

namespace arc {

constexpr int kMaxHuffmanSymbols = 512;

// Fills len[0..n), n at most kMaxHuffmanSymbols, with code lengths of at most maxBits for the given frequencies
// (0 for unused symbols). Returns the number of used symbols; with one used
// symbol its length is left 0.
int BuildCodeLengths(const uint32_t* freq, int n, int maxBits, uint8_t* len);

// Canonical codes: shorter lengths first, symbols ascending within a length.
void BuildCanonicalCodes(const uint8_t* len, int n, uint16_t* code);

}  // namespace arc
