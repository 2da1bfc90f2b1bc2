#include "fileops/wipe.h"

#include <cmath>
#include <cstring>

namespace fileops {
namespace {

// Whole byte-table blocks per write: the passes move in runs of 1 MiB.
constexpr int kRunTables = 32;
uint8_t g_run[kRunTables * kTableSize];

bool WriteRun(const DiskFiles& fs, FileHandle f, const void* data, uint64_t n) {
  return fs.write(f, data, static_cast<long>(n)) == static_cast<long>(n);
}

// The random pass: one byte-table refill for every whole block of 32768 bytes, and one more for
// the rest (also when there is none).
bool RandomPass(const DiskFiles& fs, FileHandle f, uint64_t size, WipeGenerator& g) {
  const uint64_t blocks = size / kTableSize;
  const uint64_t rest = size % kTableSize;
  uint64_t filled = 0;  // bytes waiting in g_run
  for (uint64_t b = 0; b < blocks; ++b) {
    RefillBytes(g);
    std::memcpy(g_run + filled, g.byteTable, kTableSize);
    filled += kTableSize;
    if (filled == sizeof g_run) {
      if (!WriteRun(fs, f, g_run, filled)) return false;
      filled = 0;
    }
  }
  RefillBytes(g);
  std::memcpy(g_run + filled, g.byteTable, static_cast<size_t>(rest));
  filled += rest;
  return filled == 0 || WriteRun(fs, f, g_run, filled);
}

bool FillPass(const DiskFiles& fs, FileHandle f, uint64_t size, uint8_t value) {
  std::memset(g_run, value, sizeof g_run);
  for (uint64_t done = 0; done < size;) {
    const uint64_t n = size - done < sizeof g_run ? size - done : sizeof g_run;
    if (!WriteRun(fs, f, g_run, n)) return false;
    done += n;
  }
  return true;
}

}  // namespace

uint32_t Draw(WipeGenerator& g) {
  g.state = g.state * 22695477u + 1u;
  return (g.state >> 16) & 0x7FFFu;
}

uint32_t SeedOfClock(int hundredths, int seconds) {
  const double h = hundredths, s = seconds;
  const double x = (h * 100.0 + (h * 0.01 + s) * 5.0 / 3.0) * 6.5536;
  return static_cast<uint32_t>(std::floor(x));
}

void SeedGenerator(WipeGenerator& g, uint32_t seed) {
  g.seed = seed;
  uint32_t state = seed;
  for (uint32_t& e : g.seedTable) {
    state = state * 22695477u + 1u;
    e = (state >> 16) & 0x7FFFu;
  }
  g.state = state;
  g.position = 0;
}

// Four steps of the generator at once: state(n + 4) = state(n) * kA4 + kC4. Four interleaved
// chains give the same draws in the same order as one, without each waiting for the last.
constexpr uint32_t kA = 22695477u;
constexpr uint32_t kA4 = kA * kA * kA * kA;
constexpr uint32_t kC4 = kA * kA * kA + kA * kA + kA + 1u;

void RefillBytes(WipeGenerator& g) {
  uint32_t s0 = g.seedTable[g.seedTable[g.position]];
  uint32_t s1 = s0 * kA + 1u, s2 = s1 * kA + 1u, s3 = s2 * kA + 1u, s4 = s3 * kA + 1u;
  // A draw modulo 256 is the low byte of bits 16 to 30: bits 16 to 23 of the state.
  for (int i = 0;; i += 4) {
    g.byteTable[i] = static_cast<uint8_t>(s1 >> 16);
    g.byteTable[i + 1] = static_cast<uint8_t>(s2 >> 16);
    g.byteTable[i + 2] = static_cast<uint8_t>(s3 >> 16);
    g.byteTable[i + 3] = static_cast<uint8_t>(s4 >> 16);
    if (i + 4 == kTableSize) break;
    s1 = s1 * kA4 + kC4;
    s2 = s2 * kA4 + kC4;
    s3 = s3 * kA4 + kC4;
    s4 = s4 * kA4 + kC4;
  }
  g.state = s4;
  if (++g.position > kTableSize - 1) SeedGenerator(g, g.seed >= 65535 ? 1 : g.seed + 1);
}

WipeResult OverwriteFile(const DiskFiles& fs, const char* path, uint64_t size,
                         WipeGenerator& g, ClockReader clock) {
  FileHandle f = fs.openWrite(path);
  if (f == kNoFile) return WipeResult::CannotOpen;
  int hundredths = 0, seconds = 0;
  clock(&hundredths, &seconds);
  SeedGenerator(g, SeedOfClock(hundredths, seconds));
  bool ok = true;
  for (int round = 0; round < 2 && ok; ++round) {
    ok = fs.seek(f, 0) && RandomPass(fs, f, size, g) && fs.flush(f);
    uint8_t fill = 0;
    if (round == 0) {
      RefillBytes(g);
      fill = g.byteTable[0];
    }
    ok = ok && fs.seek(f, 0) && FillPass(fs, f, size, fill) && fs.flush(f);
  }
  fs.close(f);
  return ok ? WipeResult::Ok : WipeResult::WriteFailed;
}

}  // namespace fileops
