// Catches a birth recipe taking the wrong bits or draws in the wrong order, a life
// rule off by one call or one millisecond, a fountain countdown or comet bounce off
// by one, and fountain motion that rounds instead of truncating.
#include "particles/behaviours2d.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/support.h"

namespace {

using namespace particles;
using support::ScriptedRand;

// One emitter with a single particle bound to entry 1 (velocity (7, 7) to start).
struct One {
  EmiterVec2 velocities[2];
  ParticleData data{};
  Particle particle{&velocities[1], 0, &data};
  Emiter emiter{velocities, 1, 0, 0, 0, 0, &data, &particle, nullptr, nullptr};
  One(int32_t x, int32_t y, EmiterVec2 start) : velocities{start, {7, 7}} {
    emiter.x = x;
    emiter.y = y;
  }
  auto Born() const {
    return std::tuple(particle.deathTime, data.x, data.y, velocities[1].x, velocities[1].y,
                      data.colour);
  }
};

TEST(Behaviours2D, BirthRecipesTakeTheirBitsInOrder) {
  // Emitter at (500, 700), fountain countdown 300, born at now = 1000.
  struct Case {
    ParticleFunc f;
    int life, r;
    std::tuple<uint32_t, int32_t, int32_t, int32_t, int32_t, uint16_t> born;
  };
  const Case cases[] = {
      // Fountain: one draw; life = the countdown; velocity from bits 0-4 and 5-9 mod 21.
      {FontaineParticles, -1, 0, {1300, 500, 700, -10, -10, 0x0000}},
      {FontaineParticles, -1, 0x3FF, {1300, 500, 700, 0, 0, 0x03FF}},
      {FontaineParticles, -1, 20 | (21 << 5), {1300, 500, 700, 10, -10, 20 | (21 << 5)}},
      {FontaineParticles, -1, 0x7FFFFFFF, {1300, 500, 700, 0, 0, 0x03FF}},
      // Fire: life draw, then r; offsets in 16-unit cells from (-240, -240).
      {FeuParticles, 0, 0, {1064, 260, 460, 0, -4, 0xF800}},
      {FeuParticles, 255, 0x7FF, {1319, 756, 1468, 0, -4, 0xFFE0}},
      {FeuParticles, 0x7FFFFFFF, 0x7FFFFFFF, {1319, 756, 1468, 0, -4, 0xFFE0}},
      // Comet: life draw, then r; r's red and blue fields exchanged; velocity kept.
      {CometeParticles, 511, 0, {1575, 500, 700, 7, 7, 0x0000}},
      {CometeParticles, 512, 0x001F, {1064, 624, 700, 7, 7, 0xF800}},
      {CometeParticles, 0, 0xF800, {1064, 500, 700, 7, 7, 0x001F}},
      {CometeParticles, 0x7FFFFFFF, 0x7FFFFFFF, {1575, 624, 952, 7, 7, 0xFFFF}},
  };
  for (const Case& c : cases) {
    One one(500, 700, EmiterVec2{300, 0});
    ScriptedRand script(c.life < 0 ? std::vector<int>{c.r} : std::vector<int>{c.life, c.r});
    c.f(&one.emiter, &one.particle, 1000, 16);
    EXPECT_EQ(one.Born(), c.born) << "life " << c.life << " r " << c.r;
    EXPECT_EQ(script.Drawn(), c.life < 0 ? 1u : 2u);
  }
}

TEST(Behaviours2D, ALifeEndsTheCallAfterItsDeathTimeAndRestartsOneCallLater) {
  // Velocity 8 over dt 4: the fountain moves dt * v / 4, the fire dt * v, the comet not.
  struct Case {
    ParticleFunc f;
    int32_t step;
    size_t draws;
  };
  for (const Case c :
       {Case{FontaineParticles, 8, 1}, Case{FeuParticles, 32, 2}, Case{CometeParticles, 0, 2}}) {
    One one(0, 0, EmiterVec2{300, 0});
    one.velocities[1] = EmiterVec2{8, 0};
    one.particle.deathTime = 100;
    ScriptedRand script({5, 5});
    c.f(&one.emiter, &one.particle, 100, 4);  // deathTime == now: still lives
    EXPECT_EQ(std::tuple(one.data.x, one.particle.deathTime), std::tuple(c.step, 100u));
    c.f(&one.emiter, &one.particle, 101, 4);  // dies, and nothing else changes
    EXPECT_EQ(std::tuple(one.data.x, one.particle.deathTime, script.Drawn()),
              std::tuple(c.step, 0u, 0u));
    c.f(&one.emiter, &one.particle, 102, 4);  // born again on the next call
    EXPECT_NE(one.particle.deathTime, 0u);
    EXPECT_EQ(script.Drawn(), c.draws);
  }
}

TEST(Behaviours2D, FountainJumpsWhenItsCountdownReachesZeroAndMovesInQuarterUnits) {
  struct Jump {
    int32_t countdown;
    int draws[3];
    int32_t after, x, y;
  };
  for (const Jump j : {Jump{17, {}, 1, 500, 700},                  // dt + 1: 1 ms left, no draw
                       Jump{16, {63, 319, 239}, 319, 3190, 2390},  // dt: jumps now
                       Jump{16, {64, 320, 240}, 256, 0, 0}}) {
    One one(500, 700, EmiterVec2{j.countdown, 0});
    ScriptedRand script({j.draws[0], j.draws[1], j.draws[2]});
    FontaineEmiters(&one.emiter, 0, 16);
    EXPECT_EQ(std::tuple(one.velocities[0].x, one.emiter.x, one.emiter.y),
              std::tuple(j.after, j.x, j.y));
    EXPECT_EQ(script.Drawn(), j.countdown == 16 ? 3u : 0u);
  }
  // dt * v / 4 truncates toward zero: -3 moves by 0, -5 by -1.
  struct Move {
    int32_t v;
    unsigned dt;
    int32_t moved;
  };
  for (const Move m :
       {Move{-1, 3, 0}, Move{-1, 4, -1}, Move{-1, 5, -1}, Move{1, 3, 0}, Move{-10, 7, -17}}) {
    One one(0, 0, EmiterVec2{300, 0});
    one.velocities[1] = EmiterVec2{m.v, m.v};
    one.particle.deathTime = 1000;
    FontaineParticles(&one.emiter, &one.particle, 10, m.dt);
    EXPECT_EQ(std::tuple(one.data.x, one.data.y), std::tuple(m.moved, m.moved))
        << m.v << " " << m.dt;
  }
}

TEST(Behaviours2D, CometTurnsOnlyOnceBeyondTheWorld) {
  struct Case {
    int32_t at;
    EmiterVec2 dir;
    int32_t turned;
  };
  for (const Case c : {Case{3199, {1, 1}, 1},               // lands on 3200 / 2400: keeps going
                       Case{3200, {1, 1}, -1},              // 3201 / 2401: turns
                       Case{1, {-1, -1}, -1},               // lands on 0
                       Case{0, {-1, -1}, 1}}) {             // -1
    One one(c.at, c.at > 1000 ? c.at - 800 : c.at, c.dir);  // y: 2399, 2400, 1, 0
    CometeEmiters(&one.emiter, 0, 1);
    EXPECT_EQ(one.emiter.x, c.at + c.dir.x);  // never clamped
    EXPECT_EQ(one.velocities[0].x, c.turned) << c.at;
    EXPECT_EQ(one.velocities[0].y, c.turned) << c.at;
  }
}

}  // namespace
