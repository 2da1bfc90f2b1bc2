// COPYBENCH.EXE join <folder> <count> <file> | split <file> <folder> <bytes>: the bare copy a
// Windows program makes of a piece set, without checks, parity or a window, timed by
// bench/divide_merge.sh beside Tovra's merge and division to show what the system's calls
// cost by themselves. join reads file-1 to file-<count> of the folder, each in one ReadFile,
// and writes them one after another to the file; split writes the file as file-1, file-2, ...
// of <bytes> each, each in one WriteFile. Folders end in a backslash. Prints the seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/stopwatch.h"

namespace {

constexpr DWORD kMaxPiece = 1457664;
char g_buffer[kMaxPiece];

HANDLE Piece(const char* folder, int k, bool create) {
  char path[MAX_PATH];
  std::snprintf(path, sizeof path, "%sfile-%d", folder, k);
  return create ? CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                : CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool Write(HANDLE f, DWORD bytes) {
  DWORD put = 0;
  return WriteFile(f, g_buffer, bytes, &put, nullptr) && put == bytes;
}

bool Join(const char* folder, int count, const char* file) {
  HANDLE out = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  for (int k = 1; ok && k <= count; ++k) {
    HANDLE in = Piece(folder, k, false);
    DWORD got = 0;
    ok = in != INVALID_HANDLE_VALUE && ReadFile(in, g_buffer, kMaxPiece, &got, nullptr) && Write(out, got);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  return ok;
}

bool Split(const char* file, const char* folder, DWORD bytes) {
  HANDLE in = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  bool ok = in != INVALID_HANDLE_VALUE && bytes > 0 && bytes <= kMaxPiece;
  DWORD got = 0;
  for (int k = 1; ok; ++k) {
    ok = ReadFile(in, g_buffer, bytes, &got, nullptr) != FALSE;
    if (!ok || got == 0) break;
    HANDLE out = Piece(folder, k, true);
    ok = out != INVALID_HANDLE_VALUE && Write(out, got);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  }
  if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const LARGE_INTEGER t0 = StartClock();
  const bool join = std::strcmp(argv[1], "join") == 0;
  const bool ok = join ? Join(argv[2], std::atoi(argv[3]), argv[4])
                       : Split(argv[2], argv[3], static_cast<DWORD>(std::atol(argv[4])));
  const double seconds = SecondsSince(t0);
  if (!ok) return 1;
  std::printf("%.4f\n", seconds);
  return 0;
}
