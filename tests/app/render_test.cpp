// Catches a background counter that masks or shifts wrongly, dimmed colours that leak
// bits between channels, and a stamp off by a pixel or ignoring the row pitch. The
// golden runs pin the plots' order and the 3D pixel mapping.
#include "app/render.h"

#include <gtest/gtest.h>

#include "platform/memory_screen.h"

namespace {

TEST(Render, BackgroundBrightensEvery256FramesAndKeepsTheLow16Bits) {
  struct Case {
    int32_t frame;
    uint16_t shown;
  };
  for (const Case c : {Case{0, 0}, Case{255, 0}, Case{256, 0x0821}, Case{7936, 0xFBFF},
                       Case{8192, 0x0420}}) {  // 0x10420: the fields overlap
    MemoryScreen screen;
    int32_t color = c.frame;
    ClearScreen(screen, color);
    EXPECT_EQ(screen.At(319, 239), c.shown) << c.frame;
    EXPECT_EQ(color, c.frame + 1);
  }
}

TEST(Render, StampsHalveAndQuarterEachChannelAndFollowThePitch) {
  struct Case {
    int x, y;
    uint16_t c, half, quarter;
  };
  MemoryScreen screen(333);  // rows wider than the picture
  screen.Fill(0x1234);
  for (const Case k : {Case{1, 1, 0xFFFF, 0x7BEF, 0x39E7}, Case{318, 238, 0xF800, 0x7800, 0x3800},
                       Case{100, 50, 0x07E0, 0x03E0, 0x01E0}, Case{7, 9, 0x0021, 0, 0}}) {
    PlotStamp(screen.Lock(), k.x, k.y, k.c);
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const uint16_t want = dx == 0 && dy == 0 ? k.c : dx == 0 || dy == 0 ? k.half : k.quarter;
        EXPECT_EQ(screen.At(k.x + dx, k.y + dy), want) << k.x << "," << k.y << " + " << dx << "," << dy;
      }
    }
  }
  EXPECT_EQ(screen.At(3, 3), 0x1234) << "nothing beyond the nine pixels";
}

}  // namespace
