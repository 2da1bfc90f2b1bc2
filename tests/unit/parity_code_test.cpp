#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/refcheck.h"
#include "parity_code.h"

using namespace pieceset;

namespace {

std::string Random(std::mt19937& rng, size_t n) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

unsigned char* Bytes(std::string& s) { return reinterpret_cast<unsigned char*>(&s[0]); }

// The rows of pieces as a division works them out: each piece in steps of stepBytes (even),
// the last one then padded with zeros to the width of the first.
std::vector<std::string> Encode(const std::vector<std::string>& pieces, int r, size_t stepBytes) {
  const size_t width = pieces[0].size();
  std::vector<std::string> rows(kMaxParity, std::string(width, '\0'));
  unsigned char* acc[kMaxParity] = {};
  for (int t = 0; t < r; ++t) acc[t] = Bytes(rows[t]);
  for (const std::string& piece : pieces) {
    std::string d = piece;
    for (size_t at = 0; at < d.size(); at += stepBytes) {
      unsigned char* at_acc[kMaxParity] = {};
      for (int t = 0; t < r; ++t) at_acc[t] = acc[t] + at;
      HornerStep(at_acc, Bytes(d) + at, std::min(stepBytes, d.size() - at));
    }
    const size_t done = d.size() + d.size() % 2;
    unsigned char* rest[kMaxParity] = {};
    for (int t = 0; t < r; ++t) rest[t] = acc[t] + done;
    HornerStep(rest, nullptr, width - done);
  }
  rows.resize(r);
  return rows;
}

class Wide : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { AllowWideSteps(GetParam()); }
  void TearDown() override { AllowWideSteps(false); }
};

TEST(Field, GeneratorHasOrder65535AndTheTablesAgreeWithBitByBit) {
  // Every power of 2 below 65535 is distinct and not 1: the polynomial is primitive, so the
  // a_i = g^(n - i) of up to 999 pieces are distinct and non-zero.
  std::vector<bool> seen(65536);
  uint16_t x = 1;
  for (int k = 0; k < 65535; ++k) {
    ASSERT_FALSE(seen[x]) << k;
    seen[x] = true;
    ASSERT_EQ(ParityCoefficient(999, 999 - k % 999, 1), refcheck::GfPow(2, k % 999));
    x = refcheck::GfMul(x, 2);
  }
  EXPECT_EQ(x, 1);
  EXPECT_FALSE(seen[0]);
  std::mt19937 rng(1);
  for (uint32_t a = 1; a < 65536; ++a) {
    const uint16_t b = static_cast<uint16_t>(rng());
    ASSERT_EQ(GfMul(static_cast<uint16_t>(a), b), refcheck::GfMul(static_cast<uint16_t>(a), b)) << a;
    ASSERT_EQ(refcheck::GfMul(static_cast<uint16_t>(a), GfInverse(static_cast<uint16_t>(a))), 1) << a;
  }
  EXPECT_EQ(GfMul(0, 77), 0);
  EXPECT_EQ(ParityCoefficient(25, 1, 2), refcheck::GfPow(2, 48));
  EXPECT_EQ(ParityCoefficient(25, 25, 2), 1);
}

TEST(Field, ParityCountAndNumbers) {
  const struct { int n, r, last; } cases[] = {
      {1, 1, 3}, {2, 1, 4}, {10, 1, 12}, {11, 2, 14}, {20, 2, 23}, {21, 3, 25}, {999, 3, 1003}};
  for (const auto& c : cases) {
    EXPECT_EQ(ParityCount(c.n), c.r) << c.n;
    EXPECT_EQ(LastSetNumber(c.n), c.last) << c.n;
  }
  EXPECT_EQ(ParityPieceNumber(12, 0), 13);
  EXPECT_EQ(ParityPieceNumber(12, 1), 15);
  EXPECT_EQ(ParityPieceNumber(12, 2), 16);
  EXPECT_EQ(kMaxSetNumber, 1003);
}

TEST_P(Wide, HornerStepsMakeTheRowsOfTheDefinition) {
  std::mt19937 rng(2);
  // Pieces whose last one ends in half a symbol, in a whole one, in a step's middle; steps that
  // leave a tail after the 16-byte ones, and a single step of a whole piece.
  const struct { int n; size_t width, last, step; } cases[] = {
      {1, 10, 10, 10}, {2, 40, 1, 40}, {11, 30, 17, 6}, {12, 64, 63, 18}, {25, 1000, 333, 1000},
      {21, 100, 100, 34}};
  for (const auto& c : cases) {
    std::vector<std::string> pieces;
    for (int i = 1; i <= c.n; ++i) pieces.push_back(Random(rng, i < c.n ? c.width : c.last));
    const std::vector<std::string> rows = Encode(pieces, kMaxParity, c.step);
    for (int t = 0; t < kMaxParity; ++t) {
      EXPECT_EQ(rows[t], refcheck::ParityRow(pieces, t)) << c.n << " pieces, row " << t;
    }
  }
}

