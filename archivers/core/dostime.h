// MS-DOS date and time words (local time, two-second steps) and their conversions.
#pragma once
#include <cstdint>

namespace arc {

struct CivilTime {
  int year, month, day, hour, minute, second;
};

// Packs date in the high word and time in the low word; years outside 1980-2107 are clamped.
uint32_t PackDos(const CivilTime& t);
CivilTime UnpackDos(uint32_t dos);
// Local-time conversions through the system's time zone.
uint32_t UnixToDos(int64_t t);
int64_t DosToUnix(uint32_t dos);

}  // namespace arc
