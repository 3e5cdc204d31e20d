// Catches an allocation or release inside the frame loop: a container grown per
// frame, a buffer made for a log line or a caption, a per-frame copy of a pool. Every
// global operator new and delete is counted, and outside AddressSanitizer (which owns
// the C heap there) every malloc, calloc, realloc and free as well. The frames run
// each display mode, key presses, the once-a-second log line and a stall.
#include <SDL_events.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/demo.h"
#include "particles/pools.h"
#include "particles/random.h"
#include "platform/fps.h"
#include "platform/log.h"
#include "platform/memory_screen.h"
#include "test_support/temp_dir.h"

namespace {
std::atomic<long> g_news{0};
std::atomic<long> g_deletes{0};
std::atomic<long> g_heapCalls{0};
}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
// The C library's own entry points, under the names it exports for interposers.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void __libc_free(void*);
extern "C" void* malloc(std::size_t n) {
  ++g_heapCalls;
  return __libc_malloc(n);
}
extern "C" void* calloc(std::size_t n, std::size_t size) {
  ++g_heapCalls;
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, std::size_t n) {
  ++g_heapCalls;
  return __libc_realloc(p, n);
}
extern "C" void free(void* p) {
  if (p != nullptr) ++g_heapCalls;
  __libc_free(p);
}
#endif

namespace {
void* Allocate(std::size_t size) {
  ++g_news;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void Release(void* p) noexcept {
  if (p != nullptr) ++g_deletes;
  std::free(p);
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }

namespace {

// A Space press every 200th frame, nothing otherwise.
class Presses final : public EventSource {
 public:
  void Frame(int k) { pending_ = k % 200 == 0; }
  bool Poll(SDL_Event* event) override {
    if (!pending_) return false;
    pending_ = false;
    *event = SDL_Event{};
    event->type = SDL_KEYDOWN;
    event->key.state = SDL_PRESSED;
    event->key.keysym.sym = SDLK_SPACE;
    return true;
  }

 private:
  bool pending_ = false;
};

TEST(FrameAllocations, NoneInTheFrameLoop) {
  TempDir dir;
  LogSystemStart((dir.path() + "/ParticlesLog.txt").c_str());
  ResetFPS();
  particles::ResetRandom();
  particles::CreatePools();
  MemoryScreen screen;
  Presses events;
  Demo demo;
  BuildScenes(demo);
  StartClock(demo, 0);
  uint32_t ticks = 0;
  auto run = [&](int frames) {
    for (int k = 1; k <= frames; ++k) {
      events.Frame(k);
      ticks += k == 900 ? 5000 : 16;  // one stall: every particle dies and is born again
      RunFrame(demo, ticks, events, screen);
    }
  };
  run(300);  // the log's stream buffer and every emitter's first births happen here

  const long news = g_news, deletes = g_deletes, heapCalls = g_heapCalls;
  run(1200);
  EXPECT_EQ(g_news - news, 0) << "operator new in the frame loop";
  EXPECT_EQ(g_deletes - deletes, 0) << "operator delete in the frame loop";
  EXPECT_EQ(g_heapCalls - heapCalls, 0) << "the C heap used in the frame loop";
  EXPECT_GT(screen.Flips(), 1400);  // the frames really ran

  ReleaseScenes(demo);
  particles::ReportAndDestroyPools();
  LogSystemEnd();
}

}  // namespace
