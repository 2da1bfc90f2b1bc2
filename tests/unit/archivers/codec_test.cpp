// CRCs, Huffman code construction, and the -lh5- encoder and decoder.
#include <gtest/gtest.h>

#include <cstring>

#include "crc16.h"
#include "errors.h"
#include "huffman.h"
#include "lhcodec.h"
#include "stream.h"
#include "testutil.h"
#include "zip.h"

namespace {

using arctest::MixedData;
using arctest::RandomData;

uint16_t Crc16Bitwise(const std::vector<uint8_t>& v) {
  uint16_t c = 0;
  for (uint8_t b : v) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
  }
  return c;
}

TEST(Crc, MatchCheckValuesAndBitwiseDefinition) {
  const char* check = "123456789";
  EXPECT_EQ(0xBB3D, arc::Crc16Update(0, check, 9));  // CRC-16/ARC check value
  EXPECT_EQ(0xCBF43926u, arc::ZipCrc32(0, check, 9));
  for (size_t n : {0, 1, 3, 4, 5, 7, 1000, 4099}) {
    auto v = RandomData(n, static_cast<uint32_t>(n));
    EXPECT_EQ(Crc16Bitwise(v), arc::Crc16Update(0, v.data(), v.size())) << n;
    // Split updates give the same result as one.
    uint16_t c = arc::Crc16Update(0, v.data(), n / 3);
    EXPECT_EQ(Crc16Bitwise(v), arc::Crc16Update(c, v.data() + n / 3, n - n / 3)) << n;
  }
}

// Kraft sum of the lengths, in units of 2^-16.
uint64_t Kraft(const uint8_t* len, int n) {
  uint64_t s = 0;
  for (int i = 0; i < n; ++i)
    if (len[i]) s += 1ull << (16 - len[i]);
  return s;
}

TEST(Huffman, LengthsAreLimitedCompleteAndPrefixFree) {
  // Fibonacci weights would give a 40-level tree without the limit.
  uint32_t freq[40];
  uint32_t a = 1, b = 1;
  for (auto& f : freq) {
    f = a;
    uint32_t c = a + b;
    a = b;
    b = c;
  }
  uint8_t len[40];
  ASSERT_EQ(40, arc::BuildCodeLengths(freq, 40, 16, len));
  for (uint8_t l : len) EXPECT_TRUE(l >= 1 && l <= 16);
  EXPECT_EQ(1ull << 16, Kraft(len, 40));
  // More frequent symbols never get longer codes.
  for (int i = 1; i < 40; ++i) EXPECT_LE(len[i], len[i - 1]);
  uint16_t code[40];
  arc::BuildCanonicalCodes(len, 40, code);
  for (int i = 0; i < 40; ++i)
    for (int j = 0; j < 40; ++j) {
      if (i == j || len[i] > len[j]) continue;
      EXPECT_NE(code[i], code[j] >> (len[j] - len[i])) << i << " is a prefix of " << j;
    }
}

TEST(Huffman, SingleAndUnusedSymbols) {
  uint32_t freq[10] = {0, 0, 7, 0, 0, 0, 0, 0, 0, 0};
  uint8_t len[10];
  EXPECT_EQ(1, arc::BuildCodeLengths(freq, 10, 16, len));
  for (uint8_t l : len) EXPECT_EQ(0, l);
  freq[5] = 1;
  EXPECT_EQ(2, arc::BuildCodeLengths(freq, 10, 16, len));
  EXPECT_EQ(1, len[2]);
  EXPECT_EQ(1, len[5]);
  EXPECT_EQ(0, len[0]);
}

struct Encoded {
  int status;
  std::vector<uint8_t> bytes;
  arc::LhEncodeResult result;
};

Encoded Encode(const std::vector<uint8_t>& in, uint64_t limit = UINT64_MAX) {
  Encoded e;
  arc::MemoryReader reader(in.data(), in.size());
  arc::VectorSink sink;
  e.status = arc::LhEncode(reader, sink, limit, &e.result);
  e.bytes = arctest::StdBytes(sink.bytes);
  return e;
}

int Decode(const std::vector<uint8_t>& packed, size_t original, std::vector<uint8_t>* out, uint16_t* crc,
           int dicbit = 13) {
  arc::MemorySource src(packed.data(), packed.size());
  arc::VectorSink sink;
  arc::LhDecodeRoom room;
  EXPECT_TRUE(room.Make());
  int r = arc::LhDecode(room, dicbit, src, 0, packed.size(), original, sink, crc);
  *out = arctest::StdBytes(sink.bytes);
  return r;
}

TEST(Lh5, RoundTripsVariedData) {
  std::vector<std::vector<uint8_t>> inputs = {
      {'x'},
      std::vector<uint8_t>(100000, 'a'),        // one long run: maximal matches
      MixedData(300000, 1),                      // many blocks, distances across the window
      RandomData(5000, 2),                       // nearly no matches
  };
  std::vector<uint8_t> two(20000);
  for (size_t i = 0; i < two.size(); ++i) two[i] = (i / 7) % 2 ? 'A' : 'B';
  inputs.push_back(two);
  auto far = RandomData(8191, 3);  // repeats exactly at the largest distances
  far.insert(far.end(), far.begin(), far.end());
  inputs.push_back(far);
  for (const auto& in : inputs) {
    Encoded e = Encode(in);
    ASSERT_EQ(arc::kOk, e.status) << in.size();
    EXPECT_EQ(in.size(), e.result.original);
    EXPECT_EQ(e.bytes.size(), e.result.packed);
    EXPECT_EQ(arc::Crc16Update(0, in.data(), in.size()), e.result.crc);
    std::vector<uint8_t> out;
    uint16_t crc = 0;
    ASSERT_EQ(arc::kOk, Decode(e.bytes, in.size(), &out, &crc)) << in.size();
    EXPECT_TRUE(out == in) << in.size();
    EXPECT_EQ(e.result.crc, crc);
  }
}

