// The overwrite of complete deletion: a pseudo-random generator reseeded from the clock for every
// file, and four passes over the file's whole length (random bytes, one random byte value
// repeated, random bytes, zeros). Portable; the bytes stream through a bounded buffer.
#pragma once
#include <cstdint>

#include "base/diskfiles.h"

namespace fileops {

constexpr int kTableSize = 32768;

struct WipeGenerator {
  uint32_t state;  // the generator's one word
  uint32_t seed;   // 0 .. 65535
  uint32_t seedTable[kTableSize];
  int position;    // the seed-table entry that chooses the next reseeding
  uint8_t byteTable[kTableSize];
};

// state = state * 22695477 + 1; the draw is bits 16 to 30 of the new state (0 .. 32767).
uint32_t Draw(WipeGenerator& g);
// The seed of a clock reading: hundredths (0 .. 99) and seconds (0 .. 59).
uint32_t SeedOfClock(int hundredths, int seconds);
// Sets the seed, fills the seed table with draws and puts the position at 0.
void SeedGenerator(WipeGenerator& g, uint32_t seed);
// Refills the byte table from the seed-table entry the position chooses, and moves on; past the
// last entry the seed grows by one (65535 wraps to 1) and the seed table is drawn again.
void RefillBytes(WipeGenerator& g);

// Reads the local clock for the seeding.
using ClockReader = void (*)(int* hundredths, int* seconds);

enum class WipeResult { Ok, CannotOpen, WriteFailed };

// Overwrites the size bytes of path in the four passes, each sent to the disk before the next
// begins; every write is checked. The generator is seeded from the clock first.
WipeResult OverwriteFile(const DiskFiles& fs, const char* path, uint64_t size,
                         WipeGenerator& g, ClockReader clock);

}  // namespace fileops
