// The Timestamp command's date rules and file work, without any window.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/diskfiles.h"
#include "base/oskind.h"

namespace fileops {

bool IsLeapYear(int year);
int DaysInMonth(int month, int year);
// The dialog's years run from 1980 to 2079.
int ClampYear(int year);
CalTime EvenSecond(CalTime t);
// One second before t, across minutes, hours, days, months and years; false for the first
// second of 1980, which has nothing before it on a FAT volume.
bool OneSecondEarlier(const CalTime& t, CalTime* earlier);

// How a time is set: through an opened handle on NTFS and on every NT-family system; on a FAT
// volume of a 9x system a folder is made anew while the clock stands just before the time.
enum class TimeMethod { Direct, Recreation };
TimeMethod ChooseTimeMethod(bool ntfs, OsKind kind);

// The machine clock, local time to the millisecond: read and set through this seam only.
struct ClockTime {
  CalTime time;
  int millisecond;
};
struct MachineClock {
  bool (*read)(ClockTime* now);
  bool (*set)(const ClockTime& when);
  // Milliseconds from any fixed start, running on whatever the clock is set to.
  uint32_t (*ticks)();
};
// t moved on by ms milliseconds, across seconds, minutes, hours, days, months and years.
ClockTime Later(ClockTime t, uint32_t ms);

struct TimeJob {
  const DiskFiles* fs;
  const MachineClock* clock;
  const char* programPath;  // passed over, and counted as a failure
  CalTime chosen;
  bool ntfs;
  OsKind kind;
  bool dbcs932;
  int failures;  // every time or attribute that did not take
};

void SetPathTime(TimeJob& job, const char* path);
// Everything below dir, each folder given its time before its contents.
void TimestampWalk(TimeJob& job, const char* dir);

// parent + "!!!", with one more "!" while an entry of that name exists; false when it would
// reach 250 characters.
bool TemporaryFolderFor(const DiskFiles& fs, const char* path, char* out, std::size_t cap,
                        bool dbcs932);

}  // namespace fileops
