// WIPEBENCH.EXE <file>: the complete deletion Tovra's Delete command runs on a file (four passes,
// each sent to the disk, then a rename and the deletion), with the same work function and the
// system's files, timed by bench/wipe.sh. Prints the seconds it took.
#include <windows.h>

#include <cstdio>

#include "bench/stopwatch.h"
#include "fileops/delete_work.h"

namespace {

void ReadClock(int* hundredths, int* seconds) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  *hundredths = now.wMilliseconds / 10;
  *seconds = now.wSecond;
}

fileops::WipeGenerator g_generator;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const LARGE_INTEGER t0 = StartClock();
  const fileops::WipeJob job{&SystemFiles(), "", &g_generator, ReadClock};
  fileops::WipeReport report{};
  fileops::WipeFile(job, argv[1], &report);
  std::printf("%.3f\n", SecondsSince(t0));
  return report.failures ? 1 : 0;
}