TEST(Lh5, CompressesRedundantDataAndGivesUpOnNoise) {
  auto text = MixedData(200000, 9);
  Encoded e = Encode(text);
  ASSERT_EQ(arc::kOk, e.status);
  EXPECT_LT(e.bytes.size(), text.size() / 2);
  auto noise = RandomData(200000, 10);
  EXPECT_EQ(arc::kErrNotSmaller, Encode(noise, noise.size()).status);
}

struct FailingSink : arc::ByteSink {
  size_t room;
  explicit FailingSink(size_t r) : room(r) {}
  bool Write(const void*, size_t n) override {
    if (n > room) return false;
    room -= n;
    return true;
  }
};

TEST(Lh5, FullDiskIsReportedBothWays) {
  auto data = MixedData(400000, 4);
  arc::MemoryReader reader(data.data(), data.size());
  FailingSink small(1000);
  arc::LhEncodeResult res;
  EXPECT_EQ(arc::kErrCannotWrite, arc::LhEncode(reader, small, UINT64_MAX, &res));
  Encoded e = Encode(data);
  arc::MemorySource src(e.bytes.data(), e.bytes.size());
  FailingSink out(100000);
  uint16_t crc;
  arc::LhDecodeRoom room;
  ASSERT_TRUE(room.Make());
  EXPECT_EQ(arc::kErrCannotWrite, arc::LhDecode(room, 13, src, 0, e.bytes.size(), data.size(), out, &crc));
}

TEST(Lh5, DamagedStreamsEndWithAnErrorOrAWrongCrc) {
  auto data = MixedData(60000, 5);
  Encoded e = Encode(data);
  ASSERT_EQ(arc::kOk, e.status);
  std::vector<uint8_t> out;
  uint16_t crc = 0;
  // Cut short: the decoder must notice that it read past the end.
  for (size_t cut : {size_t(0), size_t(1), size_t(7), e.bytes.size() / 2, e.bytes.size() - 1}) {
    std::vector<uint8_t> part(e.bytes.begin(), e.bytes.begin() + static_cast<long>(cut));
    EXPECT_EQ(arc::kErrBrokenData, Decode(part, data.size(), &out, &crc)) << cut;
  }
  // Flipped bits anywhere: never a crash, and never the right data with the right CRC by accident.
  std::mt19937 rng(6);
  for (int i = 0; i < 300; ++i) {
    auto bad = e.bytes;
    bad[rng() % bad.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
    int r = Decode(bad, data.size(), &out, &crc);
    if (r == arc::kOk) {
      EXPECT_TRUE(crc != e.result.crc || out == data);
    }
    EXPECT_LE(out.size(), data.size());
  }
}

// Packs values most significant bit first, as the format does.
std::vector<uint8_t> Bits(const std::vector<std::pair<int, uint32_t>>& fields) {
  std::vector<uint8_t> out;
  uint32_t acc = 0;
  int n = 0;
  for (auto [width, value] : fields)
    for (int b = width - 1; b >= 0; --b) {
      acc = (acc << 1) | ((value >> b) & 1);
      if (++n == 8) {
        out.push_back(static_cast<uint8_t>(acc));
        acc = 0;
        n = 0;
      }
    }
  if (n) out.push_back(static_cast<uint8_t>(acc << (8 - n)));
  out.resize(out.size() + 8, 0);
  return out;
}

TEST(Lh5, BadTablesAreRefused) {
  std::vector<uint8_t> out;
  uint16_t crc;
  // Three t-codes of length 1: over-subscribed.
  std::vector<std::pair<int, uint32_t>> f = {{16, 1}, {5, 3}, {3, 1}, {3, 1}, {3, 1}, {2, 0}};
  EXPECT_EQ(arc::kErrBrokenData, Decode(Bits(f), 10, &out, &crc));
  // A t-code length of 17 is beyond the format.
  f = {{16, 1}, {5, 2}, {3, 7}, {14, 0x3FFE}};
  EXPECT_EQ(arc::kErrBrokenData, Decode(Bits(f), 10, &out, &crc));
  // More t-code lengths than there are t-codes.
  f = {{16, 1}, {5, 20}};
  EXPECT_EQ(arc::kErrBrokenData, Decode(Bits(f), 10, &out, &crc));
  // A zero symbol count would never end a block.
  EXPECT_EQ(arc::kErrBrokenData, Decode(std::vector<uint8_t>(32, 0), 10, &out, &crc));
  // A valid one-symbol block (constant tables) decodes; then the data runs out.
  f = {{16, 3}, {5, 0}, {5, 0}, {9, 0}, {9, 'q'}, {4, 0}, {4, 0}};
  ASSERT_EQ(arc::kOk, Decode(Bits(f), 3, &out, &crc));
  EXPECT_EQ(std::vector<uint8_t>(3, 'q'), out);
  EXPECT_NE(arc::kOk, Decode(Bits(f), 4, &out, &crc));
}

TEST(Lh5, MethodNamesGiveWindowSizes) {
  EXPECT_EQ(13, arc::LhDictionaryBits("-lh5-"));
  EXPECT_EQ(15, arc::LhDictionaryBits("-lh6-"));
  EXPECT_EQ(16, arc::LhDictionaryBits("-lh7-"));
  EXPECT_EQ(0, arc::LhDictionaryBits("-lh0-"));
  EXPECT_EQ(0, arc::LhDictionaryBits("-lzs-"));
}

}  // namespace
