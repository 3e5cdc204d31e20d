// Catches event handling that drops, reorders or over-applies events, quits without
// finishing the frame, or miscounts the clock across the tick counter's wrap.
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
  explicit Demo1(uint32_t startTicks = 0) {
    ResetFPS();
    particles::CreatePools();
    log = std::make_unique<LogCapture>();
    BuildScenes(demo);
    StartClock(demo, startTicks);
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

// 999 ms across the wrap completes no frame-rate window; 1 ms more does.
TEST(Demo, FrameTimeCountsFromTheLastReadingAcrossTheWrap) {
  Demo1 wrap(0xFFFFFE00u);
  wrap.Frame({}, 0x000001E7u);  // 0x200 + 0x1E7 = 999 ms
  EXPECT_EQ(wrap.log->Lines(), Lines{}) << "dt across the wrap must be 999, not a huge value";
  wrap.Frame({}, 0x000001E8u);
  EXPECT_EQ(wrap.log->Lines(), Lines{"PARTICLE : 11 FPS"});
}

}  // namespace
