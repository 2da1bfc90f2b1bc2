#include "archive/binding.h"

#include <cstddef>
#include <cstring>

#include "base/drives.h"
#include "ui/state.h"

namespace archive {
namespace {

// The entry record the libraries fill: packed, its name from byte 26, its method from 550.
#pragma pack(push, 1)
struct EntryRecord {
  DWORD originalSize;
  DWORD compressedSize;
  DWORD crc;
  UINT flag;
  UINT osType;
  WORD ratio;
  WORD date;
  WORD time;
  char fileName[513];
  char reserved[3];
  char attribute[8];
  char method[8];
};
#pragma pack(pop)
static_assert(offsetof(EntryRecord, fileName) == 26, "the name lies at byte 26");
static_assert(sizeof(EntryRecord) <= 560, "the record fits 560 bytes");

using CommandFn = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);
using OpenFn = HANDLE(WINAPI*)(HWND, LPCSTR, DWORD);
using FindFirstFn = int(WINAPI*)(HANDLE, LPCSTR, EntryRecord*);
using FindNextFn = int(WINAPI*)(HANDLE, EntryRecord*);
using TotalFn = DWORD(WINAPI*)(HANDLE);
using CloseFn = int(WINAPI*)(HANDLE);

constexpr int kNotBound = -1;  // the library or its entry point is not there
constexpr DWORD kOutputBytes = 20000;
char g_output[kOutputBytes];  // the libraries' messages, never read

// By full path only: a bare name would also find a library of that name in the current
// directory, which is the folder being browsed.
HMODULE LoadBeside(const char* library) {
  char path[kPathBytes];
  return LibraryPath(g_programPath, library, GetACP() == 932, path, sizeof path)
             ? LoadLibraryA(path)
             : nullptr;
}

template <class Fn>
Fn Entry(HMODULE lib, const char* name) {
  return lib ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, name))) : nullptr;
}

int RunCommand(const char* library, const char* entry, HWND owner, const char* command) {
  HMODULE lib = LoadBeside(library);
  const CommandFn fn = Entry<CommandFn>(lib, entry);
  const int result = fn ? fn(owner, command, g_output, kOutputBytes) : kNotBound;
  if (lib) FreeLibrary(lib);
  return result;
}

}  // namespace

int RunUnlha(HWND owner, const char* command) {
  return RunCommand("UNLHA32.DLL", "Unlha", owner, command);
}

int RunZip(HWND owner, const char* command) {
  // ZIP32J.DLL does its work in IZIP32J.DLL, which must be found beside it.
  HMODULE lib = LoadBeside("ZIP32J.DLL");
  HMODULE engine = LoadBeside("IZIP32J.DLL");
  const CommandFn fn = engine ? Entry<CommandFn>(lib, "Zip") : nullptr;
  const int result = fn ? fn(owner, command, g_output, kOutputBytes) : kNotBound;
  if (engine) FreeLibrary(engine);
  if (lib) FreeLibrary(lib);
  return result;
}

int RunUnZip(HWND owner, const char* command) {
  return RunCommand("UNZIP32.DLL", "UnZip", owner, command);
}

Listing ListArchive(HWND owner, Tool tool, const char* path) {
  const bool lha = tool == Tool::Lha;
  const bool dbcs932 = GetACP() == 932;
  Listing listing;
  HMODULE lib = LoadBeside(lha ? "UNLHA32.DLL" : "UNZIP32.DLL");
  const OpenFn open = Entry<OpenFn>(lib, lha ? "UnlhaOpenArchive" : "UnZipOpenArchive");
  const FindFirstFn first = Entry<FindFirstFn>(lib, lha ? "UnlhaFindFirst" : "UnZipFindFirst");
  const FindNextFn next = Entry<FindNextFn>(lib, lha ? "UnlhaFindNext" : "UnZipFindNext");
  const TotalFn total = Entry<TotalFn>(lib, lha ? "UnlhaGetArcOriginalSize" : "UnZipGetArcOriginalSize");
  const CloseFn close = Entry<CloseFn>(lib, lha ? "UnlhaCloseArchive" : "UnZipCloseArchive");
  listing.bound = open && first && next && total && close;
  HANDLE arc = listing.bound ? open(owner, path, lha ? 0x00800004 : 0x00800808) : nullptr;
  if (arc) {
    listing.opened = true;
    EntryRecord record;
    std::memset(&record, 0, sizeof record);
    int r = listing.firstResult = first(arc, "*.*", &record);
    listing.libraryTotal = total(arc);
    // Every record is read, not only the first: the names decide what extraction may replace.
    while (r == 0) {
      record.fileName[sizeof record.fileName - 1] = 0;
      listing.entries.push_back(
          EntryOfRecord(record.fileName, record.originalSize, record.method, dbcs932));
      std::memset(&record, 0, sizeof record);
      r = next(arc, &record);
      listing.libraryTotal = total(arc);
    }
    listing.endResult = r;
    close(arc);
  }
  if (lib) FreeLibrary(lib);
  return listing;
}

bool RoomFor(const char* root, uint64_t bytes) {
  if (bytes <= 0x7FFFFFFF) return HasRoomFor(root, static_cast<long>(bytes)) != 0;
  // Beyond a signed 32-bit request only the extended query can tell.
  uint64_t freeToCaller = 0, total = 0;
  return g_spaceQueries->extendedPath(g_osKind) &&
         g_spaceQueries->freeBytes(root, &freeToCaller, &total) == FreeQuery::Ok &&
         freeToCaller >= bytes;
}

}  // namespace archive
