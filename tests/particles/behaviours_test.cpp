// The behaviours' boundary rules, independent of the code: a life rule off by one
// millisecond, motion that rounds instead of truncating, a fountain countdown or comet
// bounce off by one, and the raw steps of gravity, the fire's rise and the comet's turn.
// The golden runs pin the birth recipes and everything else the scenes do with them.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "particles/behaviours2d.h"
#include "particles/behaviours3d.h"
#include "support/support.h"

namespace {

using namespace particles;
using support::ScriptedRand;
using Raw4 = std::array<int32_t, 4>;
constexpr int32_t kOne = 65536;

Raw4 R(const vec4& v) { return {v.x.raw(), v.y.raw(), v.z.raw(), v.w.raw()}; }
vec4 V(Raw4 r) { return {fixed::from_raw(r[0]), fixed::from_raw(r[1]), fixed::from_raw(r[2]), fixed::from_raw(r[3])}; }

// A 2D emitter at (500, 700) with a fountain countdown of 300 and one particle on entry 1.
struct One2D {
  EmiterVec2 velocities[2] = {{300, 0}, {-1, -1}};
  ParticleData data{};
  Particle particle{&velocities[1], 100, &data};
  Emiter emiter{velocities, 1, 500, 700, 0, 0, &data, &particle, nullptr, nullptr};
};

TEST(Behaviours, TwoDimensionalLifeMotionCountdownAndBounce) {
  // A particle whose deathTime is now still moves; a millisecond later it dies, and
  // a fountain's moves dt * v / 4, truncated toward zero.
  for (const auto& [dt, moved] : {std::pair(3u, 0), std::pair(4u, -1), std::pair(7u, -1)}) {
    One2D one;
    FontaineParticles(&one.emiter, &one.particle, 100, dt);
    EXPECT_EQ(std::tuple(one.data.x, one.particle.deathTime), std::tuple(moved, 100u)) << dt;
    FontaineParticles(&one.emiter, &one.particle, 101, dt);
    EXPECT_EQ(std::tuple(one.data.x, one.particle.deathTime), std::tuple(moved, 0u)) << dt;
  }
  // A fountain jumps when its countdown reaches 0, not a millisecond before.
  for (const auto& [countdown, jumps] : {std::pair(17, false), std::pair(16, true)}) {
    One2D one;
    one.velocities[0].x = countdown;
    ScriptedRand script({63, 319, 239});
    FontaineEmiters(&one.emiter, 0, 16);
    EXPECT_EQ(std::tuple(one.velocities[0].x, one.emiter.x, one.emiter.y),
              jumps ? std::tuple(319, 3190, 2390) : std::tuple(1, 500, 700));
  }
  // The comet turns only once beyond the world: 3200 and 0 are still inside.
  for (const auto& [x, dir, turned] : {std::tuple(3199, 1, 1), std::tuple(3200, 1, -1),
                                       std::tuple(1, -1, -1), std::tuple(0, -1, 1)}) {
    One2D one;
    one.emiter.x = x;
    one.velocities[0] = EmiterVec2{dir, 0};
    CometeEmiters(&one.emiter, 0, 1);
    EXPECT_EQ(std::tuple(one.emiter.x, one.velocities[0].x), std::tuple(x + dir, turned)) << x;
  }
}

TEST(Behaviours, ThreeDimensionalStepsAndTheCometsTurn) {
  Particle3DData data{};
  vec4 velocity = V({16 * kOne, -kOne, 24 * kOne, 0});
  Particle3D particle{&velocity, 1108, &data};
  Emiter3D e{};
  e.count = 1, e.particles = &particle, e.data = &data, e.position = V({kOne, 2 * kOne, 3 * kOne, kOne});
  // One 20 ms step on its last millisecond: gravity takes 1310 x 150.0 off z, the
  // sideways drift runs at h = 1310 x 0.3 = 392.
  const fixed dt = fixed::from_raw(1310);
  data.position = V({0, 0, 0, kOne});
  Fontaine3DParticles(&e, &particle, 1108, dt);
  EXPECT_EQ(std::tuple(R(velocity), R(data.position)),
            std::tuple(Raw4{16 * kOne, -kOne, 1376364, 0}, Raw4{16 * 392, -392, 27512, kOne}));
  velocity = V({0, 0, 16 * kOne, 0});
  data.position = V({0, 0, 0, kOne});
  Feu3DParticles(&e, &particle, 1108, dt);       // the fire rises 16.0 x 1310 >> 16
  Comete3DParticles(&e, &particle, 1108, dt);    // a live trail particle stays put
  Fontaine3DParticles(&e, &particle, 1109, dt);  // a millisecond late it dies unmoved
  EXPECT_EQ(std::tuple(particle.deathTime, R(data.position)), std::tuple(0u, Raw4{0, 0, 20960, kOne}));

  // The head: dt = 0 only turns (the rotation by 0 shrinks x, the normalisation counts
  // w); 20 ms with m = 2 % 6 + 1 = 3 steps 3 x 1310 along x and w, then turns.
  vec4 head = V({kOne, 0, 0, kOne});
  e.velocities = &head;
  {
    ScriptedRand draw({5});
    Comete3DEmiters(&e, 0, fixed::from_raw(0));
  }
  EXPECT_EQ(std::tuple(R(e.position), R(head)),
            std::tuple(Raw4{kOne, 2 * kOne, 3 * kOne, kOne}, Raw4{139014, 0, 0, 46340}));
  head = V({kOne, 0, 0, kOne});
  ScriptedRand two({2});
  Comete3DEmiters(&e, 0, dt);
  EXPECT_EQ(std::tuple(R(e.position), R(head)),
            std::tuple(Raw4{kOne + 3930, 2 * kOne, 3 * kOne, kOne + 3930}, Raw4{138765, 8319, 0, 46340}));
}

}  // namespace
