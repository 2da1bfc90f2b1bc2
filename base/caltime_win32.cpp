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
  SYSTEMTIME st;
  ZeroMemory(&st, sizeof st);
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  FILETIME local, utc;
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  if (utc.dwHighDateTime & 0x80000000u) return false;
  *fileTime = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  return true;
}
