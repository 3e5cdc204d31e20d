// Catches frame-rate windows closed a millisecond early or late, a carry kept or lost,
// and a caption or log line that appears outside a completed window or differs from the
// other. The golden runs' logs pin the smoothing at steady rates and after long stalls.
#include "platform/fps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/support.h"

namespace {

std::vector<std::string> g_captions;
void RecordCaption(const char* title) { g_captions.push_back(title); }

// Frame times in ms: the pattern n times, then the last ones.
std::vector<unsigned> Repeat(int n, std::vector<unsigned> pattern, std::vector<unsigned> last = {}) {
  while (n-- > 0) last.insert(last.begin(), pattern.begin(), pattern.end());
  return last;
}

TEST(Fps, FramesPerWindowAreSmoothedCarriedAndShownOncePerWindow) {
  struct Case {
    const char* what;
    std::vector<unsigned> frames;
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"a 999 ms window completes nothing", {999}, {}},
      {"1000 ms does: two frames", {999, 1}, {11}},
      {"no carry after an exact window", {999, 1, 999}, {11}},
      {"zero frame times still count", Repeat(30, {0}, {1000}), {25}},
      {"a first window of exactly 20 frames", Repeat(20, {50}), {20}},
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
