// Catches frame-rate figures that smooth, round, carry or test the window wrongly,
// and a caption or log line that appears outside a completed window.
#include "platform/fps.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/log.h"
#include "test_support/temp_dir.h"

namespace {

std::vector<std::string> g_captions;
void RecordCaption(const char* title) { g_captions.push_back(title); }

class Fps : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFPS();
    g_captions.clear();
    SetCaptionSink(&RecordCaption);
    LogSystemStart((dir_.path() + "/log.txt").c_str());
  }
  void TearDown() override {
    SetCaptionSink(nullptr);
    LogSystemEnd();
  }
  // Runs `frames` frames of `ms` milliseconds; returns every figure shown so far.
  std::vector<int> Steady(unsigned ms, int frames) {
    for (int i = 0; i < frames; ++i) UpdateFPS(ms);
    std::vector<int> shown;
    for (const std::string& c : g_captions) shown.push_back(std::stoi(c.substr(11)));
    return shown;
  }
  std::vector<std::string> LogLines() {
    std::ifstream in(dir_.path() + "/log.txt");
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  TempDir dir_;
};

TEST_F(Fps, SteadyRatesSettleOneBelowTheTrueRate) {
  // 50 FPS: 20 ms frames, 50 per window.
  EXPECT_EQ(Steady(20, 50 * 6), (std::vector<int>{35, 42, 46, 48, 49, 49}));
  ResetFPS();
  g_captions.clear();
  // 30 FPS: 30 frames per 1000 ms window, ten of 34 ms and twenty of 33 ms.
  for (int w = 0; w < 5; ++w) {
    for (int i = 0; i < 30; ++i) UpdateFPS(i < 10 ? 34 : 33);  // 10*34 + 20*33 = 1000
  }
  std::vector<int> shown;
  for (const std::string& c : g_captions) shown.push_back(std::stoi(c.substr(11)));
  EXPECT_EQ(shown, (std::vector<int>{25, 27, 28, 29, 29}));
}

TEST_F(Fps, CaptionAndLogLineAreTheSameTextOncePerWindow) {
  Steady(20, 100);
  ASSERT_EQ(g_captions, (std::vector<std::string>{"PARTICLE : 35 FPS", "PARTICLE : 42 FPS"}));
  EXPECT_EQ(LogLines(), g_captions);
}

TEST_F(Fps, WindowBoundaryIs1000AndTheOvershootCarriesOnce) {
  UpdateFPS(999);
  EXPECT_TRUE(g_captions.empty()) << "a 999 ms window completes nothing";
  UpdateFPS(1);  // exactly 1000: two frames, carry 0
  ASSERT_EQ(g_captions.size(), 1u);
  EXPECT_EQ(g_captions[0], "PARTICLE : 11 FPS");  // (20 + 2) / 2
  UpdateFPS(999);
  EXPECT_EQ(g_captions.size(), 1u) << "carry after an exact window must be 0";
}

TEST_F(Fps, ALongFrameCompletesOneWindowPerCall) {
  UpdateFPS(2500);  // one frame; carry 1500
  ASSERT_EQ(g_captions.size(), 1u);
  EXPECT_EQ(g_captions[0], "PARTICLE : 10 FPS");  // (20 + 1) / 2
  UpdateFPS(0);     // 1500 again completes a window of one frame; carry 500
  ASSERT_EQ(g_captions.size(), 2u);
  EXPECT_EQ(g_captions[1], "PARTICLE : 5 FPS");   // (10 + 1) / 2
  UpdateFPS(499);   // 999
  EXPECT_EQ(g_captions.size(), 2u);
  UpdateFPS(1);
  EXPECT_EQ(g_captions.size(), 3u);
}

TEST_F(Fps, ZeroFrameTimesStillCountFrames) {
  for (int i = 0; i < 30; ++i) UpdateFPS(0);
  UpdateFPS(1000);  // 31 frames in this window
  ASSERT_EQ(g_captions.size(), 1u);
  EXPECT_EQ(g_captions[0], "PARTICLE : 25 FPS");  // (20 + 31) / 2
}

TEST_F(Fps, FirstWindowOfExactly20FramesShows20) {
  for (int i = 0; i < 20; ++i) UpdateFPS(50);
  ASSERT_EQ(g_captions.size(), 1u);
  EXPECT_EQ(g_captions[0], "PARTICLE : 20 FPS");
}

}  // namespace
