// WIPEBENCH.EXE <file>: the complete deletion Tovra's Delete command runs on a file (four passes,
// each sent to the disk, then a rename and the deletion), with the same work function and the
// system's files, timed by bench/wipe.sh. Prints the seconds it took.
#include <windows.h>

#include <cstdio>

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
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  const fileops::WipeJob job{&SystemFiles(), "", &g_generator, ReadClock};
  fileops::WipeReport report{};
  fileops::WipeFile(job, argv[1], &report);
  QueryPerformanceCounter(&t1);
  std::printf("%.3f\n", static_cast<double>(t1.QuadPart - t0.QuadPart) / f.QuadPart);
  return report.failures ? 1 : 0;
}
