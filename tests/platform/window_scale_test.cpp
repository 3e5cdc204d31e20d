// Catches an enlargement that smooths, drifts, skips a row, ignores either pitch or
// writes past the enlarged picture, and a --scale that takes a bad value, misses a
// good one or is thrown by the arguments the demo ignores.
#include "platform/window_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

TEST(EnlargePicture, EveryPixelBecomesOneBlockAtEveryScaleOfBothPixelSizes) {
  constexpr int kFromPitch = 330;  // pixels; both pitches wider than the rows
  std::vector<uint16_t> from(kFromPitch * kScreenHeight);
  for (size_t i = 0; i < from.size(); ++i) from[i] = static_cast<uint16_t>(i * 40503u);  // neighbours differ
  std::vector<uint32_t> colours(65536);
  for (uint32_t i = 0; i < colours.size(); ++i) colours[i] = i * 2654435761u;  // no two alike
  for (int bytes : {2, 4}) {
    for (int s = 1; s <= kMaxWindowScale; ++s) {
      const int pitch = (kScreenWidth * s + 7) * bytes;
      std::vector<uint8_t> to(static_cast<size_t>(pitch) * kScreenHeight * s, 0xA5);
      const WindowPixels window{to.data(), pitch, bytes, colours.data()};
      EnlargePicture(PixelBuffer{from.data(), kFromPitch * 2}, window, s);
      int wrong = 0;
      for (int y = 0; y < kScreenHeight * s; ++y) {
        for (int x = 0; x < pitch / bytes; ++x) {
          const uint16_t picture = from[static_cast<size_t>(y / s) * kFromPitch + x / s];
          const uint32_t want = x >= kScreenWidth * s ? (bytes == 2 ? 0xA5A5u : 0xA5A5A5A5u)  // untouched
                                : bytes == 2          ? picture
                                                      : colours[picture];
          uint32_t got = 0;
          std::memcpy(&got, &to[static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * bytes], bytes);
          wrong += got != want;  // little-endian, as every target of the project
        }
      }
      EXPECT_EQ(wrong, 0) << bytes << " bytes a pixel, scale " << s;
    }
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
