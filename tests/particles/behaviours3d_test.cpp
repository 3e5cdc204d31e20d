// Catches 3D behaviours that bind velocities to the wrong particles, misread the bit
// fields of the birth draw, break the life rule or drift from the raw values the
// capture records (gravity, the 0.3 spread, the birth cells, the comet's turn).
#include "particles/behaviours3d.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "support/support.h"

namespace {

using particles::fixed;
using particles::vec4;
using Raw4 = std::array<int32_t, 4>;
constexpr int32_t kOne = 65536;

Raw4 R(const vec4& v) { return {v.x.raw(), v.y.raw(), v.z.raw(), v.w.raw()}; }
vec4 V(Raw4 r) {
  return {fixed::from_raw(r[0]), fixed::from_raw(r[1]), fixed::from_raw(r[2]), fixed::from_raw(r[3])};
}
constexpr int Bits(int b0, int b1, int b2) { return b0 | (b1 << 5) | (b2 << 10); }

// A three-particle emitter at (1.0, 2.0, 3.0, 1.0), laid out as a pool lays it out.
class Behaviours3D : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int k = 0; k < 3; ++k) particles_[k] = particles::Particle3D{nullptr, 0, &data_[k]};
    emiter_.count = 3;
    emiter_.particles = particles_;
    emiter_.data = data_;
    emiter_.position = V({kOne, 2 * kOne, 3 * kOne, kOne});
  }
  void TearDown() override { delete[] emiter_.velocities; }
  // Rand() hands out these draws in order (0 once they run out).
  void Script(int a, int b = 0) {
    draws_.reset();
    draws_.emplace(std::vector<int>{a, b});
  }
  static size_t Drawn() { return support::ScriptedRand::Drawn(); }

  std::optional<support::ScriptedRand> draws_;

  particles::Emiter3D emiter_{};
  particles::Particle3D particles_[3];
  particles::Particle3DData data_[3]{};
};

TEST_F(Behaviours3D, InitialisersBindParticlesFromTheLastEntryDown) {
  for (auto init : {&particles::Fontaine3DParticlesInit, &particles::Feu3DParticlesInit,
                    &particles::Comete3DParticlesInit}) {
    delete[] emiter_.velocities;
    init(&emiter_);
    EXPECT_EQ(R(emiter_.velocities[0]), (Raw4{kOne, 0, 0, kOne}));
    EXPECT_EQ(particles_[0].velocity, &emiter_.velocities[3]);
    EXPECT_EQ(particles_[2].velocity, &emiter_.velocities[1]);
  }
}

TEST_F(Behaviours3D, FountainBirthFieldsThenOneStepThenDeath) {
  particles::Fontaine3DParticlesInit(&emiter_);
  particles::Particle3D& p = particles_[0];
  Script(300, 0);  // life 300 % 256 + 64 = 108 ms, then r = 0
  particles::Fontaine3DParticles(&emiter_, &p, 1000, fixed::from_raw(1310));
  EXPECT_EQ(p.deathTime, 1108u);
  EXPECT_EQ(R(*p.velocity), (Raw4{-15 * kOne, -15 * kOne, 31 * kOne, 0}));
  EXPECT_EQ(R(data_[0].position), R(emiter_.position));
  EXPECT_EQ(data_[0].colour, 0x00FF);

  // On its last millisecond it moves: z 24.0 - 1310 x 150 = 1376364, position z
  // + 1376364 x 1310 >> 16; sideways at h = 1310 x 19660 >> 16 = 392.
  *p.velocity = V({16 * kOne, -kOne, 24 * kOne, 0});
  data_[0].position = V({0, 0, 0, kOne});
  particles::Fontaine3DParticles(&emiter_, &p, 1108, fixed::from_raw(1310));
  EXPECT_EQ(R(*p.velocity), (Raw4{16 * kOne, -kOne, 1376364, 0}));
  EXPECT_EQ(R(data_[0].position), (Raw4{16 * 392, -392, 27512, kOne}));
  // A millisecond later it dies without moving or drawing.
  particles::Fontaine3DParticles(&emiter_, &p, 1109, fixed::from_raw(1310));
  EXPECT_EQ(p.deathTime, 0u);
  EXPECT_EQ(R(data_[0].position), (Raw4{16 * 392, -392, 27512, kOne}));
  EXPECT_EQ(Drawn(), 2u);

  Script(0, Bits(31, 31, 7));  // b0 = b1 = 31, q = 7: (16, 16, 24), green (2 x 7) | 7
  particles::Fontaine3DParticles(&emiter_, &particles_[1], 0, fixed::from_raw(0));
  EXPECT_EQ(R(*particles_[1].velocity), (Raw4{16 * kOne, 16 * kOne, 24 * kOne, 0}));
  EXPECT_EQ(data_[1].colour, 0x01FF);
}

