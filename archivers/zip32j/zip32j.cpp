// ZIP32J.DLL: creates ZIP archives through its engine library IZIP32J.DLL, which
// must lie beside it, and extracts and lists them. The total size of a listing
// comes from UNZIP32.DLL, so this library leaves that entry point to it.
#include "dllcommon.h"
#include "errors.h"
#include "ops.h"

namespace {

HMODULE g_self = nullptr;

using EngineFn = int(WINAPI*)(LPCSTR, LPSTR, DWORD);

int RunEngine(LPCSTR command, LPSTR output, DWORD outputSize) {
  char path[MAX_PATH + 16] = {};
  DWORD n = GetModuleFileNameA(g_self, path, MAX_PATH);
  while (n > 0 && path[n - 1] != '\\' && path[n - 1] != '/') --n;
  lstrcpynA(path + n, "IZIP32J.DLL", sizeof path - n);
  HMODULE engine = LoadLibraryA(path);
  if (!engine) {
    if (output && outputSize) lstrcpynA(output, "IZIP32J.DLL is missing", outputSize);
    return arc::kErrFileOpen;
  }
  auto fn = reinterpret_cast<EngineFn>(reinterpret_cast<void*>(GetProcAddress(engine, "IzipCreate")));
  arcdll::EnterRunning();
  int r = fn ? fn(command, output, outputSize) : arc::kErrFileOpen;
  arcdll::LeaveRunning();
  FreeLibrary(engine);
  return r;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = self;
  return TRUE;
}

int WINAPI Zip(HWND, LPCSTR command, LPSTR output, DWORD outputSize) { return RunEngine(command, output, outputSize); }
WORD WINAPI ZipGetVersion(void) { return arcdll::kVersion; }
BOOL WINAPI ZipGetRunning(void) { return arcdll::Running(); }

int WINAPI UnZip(HWND, LPCSTR command, LPSTR output, DWORD outputSize) {
  return arcdll::RunCommand(arc::RunUnzipCommand, command, output, outputSize);
}
WORD WINAPI UnZipGetVersion(void) { return arcdll::kVersion; }
BOOL WINAPI UnZipGetRunning(void) { return arcdll::Running(); }
HARC WINAPI UnZipOpenArchive(HWND, LPCSTR path, DWORD) { return arcdll::OpenArchive(path, false); }
int WINAPI UnZipCloseArchive(HARC h) { return arcdll::CloseArchive(h); }
int WINAPI UnZipFindFirst(HARC h, LPCSTR wildcard, INDIVIDUALINFO* info) { return arcdll::FindFirst(h, wildcard, info); }
int WINAPI UnZipFindNext(HARC h, INDIVIDUALINFO* info) { return arcdll::FindNext(h, info); }

}
