// Catches a 3D scene or camera that drifts from the recorded raw values: a wrong
// emitter layout, a projection from rounded rather than truncated constants, draws
// taken out of order, a glide parameter that loses its fraction, and a retarget to
// the origin whose following frame crashes instead of drawing nothing.
#include "app/scene3d.h"

#include <gtest/gtest.h>

#include <array>

#include "particles/behaviours3d.h"
#include "particles/pass3d.h"
#include "particles/random.h"

namespace {

using particles::fixed;
using Raw3 = std::array<int32_t, 3>;
constexpr int32_t kOne = 65536;

Raw3 R(const vmath::vec3<fixed>& v) { return {v.x.raw(), v.y.raw(), v.z.raw()}; }
vmath::vec3<fixed> V(int x, int y, int z) { return {fixed(x), fixed(y), fixed(z)}; }

int g_draws[3];
int g_next = 0;
int Scripted() { return g_next < 3 ? g_draws[g_next++] : 0; }
void Script(int x, int y, int z) { g_draws[0] = x, g_draws[1] = y, g_draws[2] = z, g_next = 0; }

class Scene3D : public ::testing::Test {
 protected:
  void SetUp() override {
    pool_ = new particles::Pool3D();
    particles::SetRandSource(&Scripted);
    BuildProjection(camera_);
    StartCamera3D(camera_);
  }
  void TearDown() override {
    particles::SetRandSource(nullptr);
    for (auto& e : pool_->emiters) pool_->ReleaseEmiter(&e);
    delete pool_;
  }
  particles::Pool3D* pool_ = nullptr;
  Camera3D camera_{};
};

TEST_F(Scene3D, TwelveEmittersInTwoRowsFillThePool) {
  particles::Emiter3D* e[12] = {};
  Script(0, 0, 0);
  CreateScene3D(*pool_, e);
  EXPECT_EQ(g_next, 0) << "the scene draws no random numbers";
  EXPECT_EQ(e[8]->position.x.raw(), -kOne);
  EXPECT_EQ(e[9]->position.x.raw(), kOne);
  EXPECT_EQ(e[9]->position.y.raw(), 8 * kOne);
  EXPECT_EQ(e[9]->radius.raw(), 3 * kOne);
  EXPECT_EQ(e[10]->position.y.raw(), -2 * kOne);
  EXPECT_EQ(e[10]->particleFunc, &particles::Feu3DParticles);
  EXPECT_EQ(e[11]->position.z.raw(), 2 * kOne);
  EXPECT_EQ(e[11]->emiterFunc, &particles::Comete3DEmiters);
  EXPECT_EQ(e[11]->particles[0].velocity, &e[11]->velocities[500]);
  EXPECT_EQ(pool_->AllocateEmiter(1), nullptr) << "all 3000 slots are taken";
}

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

TEST_F(Scene3D, GlideParameterIsAnExactFraction) {
  camera_.camFrom = V(2, 4, -6);
  camera_.camTo = V(4, 0, 10);
  UpdateCamera3D(camera_, 2000);  // t = 0.5
  EXPECT_EQ(R(camera_.eye), (Raw3{3 * kOne, 2 * kOne, 2 * kOne}));
  UpdateCamera3D(camera_, 1);  // t = raw 16
  EXPECT_EQ(R(camera_.eye), (Raw3{4 * 65520 + 2 * 16, 4 * 16, 10 * 65520 - 6 * 16}));
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
