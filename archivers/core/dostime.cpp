#include "dostime.h"

#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace arc {

uint32_t PackDos(const CivilTime& t) {
  CivilTime c = t;
  if (c.year < 1980) c = {1980, 1, 1, 0, 0, 0};
  if (c.year > 2107) c = {2107, 12, 31, 23, 59, 58};
  uint32_t date = static_cast<uint32_t>(((c.year - 1980) << 9) | (c.month << 5) | c.day);
  uint32_t time = static_cast<uint32_t>((c.hour << 11) | (c.minute << 5) | (c.second / 2));
  return (date << 16) | time;
}

CivilTime UnpackDos(uint32_t dos) {
  CivilTime c;
  uint32_t date = dos >> 16, time = dos & 0xFFFF;
  c.year = 1980 + static_cast<int>(date >> 9);
  c.month = static_cast<int>((date >> 5) & 15);
  c.day = static_cast<int>(date & 31);
  c.hour = static_cast<int>(time >> 11);
  c.minute = static_cast<int>((time >> 5) & 63);
  c.second = static_cast<int>((time & 31) * 2);
  return c;
}

#ifdef _WIN32

uint32_t UnixToDos(int64_t t) {
  int64_t v = t * 10000000 + 116444736000000000LL;
  FILETIME ft, local;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) return PackDos({1980, 1, 1, 0, 0, 0});
  return PackDos({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

int64_t DosToUnix(uint32_t dos) {
  CivilTime c = UnpackDos(dos);
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(c.year);
  st.wMonth = static_cast<WORD>(c.month ? c.month : 1);
  st.wDay = static_cast<WORD>(c.day ? c.day : 1);
  st.wHour = static_cast<WORD>(c.hour);
  st.wMinute = static_cast<WORD>(c.minute);
  st.wSecond = static_cast<WORD>(c.second);
  FILETIME local, ft;
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &ft)) return 315532800;  // 1980-01-01
  int64_t v = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (v - 116444736000000000LL) / 10000000;
}

#else

uint32_t UnixToDos(int64_t t) {
  time_t tt = static_cast<time_t>(t);
  struct tm tmv;
  if (!localtime_r(&tt, &tmv)) return PackDos({1980, 1, 1, 0, 0, 0});
  return PackDos({tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec});
}

int64_t DosToUnix(uint32_t dos) {
  CivilTime c = UnpackDos(dos);
  struct tm tmv = {};
  tmv.tm_year = c.year - 1900;
  tmv.tm_mon = (c.month ? c.month : 1) - 1;
  tmv.tm_mday = c.day ? c.day : 1;
  tmv.tm_hour = c.hour;
  tmv.tm_min = c.minute;
  tmv.tm_sec = c.second;
  tmv.tm_isdst = -1;
  time_t t = mktime(&tmv);
  return t == static_cast<time_t>(-1) ? 315532800 : static_cast<int64_t>(t);
}

#endif

}  // namespace arc
