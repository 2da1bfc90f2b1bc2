// Work done on a second thread while the caller goes on with its own: the copy loops check
// and combine a block while they write it. Where no thread can be had, the work is done at
// once in the caller.
#pragma once

// Begins fn(ctx); the work begun before must have been ended.
void BeginSideWork(void (*fn)(void* ctx), void* ctx);
// Returns once the work begun last is done; at once when there is none.
void EndSideWork();
