// WIPE_DUMP size hundredths seconds: wipes a file of size bytes on the model disk with the clock
// reading given and writes what the file held after each of the four passes to standard output,
// for a check against the generator's formulas computed elsewhere.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fileops/wipe.h"
#include "base/memdisk.h"

namespace {

const char kPath[] = "C:\\f.bin";
int g_hundredths, g_seconds;

void Clock(int* h, int* s) {
  *h = g_hundredths;
  *s = g_seconds;
}

bool Snapshot(FileHandle f) {
  if (!memdisk::Files().flush(f)) return false;
  const std::string& data = memdisk::Get(kPath).data;
  std::fwrite(data.data(), 1, data.size(), stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const size_t size = std::strtoul(argv[1], nullptr, 10);
  g_hundredths = std::atoi(argv[2]);
  g_seconds = std::atoi(argv[3]);
  memdisk::Reset();
  memdisk::Put(kPath, std::string(size, 'x'));
  DiskFiles fs = memdisk::Files();
  fs.flush = Snapshot;
  static fileops::WipeGenerator g;
  return fileops::OverwriteFile(fs, kPath, size, g, Clock) == fileops::WipeResult::Ok ? 0 : 1;
}
