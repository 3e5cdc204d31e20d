// Catches scene emitters built from the wrong draws or bound to the wrong velocity
// entries, a crash when the pool runs short, and view faults: a pan leg started
// late, twice or on every frame near the 2^31 tick crossing, a zoom turning one
// step late, or a long frame driving the zoom to zero. The golden runs pin the
// scene as the unseeded draws build it.
#include "app/scene2d.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "app/views.h"
#include "particles/pools.h"
#include "support/support.h"

namespace {

using namespace particles;

struct Scene2D : ::testing::Test {
  Emiter* e[kScene2DEmiters];
  Scene2D() { g_2DPool = new Pool2D(); }
  ~Scene2D() override {
    for (Emiter* emiter : e) g_2DPool->ReleaseEmiter(emiter);
    EXPECT_EQ(CheckBlockMap(*g_2DPool), "");
    delete g_2DPool;
    g_2DPool = nullptr;
  }
};

TEST_F(Scene2D, APoolRunningShortLeavesNullsAndKeepsTheDrawOrder) {
  Emiter* taken = g_2DPool->AllocateEmiter(2400);  // 600 slots left: six fountains
  std::vector<int> script;
  for (int i = 0; i < 20; ++i) script.push_back(i % 2 == 0 ? 320 + i : 240);
  support::ScriptedRand draws(script);
  CreateScene2D(*g_2DPool, e);
  EXPECT_EQ(draws.Drawn(), 20u);
  for (int i = 0; i < kScene2DEmiters; ++i)
    EXPECT_EQ(e[i] ? e[i]->x : -1, i < 6 ? 20 * i : -1) << i;
  // Particle k moves by entry count - k; entry 0 is the fountain's own countdown.
  EXPECT_EQ(e[0]->particles[0].velocity, &e[0]->velocities[100]);
  EXPECT_EQ(e[0]->particles[99].velocity, &e[0]->velocities[1]);
  g_2DPool->ReleaseEmiter(taken);
}

TEST(Views, PanLegsRunCornerToCornerOnTheSharedTimer) {
  Views v;
  InitViews(v, 1000);
  struct Step {
    unsigned now;
    int32_t x, y;
    uint32_t next;
  };
  for (const Step s : {Step{1000, 10, 10, 5000},      // the first frame always starts a leg
                       Step{3000, 1600, 1200, 5000},  // remaining 2000: halfway
                       Step{4999, 3189, 2389, 5000},  // remaining 1
                       Step{5000, 3190, 2390, 9000},  // now == nextMoveTime: the leg back
                       Step{19000, 10, 10, 23000},    // 10 s late: exactly one leg
                       Step{19001, 10, 10, 23000}}) {
    UpdateViews(v, s.now, 0);
    EXPECT_EQ(std::tuple(v.camera.x, v.camera.y, v.nextMoveTime), std::tuple(s.x, s.y, s.next))
        << s.now;
  }
  // A leg whose end crosses 2^31 (or 2^32) is not due again before it ends.
  for (uint32_t start : {0x7FFFF800u, 0xFFFFF800u}) {
    InitViews(v, start);
    UpdateViews(v, start, 0);
    UpdateViews(v, start + 16, 16);
    // (3984 * 10 + 16 * 3190) / 4000 and (3984 * 10 + 16 * 2390) / 4000
    EXPECT_EQ(std::tuple(v.camera.x, v.camera.y, v.nextMoveTime), std::tuple(22, 19, start + 4000));
  }
}

TEST(Views, ZoomSwingsBetweenItsTurnsAndNeverReachesZero) {
  Views v;
  InitViews(v, 0);
  struct Step {
    int32_t from, sens;
    unsigned dt;
    int32_t to, sensAfter;
  };
  for (const Step s : {Step{655360, 1, 16, 659456, 1},  // 10.0 rises 4096 per 16 ms frame
                       Step{0x140000 - 4097, 1, 16, 0x13FFFF, 1},
                       Step{0x140000 - 4096, 1, 16, 0x140000, -1},  // lands on 20.0: turns
                       Step{0x140000, -1, 16, 0x140000 - 4096, -1},
                       Step{0x50000 + 4096, -1, 16, 0x50000, 1},  // lands on 5.0: turns
                       Step{0x58000, -1, 1408, 0x50000, 1},       // a long frame reaching 0
                       Step{0x58000, -1, 5000, 0x50000, 1}}) {    // or going below
    v.camera.zoom = fixed::from_raw(s.from);
    v.sensZ = s.sens;
    UpdateViews(v, 0, s.dt);
    EXPECT_EQ(std::tuple(v.camera.zoom.raw(), v.sensZ), std::tuple(s.to, s.sensAfter))
        << s.from << " " << s.dt;
  }
}

}  // namespace
