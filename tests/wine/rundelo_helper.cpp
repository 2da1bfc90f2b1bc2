// RDHELPER.EXE: small aids for the Rundelo tests that the robot does not offer.
//   hold <path>            prints "waiting", opens path for reading as soon as it exists
//                          (sharing reading, writing and deletion), prints "held" and keeps it
//                          open until its input ends: an exclusive re-opening then fails.
//   exstyle <hwnd>         prints the window's extended style in hex.
//   move <hwnd> <x> <y>    moves a window, e.g. a message box off what it hides.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Hold(const char* path) {
  std::puts("waiting");
  std::fflush(stdout);
  HANDLE h;
  while ((h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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

HWND ParseWindow(const char* text) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(text, nullptr, 10)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "exstyle") == 0) {
    HWND w = ParseWindow(argv[2]);
    if (!IsWindow(w)) return 1;
    std::printf("%08lx\n", static_cast<unsigned long>(GetWindowLongA(w, GWL_EXSTYLE)));
    return 0;
  }
  if (argc == 5 && std::strcmp(argv[1], "move") == 0) {
    BOOL ok = SetWindowPos(ParseWindow(argv[2]), nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return ok ? 0 : 1;
  }
  std::puts("usage: RDHELPER hold <path> | exstyle <hwnd> | move <hwnd> <x> <y>");
  return 2;
}
