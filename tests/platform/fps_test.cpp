// Catches frame-rate figures that smooth, round, carry or test the window wrongly,
// and a caption or log line that appears outside a completed window or differs from
// the other.
#include "platform/fps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/support.h"

namespace {

std::vector<std::string> g_captions;
void RecordCaption(const char* title) { g_captions.push_back(title); }

// n frames of ms each.
std::vector<unsigned> Frames(int n, unsigned ms) { return std::vector<unsigned>(static_cast<size_t>(n), ms); }
std::vector<unsigned> operator+(std::vector<unsigned> a, const std::vector<unsigned>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Fps, FramesPerWindowAreSmoothedCarriedAndShownOncePerWindow) {
  const std::vector<unsigned> thirty = Frames(10, 34) + Frames(20, 33);  // 30 frames, 1000 ms
  struct Case {
    const char* what;
    std::vector<unsigned> frames;
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"50 FPS settles one below", Frames(300, 20), {35, 42, 46, 48, 49, 49}},
      {"30 FPS settles one below", thirty + thirty + thirty + thirty + thirty, {25, 27, 28, 29, 29}},
      {"a 999 ms window completes nothing", {999}, {}},
      {"1000 ms does: two frames", {999, 1}, {11}},
      {"no carry after an exact window", {999, 1, 999}, {11}},
      {"a long frame completes one window per call", {2500}, {10}},
      {"and leaves its overshoot to the next", {2500, 0, 499}, {10, 5}},
      {"", {2500, 0, 499, 1}, {10, 5, 3}},
      {"zero frame times still count", Frames(30, 0) + Frames(1, 1000), {25}},
      {"a first window of exactly 20 frames", Frames(20, 50), {20}},
  };
  for (const Case& c : cases) {
    support::LogCapture log;
    ResetFPS();
    g_captions.clear();
    SetCaptionSink(&RecordCaption);
    for (unsigned dt : c.frames) UpdateFPS(dt);
    SetCaptionSink(nullptr);
    std::vector<std::string> expected;
    for (int n : c.shown) expected.push_back("PARTICLE : " + std::to_string(n) + " FPS");
    EXPECT_EQ(g_captions, expected) << c.what;
    EXPECT_EQ(log.Lines(), expected) << c.what << ": the log line is the caption";
  }
}

}  // namespace
