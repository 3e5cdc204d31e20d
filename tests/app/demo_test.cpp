// Catches event handling that drops, reorders or over-applies events, or quits without
// finishing the frame. The golden runs pin the clock across the tick counter's wrap.
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
      {"each quit of a frame is logged in order; the queue drains and the frame finishes",
       {{Button(8), Event(SDL_QUIT), Key(SDLK_c, KMOD_LCTRL | KMOD_LSHIFT | KMOD_NUM), Key(SDLK_SPACE)}},
       2, true, {"Quit game from Start Button !", "Quit game from SDL_QUIT !", "Quit game from KeyDown !"}},
      {"every cycle event advances the mode, 3 -> 1 -> 2 and on",
       {{Key(SDLK_SPACE), Key(SDLK_SPACE)}, {Key(SDLK_SPACE), Button(9)}, {Button(9)}}, 3, false, {}},
      {"c quits only with a Ctrl key, either one",
       {{Key(SDLK_c), Key(SDLK_c, KMOD_LSHIFT), Key(SDLK_c, KMOD_LALT)}, {Key(SDLK_c, KMOD_RCTRL)}},
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
