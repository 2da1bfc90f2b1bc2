// The merge Rundelo runs once at start-up: checks the piece set beside the program, rebuilds
// the recorded file, checks its size and gives it the recorded time. With a check line in
// FILE-0 each piece's CRC is checked as it is copied, and one bad piece is rebuilt from the
// parity piece. Failures are shown in message boxes owned by owner; the waiting line shows
// the waiting text while it copies.
#pragma once
#include <windows.h>

#include "base/oskind.h"

namespace rundelo {

// True when a bad piece has been rebuilt from the parity piece: the waiting line then says so,
// and the window should stay a moment for it to be read.
bool RunMerge(HWND owner, HWND waitingLine, const char* waitingText, const char* programDir,
              OsKind kind);

}  // namespace rundelo
