// HOLDFILE.EXE <path>: for the Rundelo tests. Prints "waiting", opens path for reading as soon
// as it exists (sharing reading, writing and deletion), prints "held" and keeps it open until
// its input ends, so that an exclusive re-opening by another program fails.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::puts("usage: HOLDFILE <path>");
    return 2;
  }
  std::puts("waiting");
  std::fflush(stdout);
  HANDLE h;
  while ((h = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, 0, nullptr)) == INVALID_HANDLE_VALUE) {
    Sleep(1);
  }
  std::puts("held");
  std::fflush(stdout);
  char line[16];
  while (std::fgets(line, sizeof(line), stdin)) {
  }
  CloseHandle(h);
  return 0;
}
