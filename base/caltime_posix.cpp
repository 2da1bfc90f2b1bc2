// Local calendar times of file times on POSIX systems, by the rule the Windows programs follow:
// the zone's offset from universal time as it is now, daylight saving included, for every
// file time. A time taken in summer and read in winter is an hour off, as it is for them; so a
// record written here names the hour theirs would, and a merged file gets the time theirs gets.
#include <ctime>

#include "base/caltime.h"

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

// Days from 1970-01-01 to the civil date, and back (proleptic Gregorian).
int64_t DaysOfCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilOfDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

int64_t OffsetNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  return localtime_r(&now, &local) ? local.tm_gmtoff : 0;
}

}  // namespace

bool LocalTimeOfFileTime(uint64_t fileTime, CalTime* out) {
  const int64_t seconds = static_cast<int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970 + OffsetNow();
  const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
  const int64_t rest = seconds - days * 86400;
  CalTime t{};
  CivilOfDays(days, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  *out = t;
  return t.year >= 1601 && t.year <= 30827;
}

bool FileTimeOfLocalTime(const CalTime& t, uint64_t* fileTime) {
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
      t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.year < 1601 || t.year > 30827) {
    return false;
  }
  const int64_t days = DaysOfCivil(t.year, t.month, t.day);
  int y = 0, m = 0, d = 0;
  CivilOfDays(days, &y, &m, &d);
  if (d != t.day) return false;  // past the month's end
  const int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second - OffsetNow() +
                          kSecondsFrom1601To1970;
  if (seconds < 0) return false;
  *fileTime = static_cast<uint64_t>(seconds) * kTicksPerSecond;
  return true;
}