TEST_P(Wide, PlainStepsAgreeWithWideOnes) {
  // Rows left out are left alone.
  std::mt19937 rng(3);
  std::string a = Random(rng, 4099), b = a, c = a, d = Random(rng, 4099);
  unsigned char* wide[kMaxParity] = {nullptr, Bytes(a), nullptr};
  unsigned char* plain[kMaxParity] = {nullptr, Bytes(b), nullptr};
  HornerStep(wide, Bytes(d), 4098);
  HornerStepPlain(plain, Bytes(d), 4098);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(a[4098], c[4098]);
}

INSTANTIATE_TEST_SUITE_P(Steps, Wide, ::testing::Bool());

// Loses the pieces marked in lost (data 0..n-1, then rows n..n+r-1) of a stripe of symbols,
// rebuilds them and compares them with the originals. bySyndromeSums takes the syndromes from
// MulAdd instead of Horner steps.
void LoseAndRebuild(const std::vector<std::string>& data, const std::vector<std::string>& rows,
                    const std::vector<bool>& lost, bool bySyndromeSums) {
  const int n = static_cast<int>(data.size()), r = static_cast<int>(rows.size());
  const size_t bytes = data[0].size();
  std::vector<int> lostData, usedRows;
  for (int i = 0; i < n; ++i) {
    if (lost[i]) lostData.push_back(i + 1);
  }
  for (int t = 0; t < r && usedRows.size() < lostData.size(); ++t) {
    if (!lost[n + t]) usedRows.push_back(t);
  }
  ASSERT_EQ(usedRows.size(), lostData.size());
  const int e = static_cast<int>(lostData.size());
  std::vector<std::string> syn(e, std::string(bytes, '\0'));
  unsigned char* acc[kMaxParity] = {};
  for (int u = 0; u < e; ++u) acc[usedRows[u]] = Bytes(syn[u]);
  for (int i = 1; i <= n; ++i) {
    std::string d = data[i - 1];
    if (bySyndromeSums) {
      for (int u = 0; u < e && !lost[i - 1]; ++u) {
        MulAdd(Bytes(syn[u]), Bytes(d), bytes, ParityCoefficient(n, i, usedRows[u]));
      }
    } else {
      HornerStep(acc, lost[i - 1] ? nullptr : Bytes(d), bytes);
    }
  }
  std::vector<unsigned char*> s;
  for (int u = 0; u < e; ++u) {
    std::string stored = rows[usedRows[u]];
    MulAdd(Bytes(syn[u]), Bytes(stored), bytes, 1);
    s.push_back(Bytes(syn[u]));
  }
  SolveStripe(n, e, lostData.data(), usedRows.data(), s.data(), bytes);
  std::vector<std::string> whole = data;
  for (int j = 0; j < e; ++j) {
    ASSERT_EQ(syn[j], data[lostData[j] - 1]) << "piece " << lostData[j] << " of " << n;
    whole[lostData[j] - 1] = syn[j];
  }
  // A lost parity piece is made again from the data.
  const std::vector<std::string> again = Encode(whole, r, bytes);
  for (int t = 0; t < r; ++t) ASSERT_EQ(again[t], rows[t]) << "row " << t << " of " << n;
}

TEST(Erasures, EveryPatternOfUpToThreeLostPiecesOfSmallSets) {
  std::mt19937 rng(4);
  int patterns = 0;
  for (int n = 1; n <= 12; ++n) {
    std::vector<std::string> data;
    for (int i = 0; i < n; ++i) data.push_back(Random(rng, 8));
    // Every row count on every set size: the code does not depend on the rule that picks r.
    for (int r = 1; r <= kMaxParity; ++r) {
      const std::vector<std::string> rows = [&] {
        std::vector<std::string> v;
        for (int t = 0; t < r; ++t) v.push_back(refcheck::ParityRow(data, t));
        return v;
      }();
      const int total = n + r;
      for (uint32_t mask = 0; mask < (1u << total); ++mask) {
        if (__builtin_popcount(mask) > r) continue;
        std::vector<bool> lost(total);
        for (int b = 0; b < total; ++b) lost[b] = mask >> b & 1;
        LoseAndRebuild(data, rows, lost, mask % 3 == 0);
        if (HasFatalFailure()) return;
        ++patterns;
      }
    }
  }
  EXPECT_EQ(patterns, 3171);
}

