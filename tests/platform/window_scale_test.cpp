// Catches an enlargement that smooths, drifts, skips a row, ignores either pitch or
// writes past the enlarged picture, and a --scale that takes a bad value, misses a
// good one or is thrown by the arguments the demo ignores.
#include "platform/window_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(EnlargePicture, EveryPixelBecomesOneBlockAtEveryScale) {
  constexpr int kFromPitch = 330;  // pixels; both pitches wider than the rows
  std::vector<uint16_t> from(kFromPitch * kScreenHeight);
  for (size_t i = 0; i < from.size(); ++i) from[i] = static_cast<uint16_t>(i * 40503u);  // neighbours differ
  for (int s = 1; s <= kMaxWindowScale; ++s) {
    const int toPitch = kScreenWidth * s + 7;
    std::vector<uint16_t> to(static_cast<size_t>(toPitch) * kScreenHeight * s, 0xDEAD);
    EnlargePicture(PixelBuffer{from.data(), kFromPitch * 2}, PixelBuffer{to.data(), toPitch * 2}, s);
    int wrong = 0;
    for (int y = 0; y < kScreenHeight * s; ++y) {
      for (int x = 0; x < toPitch; ++x) {
        const uint16_t want = x < kScreenWidth * s ? from[(y / s) * kFromPitch + x / s] : 0xDEAD;
        wrong += to[static_cast<size_t>(y) * toPitch + x] != want;
      }
    }
    EXPECT_EQ(wrong, 0) << "scale " << s;
  }
}

TEST(ReadWindowScale, TakesOneToSixInEitherFormAndNamesWhatIsWrong) {
  const std::string bad = "particles: bad value for --scale: ";
  struct Case {
    std::vector<const char*> args;
    int scale;          // when accepted
    std::string error;  // empty: accepted
  } const cases[] = {
      {{}, 1, ""},
      {{"--fullscreen", "3", "-scale=2"}, 1, ""},  // not the option: ignored, as ever
      {{"--scale", "3"}, 3, ""},
      {{"--scale=6"}, 6, ""},
      {{"--scale=2", "x", "--scale", "01"}, 1, ""},  // the last one counts
      {{"--scale=0"}, 0, bad + "'0' (1..6)"},
      {{"--scale", "7"}, 0, bad + "'7' (1..6)"},
      {{"--scale=60"}, 0, bad + "'60' (1..6)"},
      {{"--scale="}, 0, bad + "'' (1..6)"},
      {{"--scale", "-2"}, 0, bad + "'-2' (1..6)"},
      {{"--scale=3x"}, 0, bad + "'3x' (1..6)"},
      {{"--scale=2", "--scale"}, 0, "particles: --scale needs a value"},
  };
  for (const Case& c : cases) {
    int scale = -1;
    std::string error;
    const bool ok = ReadWindowScale(static_cast<int>(c.args.size()), c.args.data(), &scale, &error);
    EXPECT_EQ(ok, c.error.empty()) << c.args.size() << " arguments, error '" << error << "'";
    EXPECT_EQ(ok ? std::to_string(scale) : error, ok ? std::to_string(c.scale) : c.error);
  }
}

}  // namespace
