#include "base/sidework.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

struct Side {
  std::mutex lock;
  std::condition_variable wake;
  void (*fn)(void*) = nullptr;
  void* ctx = nullptr;
  bool go = false, pending = false;
};

void SideThread(Side* s) {
  std::unique_lock<std::mutex> hold(s->lock);
  for (;;) {
    s->wake.wait(hold, [s] { return s->go; });
    s->go = false;
    hold.unlock();
    s->fn(s->ctx);
    hold.lock();
    s->pending = false;
    s->wake.notify_all();
  }
}

// Made at the first work and never destroyed: the thread waits on it until the program ends.
Side& TheSide() {
  static Side* side = [] {
    Side* s = new Side;
    std::thread(SideThread, s).detach();
    return s;
  }();
  return *side;
}

}  // namespace

void BeginSideWork(void (*fn)(void*), void* ctx) {
  Side& s = TheSide();
  std::lock_guard<std::mutex> hold(s.lock);
  s.fn = fn;
  s.ctx = ctx;
  s.go = true;
  s.pending = true;
  s.wake.notify_all();
}

void EndSideWork() {
  Side& s = TheSide();
  std::unique_lock<std::mutex> hold(s.lock);
  s.wake.wait(hold, [&s] { return !s.pending; });
}
