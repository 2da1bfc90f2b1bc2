// UNZIP32.DLL: extracts ZIP archives and lists their entries.
#include "dllcommon.h"
#include "ops.h"

extern "C" {

int WINAPI UnZip(HWND, LPCSTR command, LPSTR output, DWORD outputSize) {
  return arcdll::RunCommand(arc::RunUnzipCommand, command, output, outputSize);
}
WORD WINAPI UnZipGetVersion(void) { return arcdll::kVersion; }
BOOL WINAPI UnZipGetRunning(void) { return arcdll::Running(); }
HARC WINAPI UnZipOpenArchive(HWND, LPCSTR path, DWORD) { return arcdll::OpenArchive(path, false); }
int WINAPI UnZipCloseArchive(HARC h) { return arcdll::CloseArchive(h); }
int WINAPI UnZipFindFirst(HARC h, LPCSTR wildcard, INDIVIDUALINFO* info) { return arcdll::FindFirst(h, wildcard, info); }
int WINAPI UnZipFindNext(HARC h, INDIVIDUALINFO* info) { return arcdll::FindNext(h, info); }
DWORD WINAPI UnZipGetArcOriginalSize(HARC h) { return arcdll::OriginalSize(h); }

}
