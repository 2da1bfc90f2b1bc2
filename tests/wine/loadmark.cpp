// LOADMARK.DLL: a library that only tells that it was loaded. Copied under an archiver
// library's name, it leaves NAME.loaded beside itself, holding its own path, when a program
// loads it; it exports nothing.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char path[MAX_PATH + 8] = {0};
  const DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  char marker[MAX_PATH + 16] = {0};
  lstrcpyA(marker, path);
  lstrcatA(marker, ".loaded");
  HANDLE f = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(f, path, n, &written, nullptr);
    CloseHandle(f);
  }
  return TRUE;
}
