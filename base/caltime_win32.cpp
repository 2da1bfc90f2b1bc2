#include <windows.h>

#include "base/caltime.h"

bool LocalTimeOfFileTime(uint64_t fileTime, CalTime* out) {
  FILETIME utc, local;
  utc.dwLowDateTime = static_cast<DWORD>(fileTime);
  utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  SYSTEMTIME st;
  ZeroMemory(&st, sizeof st);
  bool ok = FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &st);
  *out = CalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  return ok;
}

namespace {

SYSTEMTIME SystemTimeOf(const CalTime& t, int millisecond) {
  SYSTEMTIME st;
  ZeroMemory(&st, sizeof st);
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(millisecond);
  return st;
}

}  // namespace

bool SetLocalClock(const CalTime& t, int millisecond) {
  const SYSTEMTIME st = SystemTimeOf(t, millisecond);
  return SetLocalTime(&st) != 0;
}

bool FileTimeOfLocalTime(const CalTime& t, uint64_t* fileTime) {
  const SYSTEMTIME st = SystemTimeOf(t, 0);
  FILETIME local, utc;
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  if (utc.dwHighDateTime & 0x80000000u) return false;
  *fileTime = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  return true;
}
