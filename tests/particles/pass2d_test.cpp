// Catches a view test off by one pixel or done signed, a projection that rounds, drops
// the camera's offset or misplaces the stamp margin, and a behaviour run past its block.
// The golden runs pin the pass's order.
#include "particles/pass2d.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "support/support.h"

namespace {

using namespace particles;

const Camera2D kCamera{1234, 567, fixed::from_raw(655360)};  // 10.0: ten units a pixel

int g_stillCalls = 0;
void Still(Emiter*, Particle*, unsigned, unsigned) { ++g_stillCalls; }

struct Pass2D : ::testing::Test {
  std::unique_ptr<Pool2D> pool = std::make_unique<Pool2D>();
  // At pixel offset (sx, sy) from the screen centre: world offset (sx, sy) x 10.
  Emiter* Add(uint32_t count, int32_t sx, int32_t sy) {
    Emiter* e = pool->AllocateEmiter(count);
    e->x = kCamera.x + 10 * sx;
    e->y = kCamera.y + 10 * sy;
    e->radius = 300;  // 30 pixels at zoom 10.0
    e->particleFunc = Still;
    return e;
  }
};

TEST_F(Pass2D, AnEmitterIsInViewWhileItsSquareOverlapsTheScreen) {
  struct Case { bool across; int s; bool in; };  // s: the pixel its centre lands on
  for (const Case c : {Case{true, -30, true}, Case{true, -31, false}, Case{true, 349, true},
                       Case{true, 350, false}, Case{false, -30, true}, Case{false, -31, false},
                       Case{false, 269, true}, Case{false, 270, false}}) {
    Emiter* e = c.across ? Add(1, c.s - 160, 0) : Add(1, 0, c.s - 120);
    Update2DEmiters(*pool, kCamera, 0, 16);
    EXPECT_EQ(e->visible, c.in ? 1 : 0) << (c.across ? "x " : "y ") << c.s;
    EXPECT_EQ(pool->visibleCount, c.in ? 1u : 0u);
    pool->ReleaseEmiter(e);
  }
}

TEST_F(Pass2D, ParticlesNeedAPixelOfMarginAndProjectionTruncates) {
  struct Case { int32_t x, y, sx, sy; uint8_t visible; };  // x, y: world offset from the camera
  const Case cases[] = {
      {-1600, 0, 0, 120, 0}, {-1590, 0, 1, 120, 1}, {1580, 0, 318, 120, 1}, {1590, 0, 319, 120, 0},
      {0, -1200, 160, 0, 0}, {0, -1190, 160, 1, 1}, {0, 1180, 160, 238, 1}, {0, 1190, 160, 239, 0},
      {-1, -1, 160, 120, 1},  // -0.1 pixel truncates to the centre pixel
      {-10, 10, 159, 121, 1}};
  const uint32_t n = sizeof cases / sizeof cases[0];
  Emiter* e = Add(n, 0, 0);
  for (uint32_t k = 0; k < n; ++k) {
    e->data[k].x = kCamera.x + cases[k].x;
    e->data[k].y = kCamera.y + cases[k].y;
  }
  support::EachProjection([&](const char* path) {
    g_stillCalls = 0;
    Update2DEmiters(*pool, kCamera, 0, 16);
    EXPECT_EQ(g_stillCalls, static_cast<int>(n)) << path << ": each particle's behaviour once";
    for (uint32_t k = 0; k < n; ++k) {
      const ParticleData& d = e->data[k];
      const Case& c = cases[k];
      EXPECT_EQ(std::tuple(d.screenX, d.screenY, d.visible), std::tuple(c.sx, c.sy, c.visible))
          << path << ", case " << k;
    }
  });
}

}  // namespace
