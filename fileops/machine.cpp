#include "fileops/machine.h"

#include <windows.h>

#include "base/drives.h"

namespace {

bool ReadClock(fileops::ClockTime* now) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  *now = {CalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}, st.wMilliseconds};
  return true;
}

bool SetClock(const fileops::ClockTime& t) { return SetLocalClock(t.time, t.millisecond); }

uint32_t Ticks() { return GetTickCount(); }

const fileops::MachineClock kClock = {ReadClock, SetClock, Ticks};

}  // namespace

bool MachineVolumeIsNtfs(const char* root) { return IsNtfsVolume(root); }

const fileops::MachineClock& MachineClockOf() { return kClock; }
const DiskFiles& MachineFiles() { return SystemFiles(); }
