#include "fileops/machine.h"

#include <windows.h>

#include "shell/drives.h"

namespace {

SYSTEMTIME ToSystemTime(const CalTime& t) {
  SYSTEMTIME st;
  ZeroMemory(&st, sizeof st);
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

bool ReadClock(CalTime* now) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  *now = CalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  return true;
}

bool SetClock(const CalTime& t) {
  SYSTEMTIME st = ToSystemTime(t);
  return SetLocalTime(&st) != 0;
}

const fileops::MachineClock kClock = {ReadClock, SetClock};

}  // namespace

bool MachineVolumeIsNtfs(const char* root) {
  CheckNtfsVolume(root);
  return g_ntfsFlag != 0;
}

const fileops::MachineClock& MachineClockOf() { return kClock; }
const engine::DiskFiles& MachineFiles() { return engine::SystemFiles(); }
