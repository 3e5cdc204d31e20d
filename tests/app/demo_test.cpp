// Catches event handling that over-applies events or takes a quit key too strictly; the golden
// and end-to-end runs pin the order of events, quits within a frame and the clock across its wrap.
#include "app/demo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "particles/pools.h"
#include "platform/memory_screen.h"
#include "support/support.h"

namespace {

using namespace support;
using Lines = std::vector<std::string>;

// The demo from start-up, with the log opened after the pools so that only the
// frames' lines are in it.
struct Demo1 {
  Demo demo;
  EventQueue queue;
  MemoryScreen screen;
  std::unique_ptr<LogCapture> log;
  Demo1() {
    ResetFPS();
    particles::CreatePools();
    log = std::make_unique<LogCapture>();
    BuildScenes(demo);
    StartClock(demo, 0);
  }
  ~Demo1() {
    ReleaseScenes(demo);
    particles::ReportAndDestroyPools();
  }
  void Frame(std::vector<SDL_Event> events, uint32_t ticks) {
    queue.pending = std::move(events);
    RunFrame(demo, ticks, queue, screen);
  }
};

TEST(Demo, EventTable) {
  // Each frame's events, then the mode, the quit flag and the log after them.
  using Frames = std::vector<std::vector<SDL_Event>>;
  struct Case { const char* what; Frames frames; int mode; bool quit; Lines log; };
  const Case cases[] = {
      {"c quits only with a Ctrl key, either one, whatever else is held (NumLock, Shift)",
       {{Key(SDLK_c), Key(SDLK_c, KMOD_LSHIFT), Key(SDLK_c, KMOD_LALT)},
        {Key(SDLK_c, KMOD_RCTRL | KMOD_LSHIFT | KMOD_NUM)}},
       1, true, {"Quit game from KeyDown !"}},
      {"other events change nothing",
       {{Button(0), Button(7), Button(10), Button(255), Button(8, SDL_JOYBUTTONUP),
         Button(9, SDL_JOYBUTTONUP), Key(SDLK_SPACE, 0, SDL_KEYUP), Key(SDLK_c, KMOD_LCTRL, SDL_KEYUP),
         Key(SDLK_a), Key(SDLK_RETURN), Event(SDL_MOUSEBUTTONDOWN)}},
       1, false, {}},
  };
  for (const Case& c : cases) {
    Demo1 d;
    uint32_t ticks = 0;
    for (const auto& events : c.frames) d.Frame(events, ticks += 16);
    EXPECT_EQ(std::tuple(d.demo.displayMode, d.demo.quitGame, d.screen.Flips(), d.log->Lines()),
              std::tuple(c.mode, c.quit, static_cast<long>(c.frames.size()), c.log)) << c.what;
  }
}

}  // namespace
