// Calendar time, local, as the piece-set record, the file list and the commands use it.
#pragma once
#include <cstdint>

// Milliseconds are always 0.
struct CalTime {
  int year, month, day, hour, minute, second;
};

// A file time (100 ns since 1601, universal) as local calendar time, by the zone's offset as it
// is now (caltime_win32.cpp, caltime_posix.cpp).
bool LocalTimeOfFileTime(uint64_t fileTime, CalTime* out);
// A local calendar time as a universal file time; false when it does not convert or falls
// before the first file time.
bool FileTimeOfLocalTime(const CalTime& t, uint64_t* fileTime);
// Sets the machine clock to a local calendar time and millisecond (Windows only).
bool SetLocalClock(const CalTime& t, int millisecond);
