// Catches a vector projection that differs from the passes' arithmetic anywhere the
// scenes do not go: w <= 0 lanes (left undivided), quotients far off screen or past
// 32 bits (low word kept), a wrapping 64-bit sum, the screen edges, a shaded colour
// overwritten off screen, or particles beyond the last multiple of four touched.
// The expected values are the plain operators of the number types.
#include "particles/project_x86.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#if defined(__x86_64__)

namespace {

using particles::fixed;
using particles::Particle3DData;
using particles::ParticleData;

// Raw values at every magnitude, with the edges of the ranges the tests care about.
int32_t Draw(std::mt19937& gen) {
  static const int32_t kEdges[] = {0, 1, -1, 65536, -65536, 65537, -65537, INT32_MAX, INT32_MIN};
  const uint32_t bits = gen();
  if ((bits & 7) == 0) return kEdges[(bits >> 3) % 9];
  return static_cast<int32_t>(gen()) >> (bits % 31);
}

uint16_t Shaded(uint16_t c, int32_t fade) {
  auto channel = [&](int v) { return v - fade < 0 ? 0 : v - fade; };
  return static_cast<uint16_t>((channel((c >> 11) & 31) << 11) | (channel((c >> 6) & 31) << 6) |
                               channel(c & 31));
}

TEST(ProjectX86, Vector3DMatchesThePlainArithmetic) {
  if (!particles::HaveVectorProjection()) GTEST_SKIP() << "this CPU has no AVX2";
  std::mt19937 gen(20261207);
  int onScreen = 0, behind = 0;
  for (int round = 0; round < 400; ++round) {
    vmath::mat4<fixed> m;
    for (auto& e : m.m) e = fixed::from_raw(Draw(gen));
    std::vector<Particle3DData> data(4 * 17 + 3);  // eights, a four and a tail
    for (auto& d : data) {
      d.position = {fixed::from_raw(Draw(gen)), fixed::from_raw(Draw(gen)), fixed::from_raw(Draw(gen)),
                    fixed::from_raw(Draw(gen))};
      d.colour = static_cast<uint16_t>(gen());
      d.shadedColour = 0xABCD;  // must survive off screen
      d.visible = 7;
    }
    const std::vector<Particle3DData> before = data;
    ASSERT_EQ(particles::Project3DVector(data.data(), static_cast<unsigned>(data.size()), m), 4u * 17);
    for (size_t k = 0; k < data.size(); ++k) {
      const Particle3DData& got = data[k];
      if (k >= 4 * 17) {  // the tail is the scalar loop's
        EXPECT_EQ(got.visible, 7);
        continue;
      }
      vmath::vec4<fixed> clip = m * before[k].position;
      bool visible = false;
      if (clip.w.raw() > 0) {
        clip.x = clip.x / clip.w;
        clip.y = clip.y / clip.w;
        visible = clip.x.raw() >= -65536 && clip.x.raw() <= 65536 && clip.y.raw() >= -65536 &&
                  clip.y.raw() <= 65536;
      }
      ASSERT_EQ(got.clip, clip) << "round " << round << " particle " << k;
      onScreen += visible ? 1 : 0;
      behind += clip.w.raw() <= 0 ? 1 : 0;
      ASSERT_EQ(got.visible, visible ? 1 : 0) << "round " << round << " particle " << k;
      ASSERT_EQ(got.shadedColour, visible ? Shaded(before[k].colour, clip.w.raw() / 70000) : 0xABCD);
    }
  }
  EXPECT_GT(onScreen, 100);  // both outcomes well covered
  EXPECT_GT(behind, 1000);
}

TEST(ProjectX86, Vector2DMatchesThePlainArithmetic) {
  if (!particles::HaveVectorProjection()) GTEST_SKIP() << "this CPU has no AVX2";
  std::mt19937 gen(7);
  int onScreen = 0;
  for (int round = 0; round < 2000; ++round) {
    const int32_t cx = Draw(gen), cy = Draw(gen);
    int32_t zoom = Draw(gen);
    if (zoom <= 0) zoom = round % 3 == 0 ? 1 : 327680;  // the pass's zoom is positive
    std::vector<ParticleData> data(4 * 8 + 2);
    for (auto& d : data) {
      // Near the camera mostly, so that a good share lands on screen.
      auto near = [&](int32_t centre, uint32_t span) {  // wrapping, as world positions do
        return static_cast<int32_t>(static_cast<uint32_t>(centre) + gen() % span - span / 2);
      };
      d.x = (gen() & 1) != 0 ? Draw(gen) : near(cx, 4000);
      d.y = (gen() & 1) != 0 ? Draw(gen) : near(cy, 3000);
      d.visible = 7;
    }
    ASSERT_EQ(particles::Project2DVector(data.data(), static_cast<unsigned>(data.size()), cx, cy, zoom), 32u);
    for (size_t k = 0; k < data.size(); ++k) {
      if (k >= 32) {
        EXPECT_EQ(data[k].visible, 7);
        continue;
      }
      auto project = [&](int32_t world, int32_t centre, int32_t mid) {
        const auto offset = static_cast<int32_t>(static_cast<uint32_t>(world) - static_cast<uint32_t>(centre));
        const auto shifted = static_cast<int32_t>(static_cast<uint32_t>(offset) << 16);
        return static_cast<int32_t>(static_cast<uint32_t>(int64_t{shifted} / zoom) + static_cast<uint32_t>(mid));
      };
      const int32_t sx = project(data[k].x, cx, 160), sy = project(data[k].y, cy, 120);
      ASSERT_EQ(data[k].screenX, sx) << "round " << round;
      ASSERT_EQ(data[k].screenY, sy) << "round " << round;
      const bool visible = sx >= 1 && sx <= 318 && sy >= 1 && sy <= 238;
      ASSERT_EQ(data[k].visible, visible ? 1 : 0);
      onScreen += visible ? 1 : 0;
    }
  }
  EXPECT_GT(onScreen, 1000);
}

}  // namespace

#endif  // __x86_64__
