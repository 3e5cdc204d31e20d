// Catches event handling that drops, reorders or over-applies events, quits without
// finishing the frame, or miscounts the clock across the tick counter's wrap.
#include "app/demo.h"

#include <SDL_events.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "particles/pools.h"
#include "particles/random.h"
#include "platform/fps.h"
#include "platform/log.h"
#include "platform/memory_screen.h"
#include "test_support/temp_dir.h"

namespace {

SDL_Event Key(int sym, unsigned mod = 0) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = static_cast<SDLKey>(sym);
  e.key.keysym.mod = static_cast<SDLMod>(mod);
  return e;
}
SDL_Event KeyUp(int sym) {
  SDL_Event e = Key(sym);
  e.type = SDL_KEYUP;
  return e;
}
SDL_Event Button(int button, Uint8 type = SDL_JOYBUTTONDOWN) {
  SDL_Event e{};
  e.type = type;
  e.jbutton.button = static_cast<Uint8>(button);
  return e;
}
SDL_Event Quit() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  return e;
}
SDL_Event Mouse() {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = 1;
  return e;
}

class Queue final : public EventSource {
 public:
  std::vector<SDL_Event> pending;
  bool Poll(SDL_Event* e) override {
    if (pending.empty()) return false;
    *e = pending.front();
    pending.erase(pending.begin());
    return true;
  }
};

class FrameLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFPS();
    particles::ResetRandom();
    particles::CreatePools();  // before the log opens: only the frames' lines are checked
    LogSystemStart(LogPath().c_str());
    BuildScenes(demo_);
    StartClock(demo_, 0);
  }
  void TearDown() override {
    ReleaseScenes(demo_);
    particles::ReportAndDestroyPools();
    LogSystemEnd();
  }
  std::string LogPath() const { return dir_.path() + "/ParticlesLog.txt"; }
  std::vector<std::string> LogLines() const {
    std::ifstream in(LogPath());
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  void Frame(std::vector<SDL_Event> events, uint32_t ticks) {
    queue_.pending = std::move(events);
    RunFrame(demo_, ticks, queue_, screen_);
  }
  TempDir dir_;
  Demo demo_;
  Queue queue_;
  MemoryScreen screen_;
};

TEST_F(FrameLoop, AQuitStillLetsTheQueueDrainAndTheFrameFinish) {
  Frame({Quit(), Key(SDLK_SPACE)}, 16);
  EXPECT_TRUE(demo_.quitGame);
  EXPECT_EQ(demo_.displayMode, 2) << "the Space after the quit must still cycle";
  EXPECT_EQ(screen_.Flips(), 1) << "the quitting frame is still flipped";
  EXPECT_TRUE(queue_.pending.empty());
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quit game from SDL_QUIT !"}));
}

TEST_F(FrameLoop, EveryCycleEventInAFrameAdvancesTheMode) {
  Frame({Key(SDLK_SPACE), Key(SDLK_SPACE)}, 16);
  EXPECT_EQ(demo_.displayMode, 3);
  Frame({Key(SDLK_SPACE), Button(9)}, 32);
  EXPECT_EQ(demo_.displayMode, 2) << "3 -> 1 -> 2";
  Frame({Button(9)}, 48);
  EXPECT_EQ(demo_.displayMode, 3);
  EXPECT_FALSE(demo_.quitGame);
}

TEST_F(FrameLoop, CQuitsOnlyWithACtrlKey) {
  Frame({Key(SDLK_c), Key(SDLK_c, KMOD_LSHIFT), Key(SDLK_c, KMOD_LALT)}, 16);
  EXPECT_FALSE(demo_.quitGame);
  EXPECT_TRUE(LogLines().empty());
  Frame({Key(SDLK_c, KMOD_RCTRL)}, 32);
  EXPECT_TRUE(demo_.quitGame);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quit game from KeyDown !"}));
}

TEST_F(FrameLoop, LeftCtrlWithOtherModifiersQuitsToo) {
  Frame({Key(SDLK_c, KMOD_LCTRL | KMOD_LSHIFT | KMOD_NUM)}, 16);
  EXPECT_TRUE(demo_.quitGame);
}

TEST_F(FrameLoop, EachQuitEventOfAFrameIsLoggedInOrder) {
  Frame({Button(8), Quit(), Key(SDLK_c, KMOD_LCTRL)}, 16);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"Quit game from Start Button !",
                                                  "Quit game from SDL_QUIT !",
                                                  "Quit game from KeyDown !"}));
}

TEST_F(FrameLoop, OtherEventsChangeNothing) {
  Frame({Button(0), Button(7), Button(10), Button(255), Button(8, SDL_JOYBUTTONUP),
         Button(9, SDL_JOYBUTTONUP), KeyUp(SDLK_SPACE), KeyUp(SDLK_c), Key(SDLK_a),
         Key(SDLK_RETURN), Mouse()},
        16);
  EXPECT_EQ(demo_.displayMode, 1);
  EXPECT_FALSE(demo_.quitGame);
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(FrameLoop, FrameTimeIsMeasuredFromTheLastReadingAcrossTheWrap) {
  // 999 ms across the wrap completes no frame-rate window; 1 ms more does.
  StartClock(demo_, 0xFFFFFE00u);
  Frame({}, 0x000001E7u);  // 0x200 + 0x1E7 = 999 ms
  EXPECT_TRUE(LogLines().empty()) << "dt across the wrap must be 999, not a huge value";
  Frame({}, 0x000001E8u);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"PARTICLE : 11 FPS"}));
}

TEST_F(FrameLoop, FirstFrameTimeCountsFromTheStartClockReading) {
  StartClock(demo_, 50000);  // start-up took 50 s of ticks: none of it is a frame's time
  Frame({}, 50010);
  EXPECT_TRUE(LogLines().empty());
}

}  // namespace
