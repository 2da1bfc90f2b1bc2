// What the system's file table does on POSIX systems beyond the seam itself: it counts the bytes
// it reads, for a progress line, and it can be stopped, after which the work in progress fails
// its way out through its own clean-up (nothing more is opened, read or written; removals,
// renames and times still work).
#pragma once
#include <cstdint>

// hook(ctx, bytes) after every read of bytes; nullptr for none.
void SetReadHook(void (*hook)(void* ctx, uint64_t bytes), void* ctx);

// Safe to call from a signal handler.
void StopFileWork();
bool FileWorkStopped();