TEST(Erasures, RandomPatternsOfLargeSets) {
  std::mt19937 rng(5);
  for (int n : {13, 21, 137, 500, 998, 999}) {
    std::vector<std::string> data;
    for (int i = 0; i < n; ++i) data.push_back(Random(rng, 6));
    const int r = kMaxParity;
    std::vector<std::string> rows;
    for (int t = 0; t < r; ++t) rows.push_back(refcheck::ParityRow(data, t));
    for (int round = 0; round < 60; ++round) {
      std::vector<bool> lost(n + r);
      // Mostly three data pieces, often the first and last ones, which have the largest and
      // smallest factors.
      // One to three pieces, data or (three rounds in four) parity, now and then the first and
      // the last data piece: the largest and the smallest factor.
      const int count = 1 + round % 3;
      if (round % 5 == 0) lost[0] = lost[n - 1] = true;
      for (int k = round % 5 == 0 ? 2 : 0; k < count;) {
        const int pick = static_cast<int>(rng() % (round % 4 ? n + r : n));
        if (!lost[pick]) lost[pick] = true, ++k;
      }
      LoseAndRebuild(data, rows, lost, round % 2 == 1);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(ParityLine, WrittenAsTheCheckLineIs) {
  const uint32_t crc[3] = {0x11111111u, 0x0123ABCDu, 0xFEDCBA98u};
  char out[kParityLineBytes];
  std::string body = "PARITY;3;0123ABCD;FEDCBA98;";
  ASSERT_EQ(FormatParityLine(out, sizeof(out), 3, crc), body.size() + 10);
  EXPECT_EQ(std::string(out), body + refcheck::Hex(refcheck::Crc(body)) + ";\n");
  body = "PARITY;2;0123ABCD;";
  ASSERT_EQ(FormatParityLine(out, sizeof(out), 2, crc), body.size() + 10);
  EXPECT_EQ(std::string(out), body + refcheck::Hex(refcheck::Crc(body)) + ";\n");
  EXPECT_EQ(FormatParityLine(out, sizeof(out), 1, crc), 0u);
  EXPECT_EQ(FormatParityLine(out, sizeof(out), 4, crc), 0u);
  EXPECT_EQ(FormatParityLine(out, 37, 3, crc), 0u);
  EXPECT_EQ(out[0], 0);
}

TEST(ParityLine, TakenOnlyWholeWithItsOwnCrcAndTwoOrThreeRows) {
  Checks c{};
  c.count = 25;
  c.crc[26] = 0xAAAA5555u;
  const std::string head = "a.bin;1;25;\nCRC32;whatever the check line held;\n";
  auto signed_ = [](const std::string& body) { return body + refcheck::Hex(refcheck::Crc(body)) + ";"; };
  const struct { std::string text; int count; uint32_t row1, row2; } cases[] = {
      {signed_("PARITY;3;0123ABCD;FEDCBA98;") + "\n", 3, 0x0123ABCDu, 0xFEDCBA98u},
      {signed_("PARITY;2;0123ABCD;") + "\n", 2, 0x0123ABCDu, 0},
      {signed_("PARITY;2;0123ABCD;") + "\nmore lines after it\n", 2, 0x0123ABCDu, 0},
      {signed_("PARITY;3;0123ABCD;FEDCBA98;"), 1, 0, 0},                  // no line feed: cut
      {signed_("PARITY;3;0123ABCD;FEDCBA98;") + "\r\n", 1, 0, 0},
      {signed_("PARITY;3;0123ABCD;FEDCBA98;") + "X\n", 1, 0, 0},
      {"PARITY;3;0123ABCD;FEDCBA98;00000000;\n", 1, 0, 0},                 // its CRC fails
      {signed_("PARITY;3;0123abcd;FEDCBA98;") + "\n", 1, 0, 0},             // lower case
      {signed_("PARITY;3;0123ABCD;") + "\n", 1, 0, 0},                      // a CRC short
      {signed_("PARITY;2;0123ABCD;FEDCBA98;") + "\n", 1, 0, 0},             // one too many
      {signed_("PARITY;4;0123ABCD;FEDCBA98;00000000;") + "\n", 1, 0, 0},
      {signed_("PARITY;1;") + "\n", 1, 0, 0},
      {signed_("PARITY;03;0123ABCD;FEDCBA98;") + "\n", 1, 0, 0},
      {signed_("PARITY;3;123ABCD;FEDCBA98;") + "\n", 1, 0, 0},
      {"\n" + signed_("PARITY;2;0123ABCD;") + "\n", 1, 0, 0},               // not right after it
      {signed_("parity;2;0123ABCD;") + "\n", 1, 0, 0},
      {"", 1, 0, 0},
  };
  for (const auto& k : cases) {
    const std::string file = head + k.text;
    ParityPieces p;
    ReadParityLine(file.data(), file.size(), c, &p);
    EXPECT_EQ(p.count, k.count) << k.text;
    EXPECT_EQ(p.crc[0], 0xAAAA5555u) << k.text;
    EXPECT_EQ(p.crc[1], k.row1) << k.text;
    EXPECT_EQ(p.crc[2], k.row2) << k.text;
  }
  // Nothing after the record, or no check line: one parity piece.
  for (const std::string& file : {std::string("a.bin;1;25;\n"), std::string("a.bin;1;25;")}) {
    ParityPieces p;
    ReadParityLine(file.data(), file.size(), c, &p);
    EXPECT_EQ(p.count, 1);
  }
}

}  // namespace
