// A bit-at-a-time CRC-32 and parity for the tests, apart from the program's table-driven one.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace refcheck {

inline uint32_t Crc(const std::string& s) {
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = c & 1 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
  }
  return ~c;
}

inline std::string Hex(uint32_t v) {
  char t[9];
  std::snprintf(t, sizeof t, "%08X", v);
  return t;
}

// The XOR of the pieces, each padded with zeros to the longest.
inline std::string Parity(const std::vector<std::string>& pieces) {
  std::string p;
  for (const std::string& s : pieces) {
    if (s.size() > p.size()) p.resize(s.size(), '\0');
    for (size_t i = 0; i < s.size(); ++i) p[i] = static_cast<char>(p[i] ^ s[i]);
  }
  return p;
}

// The check line of a set: "CRC32;size;count;P;whole;c1;...;cn;parity;self;\n".
inline std::string CheckLine(const std::string& data, size_t pieceBytes) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < data.size(); at += pieceBytes) pieces.push_back(data.substr(at, pieceBytes));
  std::string line = "CRC32;" + std::to_string(data.size()) + ";" + std::to_string(pieces.size()) +
                     ";" + std::to_string(pieceBytes) + ";" + Hex(Crc(data)) + ";";
  for (const std::string& p : pieces) line += Hex(Crc(p)) + ";";
  line += Hex(Crc(Parity(pieces))) + ";";
  return line + Hex(Crc(line)) + ";\n";
}

inline std::string Le32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

// Multiplication in GF(2^16) made with x^16 + x^12 + x^3 + x + 1, bit by bit.
inline uint16_t GfMul(uint16_t a, uint16_t b) {
  uint32_t r = 0, x = a;
  for (int k = 0; k < 16; ++k) {
    if (b >> k & 1) r ^= x;
    x <<= 1;
    if (x & 0x10000) x ^= 0x1100B;
  }
  return static_cast<uint16_t>(r);
}

inline uint16_t GfPow(uint16_t a, int e) {
  uint16_t r = 1;
  while (e-- > 0) r = GfMul(r, a);
  return r;
}

// Parity pieces of a set of n data pieces: one for each ten or part of ten, at most three.
inline int ParityCount(size_t n) { return n <= 10 ? 1 : n <= 20 ? 2 : 3; }

// Parity row t of the pieces, each read as 16-bit little-endian symbols and padded with zeros
// to the longest: the sum over i = 1..n of (2^(n - i))^t times piece i, as written.
inline std::string ParityRow(const std::vector<std::string>& pieces, int t) {
  size_t width = 0;
  for (const std::string& s : pieces) width = s.size() > width ? s.size() : width;
  std::string p(width + width % 2, '\0');
  const int n = static_cast<int>(pieces.size());
  for (int i = 1; i <= n; ++i) {
    std::string d = pieces[i - 1];
    d.resize(p.size(), '\0');
    const uint16_t c = GfPow(GfPow(2, n - i), t);
    for (size_t s = 0; s < p.size(); s += 2) {
      const uint16_t v = GfMul(c, static_cast<uint16_t>(static_cast<unsigned char>(d[s]) |
                                                        static_cast<unsigned char>(d[s + 1]) << 8));
      p[s] = static_cast<char>(p[s] ^ (v & 0xFF));
      p[s + 1] = static_cast<char>(p[s + 1] ^ (v >> 8));
    }
  }
  return p.substr(0, width);
}

inline std::vector<std::string> Cut(const std::string& data, size_t pieceBytes) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < data.size(); at += pieceBytes) pieces.push_back(data.substr(at, pieceBytes));
  return pieces;
}

// The third line of FILE-0 of a set with more than one parity piece, else nothing:
// "PARITY;r;crc(row 1);[crc(row 2);]self;\n". r: as many as the set's size calls for, unless given.
inline std::string ParityLine(const std::string& data, size_t pieceBytes, int r = 0) {
  const std::vector<std::string> pieces = Cut(data, pieceBytes);
  if (r == 0) r = ParityCount(pieces.size());
  if (r == 1) return "";
  std::string line = "PARITY;" + std::to_string(r) + ";";
  for (int t = 1; t < r; ++t) line += Hex(Crc(ParityRow(pieces, t))) + ";";
  return line + Hex(Crc(line)) + ";\n";
}

// The block checks of a set: "BLK1", block bytes, count, P, size, whole CRC and the CRC of
// those, then for every data piece and every parity row the CRC of each 10000-byte block (P /
// 10000 of them, 0 past a shorter piece's end) followed by the CRC of the record.
inline std::string BlockChecks(const std::string& data, size_t pieceBytes, int r = 0) {
  std::vector<std::string> pieces = Cut(data, pieceBytes);
  std::string out = "BLK1" + Le32(10000) + Le32(static_cast<uint32_t>(pieces.size())) +
                    Le32(static_cast<uint32_t>(pieceBytes)) + Le32(static_cast<uint32_t>(data.size())) +
                    Le32(Crc(data));
  out += Le32(Crc(out));
  if (r == 0) r = ParityCount(pieces.size());
  for (int t = 0; t < r; ++t) pieces.push_back(ParityRow(Cut(data, pieceBytes), t));
  for (const std::string& p : pieces) {
    std::string record;
    for (size_t at = 0; at < pieceBytes; at += 10000) record += Le32(at < p.size() ? Crc(p.substr(at, 10000)) : 0);
    out += record + Le32(Crc(record));
  }
  return out;
}

}  // namespace refcheck