TEST_F(Behaviours3D, FireBirthCubeColourAndRise) {
  particles::Feu3DParticlesInit(&emiter_);
  Script(0, 0);
  particles::Feu3DParticles(&emiter_, &particles_[0], 0, fixed::from_raw(0));
  EXPECT_EQ(R(data_[0].position), (Raw4{kOne - 49140, 2 * kOne - 49140, 3 * kOne - 49140, kOne}));
  EXPECT_EQ(data_[0].colour, 0xF800);

  Script(0, Bits(16, 0, 31));  // offsets (b - 15) x 3276 per axis; b2 sets green too
  particles::Feu3DParticles(&emiter_, &particles_[1], 0, fixed::from_raw(0));
  EXPECT_EQ(data_[1].colour, 0xFFC0);
  particles::Feu3DParticles(&emiter_, &particles_[1], 10, fixed::from_raw(1310));
  // Risen by 16.0 x 1310 >> 16 = 20960.
  EXPECT_EQ(R(data_[1].position), (Raw4{kOne + 3276, 2 * kOne - 49140, 3 * kOne + 52416 + 20960, kOne}));
}

TEST_F(Behaviours3D, CometParticleIsBornBesideTheHeadAndStaysPut) {
  particles::Comete3DParticlesInit(&emiter_);
  Script(0, 0);
  particles::Comete3DParticles(&emiter_, &particles_[0], 0, fixed::from_raw(1310));
  EXPECT_EQ(data_[0].colour, 0);
  for (unsigned now = 1; now <= particles_[0].deathTime; now += 9) {
    particles::Comete3DParticles(&emiter_, &particles_[0], now, fixed::from_raw(1310));
    EXPECT_EQ(R(data_[0].position), R(emiter_.position));
  }
  Script(0, Bits(1, 2, 3));  // blue b0, green 2 x b1, red b2; offsets b x 1966
  particles::Comete3DParticles(&emiter_, &particles_[1], 0, fixed::from_raw(0));
  EXPECT_EQ(data_[1].colour, 0x1881);
  EXPECT_EQ(R(data_[1].position), (Raw4{kOne + 1966, 2 * kOne + 3932, 3 * kOne + 5898, kOne}));
}

TEST_F(Behaviours3D, CometHeadTurnsItsDirectionAndLetsWDrift) {
  particles::Comete3DParticlesInit(&emiter_);
  // dt = 0: no step; the rotation by 0 shrinks x to 65534 and the normalisation
  // counts w, so (1, 0, 0, 1) becomes (3 x 46338, 0, 0, 46340).
  Script(5);
  particles::Comete3DEmiters(&emiter_, 0, fixed::from_raw(0));
  EXPECT_EQ(R(emiter_.position), (Raw4{kOne, 2 * kOne, 3 * kOne, kOne}));
  EXPECT_EQ(R(emiter_.velocities[0]), (Raw4{139014, 0, 0, 46340}));

  // 20 ms with m = 2 % 6 + 1 = 3: three steps of 1310 on x and w.
  emiter_.velocities[0] = V({kOne, 0, 0, kOne});
  Script(2);
  particles::Comete3DEmiters(&emiter_, 0, fixed::from_raw(1310));
  EXPECT_EQ(R(emiter_.position), (Raw4{kOne + 3930, 2 * kOne, 3 * kOne, kOne + 3930}));
  EXPECT_EQ(R(emiter_.velocities[0]), (Raw4{138765, 8319, 0, 46340}));
  EXPECT_EQ(Drawn(), 1u);
}

}  // namespace
