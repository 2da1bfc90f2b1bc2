// The merge Rundelo runs once at start-up: checks the piece set beside the program, rebuilds
// the recorded file, checks its size and gives it the recorded time. Failures are shown in
// message boxes owned by owner; the waiting line shows the waiting text while it copies.
#pragma once
#include <windows.h>

#include "base/oskind.h"

namespace rundelo {

void RunMerge(HWND owner, HWND waitingLine, const char* waitingText, const char* programDir,
              OsKind kind);

}  // namespace rundelo
