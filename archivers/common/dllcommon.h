// What the four libraries share: running commands, filling the output buffer,
// and the open-archive handles (kept in the process heap so that any of our
// libraries can read and free a handle another one made).
#pragma once
#include <windows.h>

#include "buf.h"

#include "arcapi.h"
#include "listing.h"
#include "names.h"

namespace arcdll {

constexpr WORD kVersion = 100;

using CommandFn = int (*)(const arc::Str& text, arc::LeadByteFn lead, arc::Str* log);

// Runs a command text; never throws, never shows a window.
int RunCommand(CommandFn fn, LPCSTR command, LPSTR output, DWORD outputSize);
BOOL Running();
void EnterRunning();
void LeaveRunning();

HARC OpenArchive(LPCSTR path, bool lha);
int CloseArchive(HARC h);
int FindFirst(HARC h, LPCSTR wildcard, INDIVIDUALINFO* info);
int FindNext(HARC h, INDIVIDUALINFO* info);
DWORD OriginalSize(HARC h);

}  // namespace arcdll
