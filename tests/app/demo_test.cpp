// Catches event handling that drops, reorders or over-applies events, quits without
// finishing the frame, or miscounts the clock across the tick counter's wrap.
#include "app/demo.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "particles/pools.h"
#include "platform/memory_screen.h"
#include "support/support.h"

namespace {

using support::Button;
using support::Event;
using support::Key;
using Lines = std::vector<std::string>;

// The demo from start-up, with the log opened after the pools so that only the
// frames' lines are in it.
struct Demo1 {
  Demo demo;
  support::EventQueue queue;
  MemoryScreen screen;
  explicit Demo1(uint32_t startTicks = 0) {
    ResetFPS();
    particles::ResetRandom();
    particles::CreatePools();
    log = std::make_unique<support::LogCapture>();
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
  std::unique_ptr<support::LogCapture> log;
};

TEST(Demo, EventTable) {
  struct Case {
    const char* what;
    std::vector<std::vector<SDL_Event>> frames;  // one list of events per frame
    int mode;
    bool quit;
    Lines log;
  };
  const Case cases[] = {
      {"a quit lets the queue drain and the frame finish",
       {{Event(SDL_QUIT), Key(SDLK_SPACE)}}, 2, true, {"Quit game from SDL_QUIT !"}},
      {"every cycle event advances the mode, 3 -> 1 -> 2 and on",
       {{Key(SDLK_SPACE), Key(SDLK_SPACE)}, {Key(SDLK_SPACE), Button(9)}, {Button(9)}}, 3, false, {}},
      {"c quits only with a Ctrl key",
       {{Key(SDLK_c), Key(SDLK_c, KMOD_LSHIFT), Key(SDLK_c, KMOD_LALT)}, {Key(SDLK_c, KMOD_RCTRL)}},
       1, true, {"Quit game from KeyDown !"}},
      {"left Ctrl with other modifiers quits too",
       {{Key(SDLK_c, KMOD_LCTRL | KMOD_LSHIFT | KMOD_NUM)}}, 1, true, {"Quit game from KeyDown !"}},
      {"each quit event of a frame is logged in order",
       {{Button(8), Event(SDL_QUIT), Key(SDLK_c, KMOD_LCTRL)}}, 1, true,
       {"Quit game from Start Button !", "Quit game from SDL_QUIT !", "Quit game from KeyDown !"}},
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
    EXPECT_EQ(d.demo.displayMode, c.mode) << c.what;
    EXPECT_EQ(d.demo.quitGame, c.quit) << c.what;
    EXPECT_EQ(d.screen.Flips(), static_cast<long>(c.frames.size())) << c.what;
    EXPECT_EQ(d.log->Lines(), c.log) << c.what;
  }
}

TEST(Demo, FrameTimeCountsFromTheLastReadingAcrossTheWrap) {
  {
    // 999 ms across the wrap completes no frame-rate window; 1 ms more does.
    Demo1 wrap(0xFFFFFE00u);
    wrap.Frame({}, 0x000001E7u);  // 0x200 + 0x1E7 = 999 ms
    EXPECT_EQ(wrap.log->Lines(), Lines{}) << "dt across the wrap must be 999, not a huge value";
    wrap.Frame({}, 0x000001E8u);
    EXPECT_EQ(wrap.log->Lines(), Lines{"PARTICLE : 11 FPS"});
  }
  // Start-up took 50 s of ticks: none of it is the first frame's time.
  Demo1 late(50000);
  late.Frame({}, 50999);
  EXPECT_EQ(late.log->Lines(), Lines{});
}

}  // namespace
