// Catches a 3D pass that culls at the wrong depth, sorts or breaks ties the wrong way, divides
// by a w of zero (emitter or particle), lets a particle one raw unit off screen through, or
// shades wrongly, through each projection the CPU has, and on the console's CPU an assembly
// projection that differs from the C++ one anywhere. The golden runs pin the rest.
#include "particles/pass3d.h"
#include "particles/project_arm.h"
#include "particles/projection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "support/support.h"

namespace {

using particles::Emiter3D;
using particles::fixed;
constexpr int32_t kOne = 65536;

particles::vec4 At(int32_t x, int32_t y, int32_t w) {
  return {fixed::from_raw(x), fixed::from_raw(y), fixed::from_raw(0), fixed::from_raw(w)};
}

int g_emiterCalls = 0;
int g_particleCalls = 0;
void CountEmiter(Emiter3D*, unsigned, const fixed&) { ++g_emiterCalls; }
void CountParticle(Emiter3D*, particles::Particle3D*, unsigned, const fixed&) { ++g_particleCalls; }

struct Pass3D : ::testing::Test {
  Pass3D() { g_emiterCalls = g_particleCalls = 0; }
  // Under the identity matrix a clip position is the position.
  Emiter3D* Add(int32_t x, int32_t y, int32_t w, int32_t radius, unsigned count = 1) {
    Emiter3D* e = pool_->AllocateEmiter(count);
    e->position = At(x, y, w);
    e->radius = fixed::from_raw(radius);
    e->particleFunc = &CountParticle;
    e->emiterFunc = &CountEmiter;
    return e;
  }
  void Run() { particles::Update3DEmiters(*pool_, vmath::identity4<fixed>(), 1000, 16); }
  std::vector<Emiter3D*> List() const {
    return {pool_->visibleEmiters, pool_->visibleEmiters + pool_->visibleCount};
  }
  std::unique_ptr<particles::Pool3D> pool_ = std::make_unique<particles::Pool3D>();
};

// Farthest first, ties in slot order, nothing beyond w = 1000.0 or behind; the camera can
// sit on an emitter's plane (w = 0): not in view, and no division.
TEST_F(Pass3D, ListIsFarthestFirstWithTiesInSlotOrderWithinTheDepthRange) {
  Emiter3D* five = Add(0, 0, 5 * kOne, 0);
  Emiter3D* two = Add(0, 0, 2 * kOne, 0);
  Add(0, 0, 65536001, 0);                      // one raw unit beyond
  Emiter3D* atLimit = Add(0, 0, 65536000, 0);  // w = 1000.0
  Add(0, 0, -kOne, 0);                         // behind the camera
  Add(kOne, kOne, 0, 3 * kOne);                // on the camera's plane
  Emiter3D* eight = Add(0, 0, 8 * kOne, 0);
  Emiter3D* alsoTwo = Add(0, 0, 4 * kOne, 8 * kOne);  // depth 4.0 - 8.0 / 4.0, level with two
  Emiter3D* alsoFive = Add(0, 0, 5 * kOne, 0);
  Run();
  EXPECT_EQ(List(), (std::vector<Emiter3D*>{atLimit, eight, five, alsoFive, two, alsoTwo}));
  EXPECT_EQ(g_emiterCalls, 9) << "every allocated emitter's behaviour runs, seen or not";
  EXPECT_EQ(g_particleCalls, 6) << "only listed emitters run their particles";
}

TEST_F(Pass3D, ParticlesOnScreenAndTheirShading) {
  struct Case { int32_t x, y, w; uint8_t visible; int32_t clipX; uint16_t shaded, colour = 0xFFFF; };
  const Case cases[] = {
      {3 * kOne, 0, 0, 0, 3 * kOne, 0},                  // w = 0: not divided
      {kOne / 2, 0, -kOne, 0, kOne / 2, 0},              // behind, though its quotient is on screen
      {2 * kOne, -2 * kOne, 2 * kOne, 1, kOne, 0xF79E},  // (1.0, -1.0): on the edges, in
      {-2 * kOne, 2 * kOne, 2 * kOne, 1, -kOne, 0xF79E},
      {kOne + 1, 0, kOne, 0, kOne + 1, 0},  // one raw unit past each edge
      {-kOne - 1, 0, kOne, 0, -kOne - 1, 0},
      {0, kOne + 1, kOne, 0, 0, 0},
      {0, -kOne - 1, kOne, 0, 0, 0},
      {0, 0, 69999, 1, 0, 0xFFDF},  // one fade step per 70000 of w (none yet)
      {0, 0, 10 * kOne, 1, 0, 0xB596},
      {0, 0, 2169999, 1, 0, 0x0841},
      {0, 0, 2170000, 1, 0, 0x0000},
      {0, 0, 1000, 1, 0, 0x07C0, 0x07E0},  // green is five bits at 6..10
      {0, 0, 1000, 1, 0, 0x0000, 0x0020},
  };
  const unsigned n = sizeof cases / sizeof cases[0];
  Emiter3D* e = Add(0, 0, kOne, 0, n);
  for (unsigned k = 0; k < n; ++k) {
    e->data[k].position = At(cases[k].x, cases[k].y, cases[k].w);
    e->data[k].colour = cases[k].colour;
  }
  support::EachProjection([&](const char* path) {
    for (unsigned k = 0; k < n; ++k) e->data[k].shadedColour = 0;
    Run();
    for (unsigned k = 0; k < n; ++k) {
      const auto& d = e->data[k];
      const Case& c = cases[k];
      EXPECT_EQ(std::tuple(d.visible, d.clip.x.raw(), d.shadedColour),
                std::tuple(c.visible, c.clipX, c.shaded)) << path << ", case " << k;
    }
  });
}

#if defined(PARTICLES_ARM_PROJECTION)
// The console's assembly loop against the C++ projection it stands for, particle by particle
// and stamp by stamp: w in every range (0 and below, under 1.0, the short way's, 16384.0 and
// up), clip x and y from on screen to far off, through the identity's rows and random ones.
TEST(Project3DParticlesArm, EqualsTheCppProjectionOfEachParticle) {
  std::mt19937 gen(20261208);
  auto pick = [&](int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(gen); };
  auto raw = [](int64_t v) {
    return fixed::from_raw(static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
  };
  auto fields = [](const particles::Particle3DData& d) {
    return std::tuple(d.clip.x.raw(), d.clip.y.raw(), d.colour, d.shadedColour, d.visible);
  };
  const int64_t ranges[][2] = {{INT32_MIN, 0}, {1, kOne - 1}, {kOne, 0x3FFFFFFF}, {0x40000000, INT32_MAX}};
  for (int round = 0; round < 400; ++round) {
    const bool identity = round % 2 == 0;  // x, y and w are the position's own
    particles::ClipRows rows{};
    particles::vec4* const row[] = {&rows.x, &rows.y, &rows.w};
    for (int i = 0; i < 12; ++i)
      (*row[i / 4])[i % 4] = raw(identity ? (i == 0 || i == 5 || i == 11 ? kOne : 0) : pick(-4 * kOne, 4 * kOne));
    std::vector<particles::Particle3DData> mine(64);
    for (auto& d : mine) {
      const int64_t* range = ranges[pick(0, 9) < 7 ? 2 : pick(0, 3)];
      const int64_t w = pick(range[0], range[1]);
      auto near = [&] { return raw(w * pick(-163840, 163840) / kOne + pick(-1, 1) * pick(0, 1)); };  // w x -2.5..2.5
      auto any = [&] { return raw(pick(-64 * kOne, 64 * kOne)); };
      d.position = identity ? particles::vec4{near(), near(), raw(pick(-kOne, kOne)), raw(w)}
                            : particles::vec4{any(), any(), any(), raw(pick(0, 3) == 0 ? pick(-kOne, 2 * kOne) : kOne)};
      d.clip = {raw(pick(INT32_MIN, INT32_MAX)), raw(pick(INT32_MIN, INT32_MAX))};
      d.colour = static_cast<uint16_t>(pick(0, 0xFFFF)), d.shadedColour = static_cast<uint16_t>(pick(0, 0xFFFF));
      d.visible = static_cast<uint8_t>(pick(0, 1));
    }
    std::vector<particles::Particle3DData> theirs = mine;
    particles::ScreenStamp myStamps[64], theirStamps[64], *theirEnd = theirStamps;
    const particles::ScreenStamp* myEnd = particles::Project3DParticlesArm(mine.data(), 64, rows, myStamps);
    for (auto& d : theirs) particles::Project3DParticle(d, rows, theirEnd);
    ASSERT_EQ(myEnd - myStamps, theirEnd - theirStamps) << "round " << round;
    for (int k = 0; k < 64; ++k)
      ASSERT_TRUE(fields(mine[k]) == fields(theirs[k]) && mine[k].position == theirs[k].position)
          << "round " << round << ", particle " << k << ": w " << theirs[k].position.w.raw();
    for (int k = 0; k < theirEnd - theirStamps; ++k) {
      const auto &a = myStamps[k], &b = theirStamps[k];
      ASSERT_TRUE(a.x == b.x && a.y == b.y && a.colour == b.colour) << "round " << round << ", stamp " << k;
    }
  }
}
#endif

}  // namespace
