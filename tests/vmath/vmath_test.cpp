// Catches sums of products rounded term by term instead of once, wrong operand order
// in products, a cross product or rotation built in another grouping, and a
// normalisation that loses exactness on the values the camera and comet rely on.
#include "vmath/vmath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>

#include "tests/fixedpoint/print.h"

namespace {

using fixed = fixedpoint::fixed_point<16>;
using vec3 = vmath::vec3<fixed>;
using vec4 = vmath::vec4<fixed>;
using mat3 = vmath::mat3<fixed>;
using mat4 = vmath::mat4<fixed>;

fixed Raw(int32_t r) { return fixed::from_raw(r); }
vec3 V3(int32_t x, int32_t y, int32_t z) { return vec3{Raw(x), Raw(y), Raw(z)}; }
vec4 V4(int32_t x, int32_t y, int32_t z, int32_t w) { return vec4{Raw(x), Raw(y), Raw(z), Raw(w)}; }
constexpr int32_t kOne = 65536;

::testing::AssertionResult SameRaw(const vec4& a, const vec4& b) {
  for (int i = 0; i < 4; ++i) {
    if (a[i] != b[i]) {
      return ::testing::AssertionFailure() << "component " << i << ": raw " << a[i].raw()
                                           << " vs " << b[i].raw();
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(Layout, TypesAreExactlyTheirElements) {
  static_assert(sizeof(vec4) == 16 && sizeof(vec3) == 12 && sizeof(mat4) == 64 && sizeof(mat3) == 36);
  static_assert(std::is_trivially_copyable_v<vec4> && std::is_standard_layout_v<vec4>);
  static_assert(std::is_aggregate_v<vec4> && std::is_aggregate_v<mat4>);
}

TEST(Accumulation, SumsFullProductsAndShiftsOnce) {
  EXPECT_EQ(vmath::dot2(Raw(1), Raw(1), Raw(32768), Raw(32768)).raw(), 1)
      << "two separately rounded products would give 0";
  EXPECT_EQ(vmath::dot(V3(1, 1, 0), V3(32768, 32768, 5)).raw(), 1);
  EXPECT_EQ(vmath::dot(V4(1, 1, 1, 1), V4(16384, 16384, 16384, 16384)).raw(), 1);
  EXPECT_EQ(vmath::dot(V4(-1, 0, 0, 0), V4(1, 0, 0, 0)).raw(), -1);
  // Four products of 2^62 wrap the 64-bit accumulator, as the hardware's does.
  const int32_t m = INT32_MIN;
  EXPECT_EQ(vmath::dot(V4(m, m, m, m), V4(m, m, m, m)).raw(), 0);
}

TEST(Products, IdentityLeavesVectorsAndMatricesExactlyAsTheyAre) {
  const mat4 id = vmath::identity4<fixed>();
  const vec4 v = V4(123456789, -987654321, 1, INT32_MIN);
  EXPECT_TRUE(SameRaw(id * v, v));
  mat4 a;
  for (int i = 0; i < 16; ++i) a.m[i] = Raw(i * 1234567 - 7654321);
  const mat4 p = a * id, q = id * a;
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(p.m[i], a.m[i]) << i;
    EXPECT_EQ(q.m[i], a.m[i]) << i;
  }
}

TEST(Products, RowsMeetColumnsSoProductsAssociateWithVectors) {
  mat4 a, b;
  for (int i = 0; i < 16; ++i) {
    a.m[i] = Raw((i % 5) * kOne - 2 * kOne);  // small integers: every product exact
    b.m[i] = Raw(((i * 7) % 3) * kOne - kOne);
  }
  const vec4 v = V4(2 * kOne, -3 * kOne, kOne, 5 * kOne);
  EXPECT_TRUE(SameRaw((a * b) * v, a * (b * v)));
  // Element (0, 1) of a x b is row 0 of a with column 1 of b.
  int64_t expected = 0;
  for (int k = 0; k < 4; ++k) expected += int64_t(a.m[k].raw()) * b.m[4 * k + 1].raw();
  EXPECT_EQ((a * b).m[1].raw(), static_cast<int32_t>(expected >> 16));
}

TEST(Cross, BasisAndParallelVectors) {
  const vec3 x = V3(kOne, 0, 0), y = V3(0, kOne, 0);
  const vec3 z = vmath::cross(x, y);
  EXPECT_EQ(z.x.raw(), 0);
  EXPECT_EQ(z.y.raw(), 0);
  EXPECT_EQ(z.z.raw(), kOne);
  const vec3 minusZ = vmath::cross(y, x);
  EXPECT_EQ(minusZ.z.raw(), -kOne);
  const vec3 a = V3(12345, -67890, 1 << 20);
  const vec3 zero = vmath::cross(a, a);
  EXPECT_EQ(zero.x.raw(), 0);
  EXPECT_EQ(zero.y.raw(), 0);
  EXPECT_EQ(zero.z.raw(), 0);
}

TEST(Normalize, StatedResultsIncludingTheZeroVectorAndW) {
  const vec3 n = vmath::normalize(V3(3 * kOne, 4 * kOne, 0));
  EXPECT_EQ(n.x.raw(), 39318);
  EXPECT_EQ(n.y.raw(), 52424);
  EXPECT_EQ(n.z.raw(), 0);
  const vec3 up = vmath::normalize(V3(0, 0, kOne));
  EXPECT_EQ(up.z.raw(), kOne);
  const vec3 zero = vmath::normalize(V3(0, 0, 0));
  EXPECT_EQ(zero.x.raw(), 0);
  EXPECT_EQ(zero.y.raw(), 0);
  EXPECT_EQ(zero.z.raw(), 0);
  // The camera's start direction: (0.125, 1.0, 0.5) has length exactly 1.125.
  const vec3 eye = vmath::normalize(V3(8192, kOne, 32768));
  EXPECT_EQ(eye.x.raw(), 7281);
  EXPECT_EQ(eye.y.raw(), 58254);
  EXPECT_EQ(eye.z.raw(), 29127);
  // The vec4 form counts w in the length and scales it: (1, 0, 0, 1) / sqrt 2.
  const vec4 n4 = vmath::normalize(V4(kOne, 0, 0, kOne));
  EXPECT_EQ(n4.x.raw(), 46341);
  EXPECT_EQ(n4.w.raw(), 46341);
}

TEST(Rotation, ByZeroAboutZShrinksXAndYByTheCosinePeak) {
  const mat4 r = vmath::rotation(Raw(0), V3(0, 0, kOne));
  const int32_t expected[16] = {65534, 0, 0, 0, 0, 65534, 0, 0, 0, 0, kOne, 0, 0, 0, 0, kOne};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(r.m[i].raw(), expected[i]) << "element " << i;
}

TEST(Rotation, AboutZEqualsThePlainRotationMatrix) {
  for (int32_t angle : {1310 * 3, 102943, -5000, 300000}) {
    const mat4 r = vmath::rotation(Raw(angle), V3(0, 0, kOne));
    const int32_t c = fixedpoint::fixcos16(angle), s = fixedpoint::fixsin16(angle);
    const int32_t expected[16] = {c, -s, 0, 0, s, c, 0, 0, 0, 0, kOne, 0, 0, 0, 0, kOne};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(r.m[i].raw(), expected[i]) << angle << " element " << i;
  }
}

TEST(Rotation, AboutAGeneralAxisFollowsTheGrouping) {
  // About x by a quarter turn: y goes to z (the table's peak is 65534). With a
  // unit axis every product of the sum is exact.
  const mat4 r = vmath::rotation(Raw(102943), V3(kOne, 0, 0));
  const vec4 v = r * V4(0, kOne, 0, kOne);
  EXPECT_EQ(v.x.raw(), 0);
  EXPECT_EQ(v.y.raw(), 0);
  EXPECT_EQ(v.z.raw(), 65534);
  EXPECT_EQ(v.w.raw(), kOne);
}

TEST(ComponentWise, ScalarOnEitherSideAndMatrixFromMat3) {
  mat3 a;
  for (int i = 0; i < 9; ++i) a.m[i] = Raw(i * 40000 - 100000);
  const fixed s = Raw(-98765);
  const mat3 l = s * a, r = a * s;
  for (int i = 0; i < 9; ++i) EXPECT_EQ(l.m[i], r.m[i]) << i;
  const mat4 m = vmath::to_mat4(a);
  EXPECT_EQ(m.m[5], a.m[4]);
  EXPECT_EQ(m.m[10], a.m[8]);
  EXPECT_EQ(m.m[3].raw(), 0);
  EXPECT_EQ(m.m[12].raw(), 0);
  EXPECT_EQ(m.m[15].raw(), kOne);
  const vec4 d = V4(INT32_MAX, 1, -1, 0) + V4(1, 1, 1, 1);
  EXPECT_EQ(d.x.raw(), INT32_MIN) << "sums wrap";
  const mat3 o = vmath::outer(V3(kOne, 2 * kOne, -kOne), V3(3 * kOne, kOne / 2, kOne));
  EXPECT_EQ(o.m[1].raw(), kOne / 2);
  EXPECT_EQ(o.m[3].raw(), 6 * kOne);
  EXPECT_EQ(o.m[8].raw(), -kOne);
}

}  // namespace
