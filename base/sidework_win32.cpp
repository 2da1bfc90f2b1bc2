#include "base/sidework.h"

#include <windows.h>

namespace {

HANDLE g_go, g_done, g_thread;
void (*g_fn)(void*);
void* g_ctx;
bool g_pending;

DWORD WINAPI SideThread(void*) {
  for (;;) {
    WaitForSingleObject(g_go, INFINITE);
    g_fn(g_ctx);
    SetEvent(g_done);
  }
}

// The thread is made at the first work and waits for the next until the program ends.
bool HaveThread() {
  static bool tried = false;
  if (!tried) {
    tried = true;
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
  g_pending = true;
  SetEvent(g_go);
}

void EndSideWork() {
  if (!g_pending) return;
  WaitForSingleObject(g_done, INFINITE);
  g_pending = false;
}
