// Catches a background counter that masks or shifts wrongly, dimmed colours that
// leak bits between channels, a stamp off by a pixel or ignoring the row pitch, a
// stray or missing write, and stamps drawn out of list or block order.
#include "app/render.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/memory_screen.h"

namespace {

using Picture = std::vector<uint16_t>;  // 320 x 240, row-major

// The colour with each channel shifted right by s, taken apart and packed again.
uint16_t Dim(uint16_t c, int s) {
  return static_cast<uint16_t>((((c >> 11) >> s) << 11) | ((((c >> 5) & 63) >> s) << 5) |
                               ((c & 31) >> s));
}

// Reference stamp: the nine pixels in the documented order.
void Stamp(Picture& p, int x, int y, uint16_t c) {
  const int order[9][3] = {{0, 0, 0},   {1, 0, 1},  {-1, 0, 1}, {0, 1, 1}, {0, -1, 1},
                           {-1, -1, 2}, {1, -1, 2}, {-1, 1, 2}, {1, 1, 2}};
  for (const auto& o : order) p[(y + o[1]) * 320 + x + o[0]] = Dim(c, o[2]);
}

Picture Shown(const MemoryScreen& screen) {
  Picture p(320 * 240);
  screen.CopyPicture(p.data());
  return p;
}

struct RecordingScreen final : Screen {
  MemoryScreen inner;
  uint32_t filled = 0xDEADBEEF;
  void Fill(uint32_t value) override {
    filled = value;
    inner.Fill(value);
  }
  PixelBuffer Lock() override { return inner.Lock(); }
  void Unlock() override {}
  void Flip() override {}
};

TEST(Render, BackgroundBrightensEvery256FramesAndKeepsTheLow16Bits) {
  struct Case {
    int32_t frame;
    uint32_t passed;
    uint16_t shown;
  };
  for (const Case c : {Case{0, 0, 0}, Case{255, 0, 0}, Case{256, 0x0821, 0x0821},
                       Case{7936, 0xFBFF, 0xFBFF}, Case{8192, 0x10420, 0x0420}}) {
    RecordingScreen screen;
    int32_t color = c.frame;
    ClearScreen(screen, color);
    EXPECT_EQ(screen.filled, c.passed) << c.frame;
    EXPECT_EQ(screen.inner.At(319, 239), c.shown) << c.frame;
    EXPECT_EQ(color, c.frame + 1);
  }
}

TEST(Render, StampsHalveAndQuarterEachChannelAndFollowThePitch) {
  struct Colour {
    uint16_t c, half, quarter;
  };
  for (const Colour k : {Colour{0xFFFF, 0x7BEF, 0x39E7}, Colour{0xF800, 0x7800, 0x3800},
                         Colour{0x07E0, 0x03E0, 0x01E0}, Colour{0x0021, 0, 0}}) {
    EXPECT_EQ(std::pair(Dim(k.c, 1), Dim(k.c, 2)), std::pair(k.half, k.quarter));  // the reference
  }
  for (int pitch : {320, 333}) {
    MemoryScreen screen(pitch);
    screen.Fill(0x1234);
    Picture expected(320 * 240, 0x1234);
    struct At {
      int x, y;
      uint16_t c;
    };
    for (const At a :
         {At{1, 1, 0xFFFF}, At{318, 238, 0xF800}, At{100, 50, 0x07E0}, At{7, 9, 0x0021}}) {
      PlotStamp(screen.Lock(), a.x, a.y, a.c);
      Stamp(expected, a.x, a.y, a.c);
    }
    EXPECT_EQ(screen.At(0, 0), 0x39E7);  // the corners of the screen are touched
    EXPECT_EQ(screen.At(319, 239), 0x3800);
    EXPECT_TRUE(Shown(screen) == expected) << "pitch " << pitch;
  }
}

TEST(Render, ListedEmittersVisibleParticlesAreStampedInOrder) {
  auto pool = std::make_unique<particles::Pool2D>();
  particles::Emiter* a = pool->AllocateEmiter(2);
  particles::Emiter* b = pool->AllocateEmiter(1);
  particles::Emiter* unlisted = pool->AllocateEmiter(1);
  a->data[0] = particles::ParticleData{0, 0, 0xF800, 10, 10, 1};
  a->data[1] = particles::ParticleData{0, 0, 0xFFFF, 50, 50, 0};  // invisible: writes nothing
  b->data[0] = particles::ParticleData{0, 0, 0x07E0, 11, 10, 1};
  unlisted->data[0] = particles::ParticleData{0, 0, 0xFFFF, 100, 100, 1};
  pool->visibleEmiters[2] = unlisted;  // past visibleCount: not drawn
  pool->visibleCount = 2;

  for (bool aFirst : {true, false}) {
    pool->visibleEmiters[0] = aFirst ? a : b;
    pool->visibleEmiters[1] = aFirst ? b : a;
    MemoryScreen screen;
    screen.Fill(0);
    Plot2DParticles(*pool, screen.Lock());
    Picture expected(320 * 240, 0);
    Stamp(expected, aFirst ? 10 : 11, 10, aFirst ? 0xF800 : 0x07E0);
    Stamp(expected, aFirst ? 11 : 10, 10, aFirst ? 0x07E0 : 0xF800);
    EXPECT_TRUE(Shown(screen) == expected);
    // The later stamp's side pixel covers the earlier centre.
    EXPECT_EQ(screen.At(aFirst ? 10 : 11, 10), aFirst ? 0x03E0 : 0x7800);
  }
}

}  // namespace
