#include "base/sidework.h"

#include <windows.h>

namespace {

HANDLE g_go, g_done, g_thread;
void (*g_fn)(void*);
void* g_ctx;
// Every signal and wait is a call to the system, under Wine a round trip to its server (50
// microseconds a hand-over, measured), and the work is mostly done before the caller comes for
// it: the side thread signals its end only to a caller that waits. From the hand-over the work
// is kWorking until the side thread is done (kDone) or the caller comes (kWaited), whichever is
// first: the one that comes second knows.
enum : long { kWorking = 1, kWaited, kDone };
long g_state;

DWORD WINAPI SideThread(void*) {
  for (;;) {
    WaitForSingleObject(g_go, INFINITE);
    g_fn(g_ctx);
    if (__atomic_exchange_n(&g_state, kDone, __ATOMIC_ACQ_REL) == kWaited) SetEvent(g_done);
  }
}

// The thread is made at the first work and waits for the next until the program ends; where it
// cannot be made, the work is done at once in the caller.
bool HaveThread() {
  if (!g_go) {
    g_go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD id;  // 95 and 98 fail CreateThread without it
    if (g_go && g_done) g_thread = CreateThread(nullptr, 64 * 1024, SideThread, nullptr, 0, &id);
  }
  return g_thread != nullptr;
}

}  // namespace

void BeginSideWork(void (*fn)(void*), void* ctx) {
  if (!HaveThread()) {
    fn(ctx);
    return;
  }
  g_fn = fn;
  g_ctx = ctx;
  g_state = kWorking;
  SetEvent(g_go);
}

void EndSideWork() {
  if (__atomic_exchange_n(&g_state, kWaited, __ATOMIC_ACQ_REL) == kWorking) {
    WaitForSingleObject(g_done, INFINITE);
  }
}
