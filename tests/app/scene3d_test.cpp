// Catches a 3D camera that drifts from the stated raw values (a projection from rounded rather
// than truncated constants, a start elsewhere) and a retarget to the origin whose following
// frame crashes instead of drawing nothing. The golden runs pin the targets and the glide.
#include "app/scene3d.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "particles/pass3d.h"
#include "support/support.h"

namespace {

using particles::fixed;
using Raw3 = std::array<int32_t, 3>;
constexpr int32_t kOne = 65536;

Raw3 R(const vmath::vec3<fixed>& v) { return {v.x.raw(), v.y.raw(), v.z.raw()}; }

struct Scene3D : ::testing::Test {
  Scene3D() {
    BuildProjection(camera);
    StartCamera3D(camera);
  }
  Camera3D camera{};
};

TEST_F(Scene3D, ProjectionHoldsTheTruncatedPerspective) {
  // cot / aspect, cot, -(far + near) / (far - near), -2 near far / (far - near), -1.0
  const int32_t expected[16] = {85133, 0, 0, 0, 0, 113511, 0, 0, 0, 0, -65667, -13119, 0, 0, -kOne, 0};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(camera.projection.m[i].raw(), expected[i]) << i;
}

TEST_F(Scene3D, TheFirstFrameStandsAtTheStart) {
  RetargetCamera3D(camera);  // the first frame's leg: its glide starts where the camera stands
  UpdateCamera3D(camera, 4000);
  EXPECT_EQ(R(camera.eye), (Raw3{94653, 757302, 378651}));
}

// Three draws of 64 aim at the origin; the next glide starts with the eye on the
// look-at centre. That frame draws nothing rather than dividing by w = 0.
TEST_F(Scene3D, RetargetOntoTheOriginGivesAnEmptyFrameNotACrash) {
  auto pool = std::make_unique<particles::Pool3D>();
  particles::Emiter3D* e[kScene3DEmiters] = {};
  CreateScene3D(*pool, e);
  support::ScriptedRand draws({64, 64, 64, 65, 64, 64});  // then out to (25.0, 0, 0)
  RetargetCamera3D(camera);
  RetargetCamera3D(camera);
  UpdateCamera3D(camera, 4000);
  EXPECT_EQ(R(camera.eye), (Raw3{0, 0, 0}));
  particles::Update3DEmiters(*pool, camera.viewProj, 4000, 16);
  EXPECT_EQ(pool->visibleCount, 0u);
  UpdateCamera3D(camera, 3000);  // a quarter out, at x = 6.25: the rows are ahead
  particles::Update3DEmiters(*pool, camera.viewProj, 5000, 16);
  EXPECT_GT(pool->visibleCount, 0u);
  for (particles::Emiter3D* emiter : e) pool->ReleaseEmiter(emiter);
}

}  // namespace
