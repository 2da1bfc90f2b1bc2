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

void CopyOut(LPSTR output, DWORD size, const arc::Str& text) {
  if (!output || size == 0) return;
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  memcpy(output, text.data(), n);
  output[n] = 0;
}

}  // namespace

int RunCommand(CommandFn fn, LPCSTR command, LPSTR output, DWORD outputSize) {
  InterlockedIncrement(&g_running);
  unsigned failures = arc::AllocFailures();
  arc::Str log;
  int r = command ? fn(command, LeadByte, &log) : arc::kErrBadCommand;
  // Memory that ran out may have cost a log line or a listed name: the job did not finish.
  if (r == arc::kOk && arc::AllocFailures() != failures) r = arc::kErrDiskSpace;
  if (r != arc::kOk) {
    char line[64];
    wsprintfA(line, "error 0x%X: ", r);
    log += line;
    log += arc::ErrorText(r);
    log += "\r\n";
  }
  CopyOut(output, outputSize, log);
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
