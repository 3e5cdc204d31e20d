// Catches fountains placed from the wrong draws, a crash when the pool runs short, a pan leg
// due on every frame near the 2^31 or 2^32 tick crossing, and a long frame driving the zoom
// to zero. The golden runs pin the fountains' velocity entries.
#include "app/scene2d.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "app/views.h"
#include "support/support.h"

namespace {

TEST(Scene2D, APoolRunningShortLeavesNullsAndKeepsTheDrawOrder) {
  auto pool = std::make_unique<particles::Pool2D>();
  pool->AllocateEmiter(2400);  // 600 slots left: six fountains
  std::vector<int> script;  // column i (of 320) for draw i, row 0
  for (int i = 0; i < 20; ++i) script.push_back(i % 2 == 0 ? 320 + i : 240);
  support::ScriptedRand draws(script);
  particles::Emiter* e[kScene2DEmiters];
  CreateScene2D(*pool, e);
  EXPECT_EQ(draws.drawn, 20u);
  for (int i = 0; i < kScene2DEmiters; ++i) EXPECT_EQ(e[i] ? e[i]->x : -1, i < 6 ? 20 * i : -1) << i;
  for (particles::Emiter* emiter : e) pool->ReleaseEmiter(emiter);
}

// The golden runs pin the legs' path and timing, late frames included, and the zoom's swing.
TEST(Views, ALegCrossing2To31Or2To32IsDueOnlyAtItsEnd) {
  Views v;
  for (uint32_t start : {0x7FFFF800u, 0xFFFFF800u}) {
    InitViews(v, start);
    UpdateViews(v, start, 0);
    UpdateViews(v, start + 16, 16);
    // (3984 * 10 + 16 * 3190) / 4000 and (3984 * 10 + 16 * 2390) / 4000
    EXPECT_EQ(std::tuple(v.camera.x, v.camera.y, v.nextMoveTime), std::tuple(22, 19, start + 4000));
  }
}

TEST(Views, ALongFrameNeverDrivesTheZoomToZero) {
  Views v;
  InitViews(v, 0);
  for (unsigned dt : {1408u, 5000u}) {  // falling from 5.5: to exactly 0, and below
    v.camera.zoom = particles::fixed::from_raw(0x58000);
    v.sensZ = -1;
    UpdateViews(v, 0, dt);
    EXPECT_EQ(std::tuple(v.camera.zoom.raw(), v.sensZ), std::tuple(0x50000, 1)) << dt;  // 5.0, rising
  }
}

}  // namespace
