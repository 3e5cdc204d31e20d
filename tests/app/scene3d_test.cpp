// Catches a 3D camera that drifts from the stated raw values: a projection from
// rounded rather than truncated constants, draws taken out of order, and a retarget
// to the origin whose following frame crashes instead of drawing nothing. The golden
// runs pin the scene's layout and the glide between targets.
#include "app/scene3d.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

#include "particles/pass3d.h"
#include "support/support.h"

namespace {

using particles::fixed;
using Raw3 = std::array<int32_t, 3>;
constexpr int32_t kOne = 65536;

Raw3 R(const vmath::vec3<fixed>& v) { return {v.x.raw(), v.y.raw(), v.z.raw()}; }

class Scene3D : public ::testing::Test {
 protected:
  void SetUp() override {
    pool_ = new particles::Pool3D();
    BuildProjection(camera_);
    StartCamera3D(camera_);
  }
  void TearDown() override {
    for (auto& e : pool_->emiters) pool_->ReleaseEmiter(&e);
    delete pool_;
  }
  // Rand() hands out these draws in order (0 once they run out).
  void Script(int x, int y, int z) {
    draws_.reset();
    draws_.emplace(std::vector<int>{x, y, z});
  }
  particles::Pool3D* pool_ = nullptr;
  Camera3D camera_{};
  std::optional<support::ScriptedRand> draws_;
};

TEST_F(Scene3D, ProjectionHoldsTheTruncatedPerspective) {
  int32_t expected[16] = {};
  expected[0] = 85133;    // cot / aspect
  expected[5] = 113511;   // cot
  expected[10] = -65667;  // -(far + near) / (far - near)
  expected[11] = -13119;  // (-2 near far) / (far - near)
  expected[14] = -kOne;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(camera_.projection.m[i].raw(), expected[i]) << i;
}

TEST_F(Scene3D, FirstFrameStandsAtTheStartAndSeesTheOriginCentred) {
  EXPECT_EQ(R(camera_.eye), (Raw3{94653, 757302, 378651}));
  Script(0x7FFFFF40, 64, 65);  // only the low seven bits count: (0, 0, +1) x 25
  RetargetCamera3D(camera_);
  EXPECT_EQ(R(camera_.camTo), (Raw3{0, 0, 25 * kOne}));
  UpdateCamera3D(camera_, 4000);
  EXPECT_EQ(R(camera_.eye), (Raw3{94653, 757302, 378651}));
  const particles::vec4 origin{fixed(0), fixed(0), fixed(0), fixed(1)};
  const particles::vec4 c = camera_.viewProj * origin;
  EXPECT_NEAR(c.x.raw(), 0, 64);
  EXPECT_NEAR(c.y.raw(), 0, 64);
  EXPECT_NEAR(c.w.raw(), 13 * kOne, kOne / 100);  // the eye's distance

  // The next target: x, y, z drawn in that order; y = 60 - 64 = -4, normalised
  // with 1/sqrt(16.0) = 16382.
  Script(64, 60, 64);
  RetargetCamera3D(camera_);
  EXPECT_EQ(R(camera_.camFrom), (Raw3{0, 0, 25 * kOne}));
  EXPECT_EQ(R(camera_.camTo), (Raw3{0, -25 * 4 * 16382, 0}));
}

// Three draws of 64 aim at the origin; the next glide starts with the eye on the
// look-at centre. That frame draws nothing rather than dividing by w = 0.
TEST_F(Scene3D, RetargetOntoTheOriginGivesAnEmptyFrameNotACrash) {
  particles::Emiter3D* e[12] = {};
  CreateScene3D(*pool_, e);
  Script(64, 64, 64);
  RetargetCamera3D(camera_);
  Script(65, 64, 64);  // then out to (25.0, 0, 0)
  RetargetCamera3D(camera_);
  UpdateCamera3D(camera_, 4000);
  EXPECT_EQ(R(camera_.eye), (Raw3{0, 0, 0}));
  particles::Update3DEmiters(*pool_, camera_.viewProj, 4000, 16);
  EXPECT_EQ(pool_->visibleCount, 0u);
  UpdateCamera3D(camera_, 3000);  // a quarter out, at x = 6.25: the rows are ahead
  particles::Update3DEmiters(*pool_, camera_.viewProj, 5000, 16);
  EXPECT_GT(pool_->visibleCount, 0u);
}

}  // namespace
