#include "dllcommon.h"

#include <cstring>

#include "errors.h"
#include "names.h"

static_assert(sizeof(INDIVIDUALINFO) == sizeof(arc::IndividualInfo), "entry record layouts agree");

namespace arcdll {
namespace {

LONG g_running = 0;

bool LeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

void* HeapBytes(size_t n) { return HeapAlloc(GetProcessHeap(), 0, n); }

arc::HandleBlock* Block(HARC h) {
  auto* b = static_cast<arc::HandleBlock*>(h);
  if (!b || IsBadReadPtr(b, sizeof *b)) return nullptr;
  if (b->magic != arc::kHandleMagic || b->layout != arc::kHandleLayout) return nullptr;
  return b;
}

// Copies what fits after the first `at` bytes of the output; returns where the text now ends.
DWORD CopyOut(LPSTR output, DWORD size, DWORD at, const char* text, size_t length) {
  if (!output || at >= size) return at;
  size_t n = length < size - 1 - at ? length : size - 1 - at;
  memcpy(output + at, text, n);
  output[at + n] = 0;
  return static_cast<DWORD>(at + n);
}

}  // namespace

int RunCommand(CommandFn fn, LPCSTR command, LPSTR output, DWORD outputSize) {
  InterlockedIncrement(&g_running);
  arc::AllocWatch watch;
  arc::Str log;
  int r = command ? fn(command, LeadByte, &log) : arc::kErrBadCommand;
  // Memory that ran out may have cost the command's text or a log line: the job did not finish.
  if (watch.Lost()) r = arc::kErrDiskSpace;
  DWORD at = CopyOut(output, outputSize, 0, log.data(), log.size());
  if (r != arc::kOk) {
    // Written straight into the output: the files may be written already, and nothing after
    // them may ask for memory.
    char line[64];
    int n = wsprintfA(line, "error 0x%X: %s\r\n", r, arc::ErrorText(r));
    CopyOut(output, outputSize, at, line, static_cast<size_t>(n));
  }
  InterlockedDecrement(&g_running);
  return r;
}

BOOL Running() { return g_running > 0; }
void EnterRunning() { InterlockedIncrement(&g_running); }
void LeaveRunning() { InterlockedDecrement(&g_running); }

HARC OpenArchive(LPCSTR path, bool lha) {
  if (!path) return nullptr;
  return arc::OpenListing(path, lha, HeapBytes);
}

int CloseArchive(HARC h) {
  arc::HandleBlock* b = Block(h);
  if (!b) return arc::kErrBadCommand;
  b->magic = 0;
  HeapFree(GetProcessHeap(), 0, b);
  return 0;
}

// A handle that is not ours (a failed open) ends the search at once: callers
// loop until -1 without testing the open.
int FindFirst(HARC h, LPCSTR wildcard, INDIVIDUALINFO* info) {
  arc::HandleBlock* b = Block(h);
  if (!b) return -1;
  return arc::FindFirst(b, wildcard, reinterpret_cast<arc::IndividualInfo*>(info));
}

int FindNext(HARC h, INDIVIDUALINFO* info) {
  arc::HandleBlock* b = Block(h);
  if (!b) return -1;
  return arc::FindNext(b, reinterpret_cast<arc::IndividualInfo*>(info));
}

DWORD OriginalSize(HARC h) {
  arc::HandleBlock* b = Block(h);
  return b ? arc::FoundOriginalSize(b) : 0;
}

}  // namespace arcdll
