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

bool FileTimeOfLocalTime(const CalTime& t, uint64_t* fileTime) {
  // Year, month, day of the week (not read), day, hour, minute, second, millisecond.
  const SYSTEMTIME st = {static_cast<WORD>(t.year), static_cast<WORD>(t.month), 0,
                         static_cast<WORD>(t.day), static_cast<WORD>(t.hour),
                         static_cast<WORD>(t.minute), static_cast<WORD>(t.second), 0};
  FILETIME local, utc;
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  if (utc.dwHighDateTime & 0x80000000u) return false;
  *fileTime = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  return true;
}
