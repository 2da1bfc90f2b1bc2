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

// The block checks of a set: "BLK1", block bytes, count, P, size, whole CRC and the CRC of
// those, then for every data piece and the parity piece the CRC of each 10000-byte block (P /
// 10000 of them, 0 past a shorter piece's end) followed by the CRC of the record.
inline std::string BlockChecks(const std::string& data, size_t pieceBytes) {
  std::vector<std::string> pieces;
  for (size_t at = 0; at < data.size(); at += pieceBytes) pieces.push_back(data.substr(at, pieceBytes));
  std::string out = "BLK1" + Le32(10000) + Le32(static_cast<uint32_t>(pieces.size())) +
                    Le32(static_cast<uint32_t>(pieceBytes)) + Le32(static_cast<uint32_t>(data.size())) +
                    Le32(Crc(data));
  out += Le32(Crc(out));
  pieces.push_back(Parity(pieces));
  for (const std::string& p : pieces) {
    std::string record;
    for (size_t at = 0; at < pieceBytes; at += 10000) record += Le32(at < p.size() ? Crc(p.substr(at, 10000)) : 0);
    out += record + Le32(Crc(record));
  }
  return out;
}

}  // namespace refcheck
