// The parity pieces of a set and the code that makes them. A set of n data pieces carries
// r = ParityCount(n) of them: one for each ten data pieces or part of ten, at most three. Row 0,
// prefix + (n + 1), is the XOR of the data pieces that sets have always had; the block checks
// stay at prefix + (n + 2) with the records of the further rows after those of the data pieces
// and row 0; rows 1 and 2 are prefix + (n + 3) and prefix + (n + 4). Readers that know one
// parity piece thus find everything they read where it always was.
//
// The code: a piece's bytes are 16-bit little-endian symbols of GF(2^16) made with the
// primitive polynomial x^16 + x^12 + x^3 + x + 1 (0x1100B); the last data piece counts as
// padded with zeros to the P bytes of the others (P is a multiple of 10000, so even). With
// g = x, of order 65535, row t is P_t = sum over i = 1..n of a_i^t * d_i, a_i = g^(n - i),
// worked out in piece order by Horner, acc_t = g^t * acc_t + d_i: a division only ever
// multiplies by g, a shift and a conditional XOR, and needs no tables.
//
// Why any r lost pieces, data or parity, can be rebuilt (the code is MDS) for every n <= 999:
// it is systematic with the parity matrix A[t][i] = a_i^t, and such a code is MDS exactly when
// every square submatrix of A is non-singular. The a_i are non-zero and distinct, as g has
// order 65535 > 999. In characteristic 2, minus is plus, and for columns j != k:
//   1 x 1: a^t != 0;
//   rows {0,1}: a_j + a_k != 0;   rows {1,2}: a_j a_k (a_j + a_k) != 0;
//   rows {0,2}: a_j^2 + a_k^2 = (a_j + a_k)^2 != 0 (squaring is one-to-one);
//   rows {0,1,2}: a Vandermonde matrix, its determinant the product of the a_j + a_k != 0.
// The tests check the order of g over every power and rebuild every pattern of up to three
// lost pieces of small sets, and random ones of sets up to 999 pieces.
//
// Portable, shared by Tovra and Rundelo: each function stands alone, so that a program links
// only what it calls. The log and exp tables of multiplication by any constant are worked out
// at their first use into zero-filled memory.
#pragma once
#include <cstddef>
#include <cstdint>

#include "parity.h"

namespace pieceset {

constexpr int kMaxParity = 3;
static_assert(kMaxSetNumber == kMaxPieces + 1 + kMaxParity, "the last number of a set of 999");

// The parity pieces of a set of n >= 1 data pieces.
inline int ParityCount(int n) { return n <= 10 ? 1 : n <= 20 ? 2 : kMaxParity; }
// The number of parity row t's piece in a set of n data pieces.
inline int ParityPieceNumber(int n, int t) { return t == 0 ? n + 1 : n + 2 + t; }
// The last number of the set: a parity piece, or the block checks where there is one.
inline int LastSetNumber(int n) { return n + 1 + ParityCount(n); }
// Where the block checks hold the record of parity row t.
inline uint32_t ParityRecordAt(const Checks& c, int t) { return BlockRecordAt(c, c.count + 1 + t); }
// Bytes of the block checks of a set with r parity pieces.
inline uint32_t BlockChecksBytes(const Checks& c, int r) { return BlockRecordAt(c, c.count + 1 + r); }

// ---- The field ----

uint16_t GfMul(uint16_t a, uint16_t b);
// The inverse of a != 0.
uint16_t GfInverse(uint16_t a);
// a_i^t = g^(t (n - i)), the factor of data piece i (1..n) in row t.
uint16_t ParityCoefficient(int n, int i, int t);

// ---- Buffers of symbols ----

// Lets HornerStep use the processor's 128-bit integer steps (SSE2) where it has them, once
// the system has said that it keeps their registers across thread switches: an older system
// does not, and the steps would then fault or go wrong. Without this call the 32-bit steps
// are taken, which every processor runs.
void AllowWideSteps(bool systemKeepsSse);

// One Horner step of each row t whose acc[t] is not null, over the symbols at the same place
// of every row and of a piece: acc[t] = g^t * acc[t] + data (data null: zeros, for a piece that
// is not there or for the padding past the last piece's end). bytes counts from a symbol's
// start; an odd count ends in half a symbol whose high byte is zero, and acc[t] covers that
// whole symbol.
void HornerStep(unsigned char* const acc[kMaxParity], const unsigned char* data, std::size_t bytes);
// The same in 32-bit steps only, whatever AllowWideSteps said.
void HornerStepPlain(unsigned char* const acc[kMaxParity], const unsigned char* data,
                     std::size_t bytes);

// to += c * from over bytes (whole symbols, so even). With to == from, to becomes (c + 1) * to.
void MulAdd(unsigned char* to, const unsigned char* from, std::size_t bytes, uint16_t c);

// Rebuilds the lost data symbols of a stripe. lost[0..e-1] are the numbers (1..n) of e <= 3
// lost data pieces, rows[0..e-1] e distinct parity rows that are sound there, syn[u] the
// syndrome of row rows[u] over bytes (whole symbols): its parity symbols plus a_i^t d_i of
// every data piece i that is not lost (a Horner sum over the pieces with the lost ones as zeros
// gives that sum). On return syn[j] holds the symbols of data piece lost[j].
void SolveStripe(int n, int e, const int* lost, const int* rows, unsigned char* const* syn,
                 std::size_t bytes);

// ---- The line of the further parity pieces ----
//
// Where a set has two or three parity pieces, FILE-0 has a third line after the check line, in
// its style: "PARITY;r;" then the CRC of prefix + (n + 3) and, for r = 3, of prefix + (n + 4),
// then the line's own CRC (from its "P" up to and including the semicolon before it), each as
// eight upper-case hexadecimal digits and a semicolon, and a line feed. The check line cannot
// take another field: earlier readers want it to end right after its own CRC.

constexpr std::size_t kParityLineBytes = 48;

// The line for r (2 or 3) parity pieces, rowCrc[t] the CRC of row t's piece, into out (cap
// bytes, cleared first); its length, or 0.
std::size_t FormatParityLine(char* out, std::size_t cap, int r, const uint32_t* rowCrc);

struct ParityPieces {
  int count;                  // r
  uint32_t crc[kMaxParity];   // [t]: CRC of row t's piece
};

// For a set whose check line c was taken from data (FILE-0's first len bytes): the parity
// pieces it has. The line after the check line is taken when it is whole, its own CRC holds
// and r is 2 or 3 with that many CRCs; else the set has the one parity piece of the check line.
void ReadParityLine(const char* data, std::size_t len, const Checks& c, ParityPieces* out);

}  // namespace pieceset
