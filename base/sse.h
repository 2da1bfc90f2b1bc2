// Whether the system keeps the processor's SSE registers across thread switches (sse_win32.cpp,
// sse_posix.cpp),
// so that a program may use them: the oldest systems do not, and code that uses them there
// faults or goes wrong whatever the processor has.
#pragma once

bool SystemKeepsSse();
