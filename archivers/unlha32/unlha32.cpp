// UNLHA32.DLL: creates and extracts LHA archives, lists their entries.
#include "dllcommon.h"
#include "ops.h"

extern "C" {

int WINAPI Unlha(HWND, LPCSTR command, LPSTR output, DWORD outputSize) {
  return arcdll::RunCommand(arc::RunLhaCommand, command, output, outputSize);
}
WORD WINAPI UnlhaGetVersion(void) { return arcdll::kVersion; }
BOOL WINAPI UnlhaGetRunning(void) { return arcdll::Running(); }
HARC WINAPI UnlhaOpenArchive(HWND, LPCSTR path, DWORD) { return arcdll::OpenArchive(path, true); }
int WINAPI UnlhaCloseArchive(HARC h) { return arcdll::CloseArchive(h); }
int WINAPI UnlhaFindFirst(HARC h, LPCSTR wildcard, INDIVIDUALINFO* info) { return arcdll::FindFirst(h, wildcard, info); }
int WINAPI UnlhaFindNext(HARC h, INDIVIDUALINFO* info) { return arcdll::FindNext(h, info); }
DWORD WINAPI UnlhaGetArcOriginalSize(HARC h) { return arcdll::OriginalSize(h); }

}
