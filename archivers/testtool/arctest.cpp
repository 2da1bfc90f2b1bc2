// ARCTEST.EXE: drives our archiver libraries the way Tovra does, for the Wine
// interop tests. The entry points are bound at load time (Unlha from UNLHA32;
// Zip, UnZip, open, find and close from ZIP32J; the total size from UNZIP32),
// and each use also loads the library by name, looks the function up and frees it.
//   ARCTEST lha|zip|unzip DIR "COMMAND" [SIZE]   run a command text with DIR current,
//                                         optionally with a smaller output buffer
//   ARCTEST unzip32 DIR "COMMAND"         UnZip as exported by UNZIP32 itself
//   ARCTEST list lha|zip DIR ARCHIVE      the decompress listing sequence
//   ARCTEST names lha|zip DIR ARCHIVE     every entry record
//   ARCTEST versions
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "arcapi.h"

namespace {

char g_output[20000];
DWORD g_outputSize = sizeof g_output;

// Bytes past the size given to the library must keep their filler.
const char* BeyondOutput() {
  for (DWORD i = g_outputSize; i < sizeof g_output; ++i)
    if (g_output[i] != '~') return "written";
  return "untouched";
}

int Call(const char* lib, const char* second, const char* fn, int(WINAPI* bound)(HWND, LPCSTR, LPSTR, DWORD),
         const char* command) {
  HMODULE a = LoadLibraryA(lib);
  HMODULE b = second ? LoadLibraryA(second) : nullptr;
  GetProcAddress(a, fn);
  memset(g_output, '~', sizeof g_output);
  int r = bound(nullptr, command, g_output, g_outputSize);
  if (b) FreeLibrary(b);
  FreeLibrary(a);
  printf("result 0x%X\n%.*s\n", r, static_cast<int>(strnlen(g_output, g_outputSize)), g_output);
  if (g_outputSize < sizeof g_output) printf("beyond %s\n", BeyondOutput());
  return r == 0 ? 0 : 1;
}

void PrintInfo(const INDIVIDUALINFO& i) {
  printf("entry %s|%lu|%lu|%04lX|%04X|%04X|%u|%.8s|%.8s\n", i.szFileName, i.dwOriginalSize, i.dwCompressedSize,
         i.dwCRC, i.wDate, i.wTime, i.wRatio, i.szAttribute, i.szMode);
}

int List(bool lha, const char* archive, bool all) {
  HMODULE lib = LoadLibraryA(lha ? "UNLHA32.DLL" : "UNZIP32.DLL");
  HARC h = lha ? UnlhaOpenArchive(nullptr, archive, 0x00800004) : UnZipOpenArchive(nullptr, archive, 0x00800808);
  printf("handle %s\n", h ? "yes" : "no");
  INDIVIDUALINFO info;
  memset(&info, 0, sizeof info);
  int r = lha ? UnlhaFindFirst(h, "*.*", &info) : UnZipFindFirst(h, "*.*", &info);
  printf("first %d %s\n", r, info.szFileName);
  if (r == 0) PrintInfo(info);
  printf("total %lu\n", lha ? UnlhaGetArcOriginalSize(h) : UnZipGetArcOriginalSize(h));
  while (true) {
    memset(&info, 0, sizeof info);
    INDIVIDUALINFO* rec = all ? &info : nullptr;
    r = lha ? UnlhaFindNext(h, rec) : UnZipFindNext(h, rec);
    if (r == -1) break;
    if (all && r == 0) PrintInfo(info);
    printf("total %lu\n", lha ? UnlhaGetArcOriginalSize(h) : UnZipGetArcOriginalSize(h));
    if (r != 0) break;
  }
  printf("next %d\n", r);
  if (lha) UnlhaCloseArchive(h); else UnZipCloseArchive(h);
  FreeLibrary(lib);
  return 0;
}

int Versions() {
  const char* libs[][2] = {{"UNLHA32.DLL", "Unlha"}, {"ZIP32J.DLL", "Zip"}, {"ZIP32J.DLL", "UnZip"}, {"UNZIP32.DLL", "UnZip"}};
  for (auto& l : libs) {
    HMODULE m = LoadLibraryA(l[0]);
    char name[64];
    wsprintfA(name, "%sGetVersion", l[1]);
    auto ver = reinterpret_cast<WORD(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    wsprintfA(name, "%sGetRunning", l[1]);
    auto run = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    printf("%s %s %d %d\n", l[0], l[1], ver ? ver() : -1, run ? run() : -1);
    FreeLibrary(m);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "versions") == 0) return Versions();
  if (argc != 4 && argc != 5) {
    fprintf(stderr, "usage: ARCTEST lha|zip|unzip|unzip32 DIR COMMAND [SIZE] | list|names lha|zip DIR ARCHIVE\n");
    return 2;
  }
  const char* mode = argv[1];
  bool listing = strcmp(mode, "list") == 0 || strcmp(mode, "names") == 0;
  if (listing && argc != 5) return 2;
  if (!SetCurrentDirectoryA(argv[listing ? 3 : 2])) {
    fprintf(stderr, "cannot enter %s\n", argv[listing ? 3 : 2]);
    return 2;
  }
  if (listing) return List(strcmp(argv[2], "lha") == 0, argv[4], strcmp(mode, "names") == 0);
  const char* cmd = argv[3];
  if (argc == 5) {
    int n = atoi(argv[4]);
    if (n < 0 || n > static_cast<int>(sizeof g_output)) return 2;
    g_outputSize = static_cast<DWORD>(n);
  }
  if (strcmp(mode, "lha") == 0) return Call("UNLHA32.DLL", nullptr, "Unlha", Unlha, cmd);
  if (strcmp(mode, "zip") == 0) return Call("ZIP32J.DLL", "IZIP32J.DLL", "Zip", Zip, cmd);
  if (strcmp(mode, "unzip") == 0) return Call("UNZIP32.DLL", nullptr, "UnZip", UnZip, cmd);
  if (strcmp(mode, "unzip32") == 0) {
    HMODULE m = LoadLibraryA("UNZIP32.DLL");
    auto fn = reinterpret_cast<int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD)>(reinterpret_cast<void*>(GetProcAddress(m, "UnZip")));
    int r = fn ? fn(nullptr, cmd, g_output, sizeof g_output) : -1;
    FreeLibrary(m);
    printf("result 0x%X\n%s\n", r, g_output);
    return r == 0 ? 0 : 1;
  }
  return 2;
}
