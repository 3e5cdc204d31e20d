// Catches 3D stamps placed off the 1..317 by 1..237 mapping (a flipped y, a wrong
// origin, rounding instead of truncation), hidden particles drawn, or the list
// walked out of order so that far emitters cover near ones.
#include <gtest/gtest.h>

#include <vector>

#include "app/render.h"

namespace {

using particles::fixed;
constexpr int32_t kOne = 65536;

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
