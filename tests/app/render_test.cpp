// Catches a background counter that masks or shifts wrongly, dimmed colours that
// leak bits between channels, a stamp off by a pixel or ignoring the row pitch, a
// stray or missing write, stamps drawn out of list or block order, and 3D stamps
// placed off the 1..317 by 1..237 mapping (a flipped y, a wrong origin, rounding
// instead of truncation) or drawn while hidden.
#include "app/render.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/memory_screen.h"

namespace {

using particles::fixed;
constexpr int32_t kOne = 65536;
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

void Put(particles::Emiter3D* e, unsigned k, int32_t x, int32_t y, uint16_t shaded, uint8_t visible = 1) {
  e->data[k].clip.x = fixed::from_raw(x);
  e->data[k].clip.y = fixed::from_raw(y);
  e->data[k].colour = 0x1234;  // the unshaded colour is never drawn
  e->data[k].shadedColour = shaded;
  e->data[k].visible = visible;
}

TEST(Render3D, StampsLandOnTheMappedPixelsInListOrder) {
  auto* pool = new particles::Pool3D();
  std::vector<uint16_t> pixels(kScreenWidth * kScreenHeight, 0);
  auto at = [&](int x, int y) { return pixels[y * kScreenWidth + x]; };
  particles::Emiter3D* farEmiter = pool->AllocateEmiter(6);
  particles::Emiter3D* nearEmiter = pool->AllocateEmiter(1);
  pool->visibleEmiters[0] = farEmiter;
  pool->visibleEmiters[1] = nearEmiter;
  pool->visibleCount = 2;
  Put(farEmiter, 0, -kOne, -kOne, 0xF800);  // top left
  Put(farEmiter, 1, kOne, kOne, 0x07E0);    // bottom right: y is not flipped
  Put(farEmiter, 2, 0, 0, 0x001F);          // the centre, covered below
  Put(farEmiter, 3, -1, kOne - 1, 0xFFFF);  // (65535 x 158) >> 16 = 157, (131071 x 118) >> 16 = 235
  Put(farEmiter, 4, kOne / 2, kOne / 2, 0xFFFF, 0);  // hidden; would land on (238, 178)
  Put(nearEmiter, 0, 0, 0, 0x07E0);
  Plot3DParticles(*pool, PixelBuffer{pixels.data(), 2 * kScreenWidth});

  EXPECT_EQ(at(1, 1), 0xF800);
  EXPECT_EQ(at(0, 0), 0x3800) << "its corner, at a quarter";
  EXPECT_EQ(at(317, 237), 0x07E0);
  EXPECT_EQ(at(158, 236), 0xFFFF) << "truncated, each + 1";
  EXPECT_EQ(at(238, 178), 0);
  EXPECT_EQ(at(159, 119), 0x07E0) << "the later emitter covers the earlier";
  EXPECT_EQ(at(160, 119), 0x03E0);
  delete pool;
}

}  // namespace
