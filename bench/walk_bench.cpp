// WALKBENCH.EXE <folder> [tovra]: a walk of the tree below folder, timed by bench/size_inquiry.sh
// beside Tovra's File Size command. By itself the plainest walk the system allows: nothing but
// FindFirstFileA and FindNextFileA, adding up what they give. With "tovra" the command's own
// walk (AddUpTree on the system's files). Prints the seconds it took and the bytes, files and
// folders it counted.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "bench/stopwatch.h"
#include "fileops/sizeinquiry_work.h"

namespace {

fileops::TreeSize g_size;
char g_path[MAX_PATH + 4];

// Walks the folder whose path, ending in a backslash, fills g_path up to len. Names beginning
// with a full stop are passed over, as the command passes them over.
void Walk(size_t len) {
  if (len + 4 > sizeof g_path) return;
  std::memcpy(g_path + len, "*.*", 4);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(g_path, &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.cFileName[0] == '.') continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ++g_size.folders;
      size_t n = std::strlen(fd.cFileName);
      if (len + n + 1 < sizeof g_path) {
        std::memcpy(g_path + len, fd.cFileName, n);
        g_path[len + n] = '\\';
        Walk(len + n + 1);
      }
    } else {
      ++g_size.files;
      g_size.bytes += (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

}  // namespace

int main(int argc, char** argv) {
  size_t len = argc > 1 ? std::strlen(argv[1]) : 0;
  if (len == 0 || len + 2 > MAX_PATH) return 2;
  const bool tovra = argc > 2 && !std::strcmp(argv[2], "tovra");
  std::memcpy(g_path, argv[1], len);
  if (g_path[len - 1] != '\\') g_path[len++] = '\\';
  const LARGE_INTEGER t0 = StartClock();
  if (tovra) fileops::AddUpTree(SystemFiles(), argv[1], &g_size);
  else Walk(len);
  const double seconds = SecondsSince(t0);
  std::printf("%.4f %llu %llu %llu\n", seconds,
              static_cast<unsigned long long>(g_size.bytes),
              static_cast<unsigned long long>(g_size.files),
              static_cast<unsigned long long>(g_size.folders));
  return 0;
}
