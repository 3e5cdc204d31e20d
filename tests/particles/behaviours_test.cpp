// The behaviours' stated values, independent of the code: birth recipes that take the
// wrong bits of a draw, a life rule off by one millisecond, a fountain countdown or
// comet bounce off by one, motion that rounds instead of truncating, and the raw
// steps of gravity, the fire's rise and the comet's turn. The golden runs pin the rest.
#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

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
constexpr int Bits(int b0, int b1, int b2) { return b0 | (b1 << 5) | (b2 << 10); }

// A 2D emitter at (500, 700) with a fountain countdown of 300 and one particle on entry 1.
struct One2D {
  EmiterVec2 velocities[2] = {{300, 0}, {7, 7}};
  ParticleData data{};
  Particle particle{&velocities[1], 0, &data};
  Emiter emiter{velocities, 1, 500, 700, 0, 0, &data, &particle, nullptr, nullptr};
};

TEST(Behaviours, TwoDimensionalBirthsLivesAndMoves) {
  struct Birth {
    ParticleFunc f;
    std::vector<int> draws;  // the life draw (none for a fountain), then r
    std::tuple<uint32_t, int32_t, int32_t, int32_t, int32_t, uint16_t> born;  // death, x, y, vx, vy, colour
  };
  for (const Birth& b : {Birth{FontaineParticles, {0}, {1300, 500, 700, -10, -10, 0x0000}},
                         Birth{FontaineParticles, {0x7FFFFFFF}, {1300, 500, 700, 0, 0, 0x03FF}},
                         Birth{FeuParticles, {0, 0}, {1064, 260, 460, 0, -4, 0xF800}},
                         Birth{FeuParticles, {255, 0x7E0}, {1319, 260, 1468, 0, -4, 0xFFE0}},
                         Birth{CometeParticles, {511, 0x001F}, {1575, 624, 700, 7, 7, 0xF800}}}) {
    One2D one;
    ScriptedRand script(b.draws);
    b.f(&one.emiter, &one.particle, 1000, 16);
    EXPECT_EQ(std::tuple(one.particle.deathTime, one.data.x, one.data.y, one.velocities[1].x,
                         one.velocities[1].y, one.data.colour), b.born);
    EXPECT_EQ(ScriptedRand::Drawn(), b.draws.size());
  }
  // A particle whose deathTime is now still moves; a millisecond later it dies, and
  // a fountain's moves dt * v / 4, truncated toward zero.
  for (const auto& [dt, moved] : {std::pair(3u, 0), std::pair(4u, -1), std::pair(7u, -1)}) {
    One2D one;
    one.velocities[1] = EmiterVec2{-1, -1};
    one.particle.deathTime = 100;
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

TEST(Behaviours, ThreeDimensionalBirthsAndSteps) {
  // Three particles at (1.0, 2.0, 3.0, 1.0), laid out as a pool lays them out.
  Particle3DData data[3]{};
  Particle3D particles[3] = {{nullptr, 0, &data[0]}, {nullptr, 0, &data[1]}, {nullptr, 0, &data[2]}};
  Emiter3D e{};
  e.count = 3, e.particles = particles, e.data = data, e.position = V({kOne, 2 * kOne, 3 * kOne, kOne});
  Comete3DParticlesInit(&e);
  EXPECT_EQ(R(e.velocities[0]), (Raw4{kOne, 0, 0, kOne}));
  EXPECT_EQ(particles[0].velocity, &e.velocities[3]);
  EXPECT_EQ(particles[2].velocity, &e.velocities[1]);

  struct Birth {
    Particle3DFunc f;
    int r;
    Raw4 position, velocity;
    uint16_t colour;
  };
  for (const Birth& b : {
           Birth{Fontaine3DParticles, 0, {kOne, 2 * kOne, 3 * kOne, kOne}, {-15 * kOne, -15 * kOne, 31 * kOne, 0}, 0x00FF},
           Birth{Fontaine3DParticles, Bits(31, 31, 7), {kOne, 2 * kOne, 3 * kOne, kOne}, {16 * kOne, 16 * kOne, 24 * kOne, 0}, 0x01FF},
           Birth{Feu3DParticles, 0, {kOne - 49140, 2 * kOne - 49140, 3 * kOne - 49140, kOne}, {0, 0, 16 * kOne, 0}, 0xF800},
           Birth{Feu3DParticles, Bits(16, 0, 31), {kOne + 3276, 2 * kOne - 49140, 3 * kOne + 52416, kOne}, {0, 0, 16 * kOne, 0}, 0xFFC0},
           Birth{Comete3DParticles, Bits(1, 2, 3), {kOne + 1966, 2 * kOne + 3932, 3 * kOne + 5898, kOne}, {0, 0, 0, 0}, 0x1881}}) {
    particles[0].deathTime = 0;
    *particles[0].velocity = vec4{};
    ScriptedRand script({300, b.r});  // life 300 % 256 + 64 = 108 ms, then r
    b.f(&e, &particles[0], 1000, fixed::from_raw(1310));
    EXPECT_EQ(std::tuple(particles[0].deathTime, R(data[0].position), R(*particles[0].velocity), data[0].colour),
              std::tuple(1108u, b.position, b.velocity, b.colour)) << b.r;
  }
  // One 20 ms step on its last millisecond: gravity takes 1310 x 150.0 off z, the
  // sideways drift runs at h = 1310 x 0.3 = 392.
  const fixed dt = fixed::from_raw(1310);
  *particles[1].velocity = V({16 * kOne, -kOne, 24 * kOne, 0});
  data[1].position = V({0, 0, 0, kOne});
  particles[1].deathTime = 1108;
  Fontaine3DParticles(&e, &particles[1], 1108, dt);
  EXPECT_EQ(std::tuple(R(*particles[1].velocity), R(data[1].position)),
            std::tuple(Raw4{16 * kOne, -kOne, 1376364, 0}, Raw4{16 * 392, -392, 27512, kOne}));
  *particles[1].velocity = V({0, 0, 16 * kOne, 0});
  data[1].position = V({0, 0, 0, kOne});
  Feu3DParticles(&e, &particles[1], 1108, dt);       // the fire rises 16.0 x 1310 >> 16
  Comete3DParticles(&e, &particles[1], 1108, dt);    // a live trail particle stays put
  Fontaine3DParticles(&e, &particles[1], 1109, dt);  // a millisecond late it dies unmoved
  EXPECT_EQ(std::tuple(particles[1].deathTime, R(data[1].position)), std::tuple(0u, Raw4{0, 0, 20960, kOne}));

  // The head: dt = 0 only turns (the rotation by 0 shrinks x, the normalisation counts
  // w); 20 ms with m = 2 % 6 + 1 = 3 steps 3 x 1310 along x and w, then turns.
  {
    ScriptedRand five({5});
    Comete3DEmiters(&e, 0, fixed::from_raw(0));
  }
  EXPECT_EQ(std::tuple(R(e.position), R(e.velocities[0])),
            std::tuple(Raw4{kOne, 2 * kOne, 3 * kOne, kOne}, Raw4{139014, 0, 0, 46340}));
  e.velocities[0] = V({kOne, 0, 0, kOne});
  ScriptedRand two({2});
  Comete3DEmiters(&e, 0, dt);
  EXPECT_EQ(std::tuple(R(e.position), R(e.velocities[0])),
            std::tuple(Raw4{kOne + 3930, 2 * kOne, 3 * kOne, kOne + 3930}, Raw4{138765, 8319, 0, 46340}));
  delete[] e.velocities;
}

}  // namespace
