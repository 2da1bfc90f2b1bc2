// The machine as the Timestamp command meets it on a 9x system with a FAT volume, for the test
// build TOVRA98.EXE: the volume is not NTFS, the clock is held here instead of set (Wine refuses
// to set it), and a folder made while it is held gets its time as FAT gives it, rounded up to
// an even second. With TOVRA_CLOCK=system the real clock call is made (and refused). Each time
// the clock is set is written to the file TOVRA_CLOCK_LOG names, with the machine's own time.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "fileops/machine.h"

namespace {

bool g_held = false;
fileops::ClockTime g_clock;

bool SystemClockWanted() {
  char value[16] = {0};
  return GetEnvironmentVariableA("TOVRA_CLOCK", value, sizeof value) && !std::strcmp(value, "system");
}

fileops::ClockTime Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {CalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}, st.wMilliseconds};
}

// "set TIME at NOW": what the clock was set to, and the machine's time at that moment.
void Log(const fileops::ClockTime& t) {
  char path[MAX_PATH] = {0};
  if (!GetEnvironmentVariableA("TOVRA_CLOCK_LOG", path, sizeof path)) return;
  FILE* f = std::fopen(path, "a");
  if (!f) return;
  const fileops::ClockTime now = Now();
  for (const fileops::ClockTime* c : {&t, &now}) {
    std::fprintf(f, "%04d-%02d-%02d %02d:%02d:%02d.%03d%s", c->time.year, c->time.month,
                 c->time.day, c->time.hour, c->time.minute, c->time.second, c->millisecond,
                 c == &t ? " at " : "\n");
  }
  std::fclose(f);
}

bool ReadClock(fileops::ClockTime* now) {
  *now = g_held ? g_clock : Now();
  return true;
}

bool SetClock(const fileops::ClockTime& t) {
  Log(t);
  if (SystemClockWanted()) return SetLocalClock(t.time, t.millisecond);
  // The command sets the clock back right after the folder is made: that ends the hold.
  g_held = !g_held;
  g_clock = t;
  return true;
}

uint32_t Ticks() { return GetTickCount(); }

// The last folder made under the held clock, and the time FAT gave it.
char g_madePath[MAX_PATH];
CalTime g_madeTime;

bool MakeDirOnFat(const char* path) {
  if (!CreateDirectoryA(path, nullptr)) return false;
  if (!g_held) return true;
  uint64_t when = 0;
  if (!FileTimeOfLocalTime(g_clock.time, &when)) return false;
  when += g_clock.time.second % 2 ? 10000000ull : 0;  // FAT keeps even seconds, rounding up
  if (!LocalTimeOfFileTime(when, &g_madeTime)) return false;
  lstrcpynA(g_madePath, path, sizeof g_madePath);
  return SystemFiles().setTimes(path, g_madeTime) == TimeResult::Ok;
}

bool RenameOnFat(const char* from, const char* to) {
  if (!MoveFileA(from, to)) return false;
  const size_t n = std::strlen(g_madePath);
  if (n && !_strnicmp(to, g_madePath, n) && to[n] == '\\')
    SystemFiles().setTimes(g_madePath, g_madeTime);
  return true;
}

fileops::MachineClock g_machineClock = {ReadClock, SetClock, Ticks};
DiskFiles g_files;

}  // namespace

bool MachineVolumeIsNtfs(const char*) { return false; }

const fileops::MachineClock& MachineClockOf() { return g_machineClock; }

const DiskFiles& MachineFiles() {
  g_files = SystemFiles();
  g_files.makeDir = MakeDirOnFat;
  g_files.rename = RenameOnFat;
  return g_files;
}
