// Catches a background counter that masks or shifts wrongly, dimmed colours that leak bits
// between channels, and a stamp off by a pixel or ignoring the row pitch.
#include "app/render.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/memory_screen.h"

namespace {

TEST(Render, BackgroundBrightensEvery256FramesAndKeepsTheLow16Bits) {
  MemoryScreen screen;
  // Frame counter and pixel; from frame 8192 on the shifted fields overlap (0x10420 here).
  for (const auto& [frame, shown] :
       {std::pair<int32_t, int>(0, 0), {255, 0}, {256, 0x0821}, {7936, 0xFBFF}, {8192, 0x0420}}) {
    int32_t color = frame;
    ClearScreen(screen, color);
    EXPECT_EQ(screen.At(319, 239), shown) << frame;
  }
}

TEST(Render, StampsHalveAndQuarterEachChannelAndFollowThePitch) {
  struct Case { int x, y; uint16_t c, half, quarter; };
  MemoryScreen screen(333);  // rows wider than the picture
  screen.Fill(0x1234);
  // Every bit set shows each mask whole; the two corners of the stamps' range.
  for (const Case k : {Case{1, 1, 0xFFFF, 0x7BEF, 0x39E7}, Case{318, 238, 0xF800, 0x7800, 0x3800}}) {
    PlotStamp(screen.Lock(), k.x, k.y, k.c);
    for (int i = 0; i < 9; ++i) {
      const int dx = i % 3 - 1, dy = i / 3 - 1;
      const uint16_t want = dx == 0 && dy == 0 ? k.c : dx == 0 || dy == 0 ? k.half : k.quarter;
      EXPECT_EQ(screen.At(k.x + dx, k.y + dy), want) << k.x << "," << k.y << " + " << dx << "," << dy;
    }
  }
  EXPECT_EQ(screen.At(3, 3), 0x1234) << "nothing beyond the nine pixels";
}

}  // namespace
