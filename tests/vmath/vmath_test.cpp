// Catches sums of products rounded per term or overflowing, a cross product negated in the wrong
// width, and a normalisation or rotation one unit off; maths_fuzz checks the closed forms exactly.
#include "vmath/vmath.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using fixed = fixedpoint::fixed_point<16>;
using vec3 = vmath::vec3<fixed>;
using vec4 = vmath::vec4<fixed>;

constexpr fixed Raw(int32_t r) { return fixed::from_raw(r); }
constexpr fixed kZero = Raw(0);
constexpr fixed kOne = Raw(65536);  // 1.0

TEST(Accumulation, SumsFullProductsAndShiftsOnce) {
  // Two separately rounded products would be 0 + 0: the halves only add up unrounded.
  EXPECT_EQ(vmath::dot2(Raw(1), Raw(1), Raw(32768), Raw(32768)), Raw(1));
  EXPECT_EQ(vmath::dot(vec3{Raw(1), Raw(1), kZero}, vec3{Raw(32768), Raw(32768), kOne}), Raw(1));
  EXPECT_EQ(vmath::dot(vec4{Raw(1), kZero, Raw(1), kZero}, vec4{Raw(32768), kOne, Raw(32768), kOne}), Raw(1));
  // One rounding of the sum toward minus infinity: (-1 + 0.5 ulp) gives -1, not 0.
  EXPECT_EQ(vmath::dot2(Raw(-1), Raw(1), Raw(65536), Raw(32768)), Raw(-1));
  // -32768.0 squared is 2^62 raw: four sum to 2^64, and two already leave the signed 64-bit range;
  // the accumulator wraps with no undefined overflow and keeps bits 16..47 of the exact sum.
  const fixed m = Raw(INT32_MIN);
  EXPECT_EQ(vmath::dot(vec4{m, m, m, m}, vec4{m, m, m, m}), kZero);
  EXPECT_EQ(vmath::dot(vec3{m, m, Raw(-65536)}, vec3{m, m, Raw(65536)}), Raw(-65536));
}

TEST(Cross, AccumulatesWithTheSubtrahendNegatedFirst) {
  EXPECT_EQ(vmath::cross(vec3{kOne, kZero, kZero}, vec3{kZero, kOne, kZero}), (vec3{kZero, kZero, kOne}));
  EXPECT_EQ(vmath::cross(vec3{kZero, kOne, kZero}, vec3{kOne, kZero, kZero}), (vec3{kZero, kZero, -kOne}));
  // a x a cancels exactly (no component is -32768.0); rounded terms 1 * 1 + 1 * -1 would be 0 + -1.
  for (int32_t r : {1, -7, 40000, 123456789, INT32_MAX}) {
    const vec3 a{Raw(r), Raw(r / 3), Raw(-r)};
    EXPECT_EQ(vmath::cross(a, a), vec3{}) << r;
  }
  // -b_y is negated in 32 bits, where -(-32768.0) is itself: raw 1 * -2^31 >> 16 is -32768, not +32768.
  EXPECT_EQ(vmath::cross(vec3{kZero, kZero, Raw(1)}, vec3{kZero, Raw(INT32_MIN), kZero}).x, Raw(-32768));
}

// Rows of a times columns of b, each entry one floor of its exact sum. The matrices share an
// array, so a loop that ran past a row would read the next one's ones and show.
TEST(MatrixProduct, EachEntryIsOneFloorOfItsRowTimesColumn) {
  vmath::mat4<fixed> m[3] = {};
  for (int i = 0; i < 16; ++i) m[0].m[i] = fixed(i + 1), m[1].m[i] = i % 5 ? kZero : Raw(98304), m[2].m[i] = kOne;
  const vmath::mat4<fixed> p = m[0] * m[1];  // m[1] is 1.5 I
  for (int i = 0; i < 16; ++i) EXPECT_EQ(p.m[i], Raw(98304 * (i + 1))) << i;
  m[0].m[0] = Raw(65535), m[1].m[0] = Raw(1);  // 65535 / 2^32 floors to 0, -65535 / 2^32 to -1
  EXPECT_EQ((m[0] * m[1]).m[0], kZero);
  m[1].m[0] = Raw(-1);
  EXPECT_EQ((m[0] * m[1]).m[0], Raw(-1));
}

// 1/sqrt(25.0) is 13106 raw: 3.0 and 4.0 become 39318 and 52424; the vec4 form counts and scales w.
TEST(Normalize, MatchesTheHandValues) {
  EXPECT_EQ(vmath::normalize(vec3{fixed(3), fixed(4), kZero}), (vec3{Raw(39318), Raw(52424), kZero}));
  EXPECT_EQ(vmath::normalize(vec3{kZero, kZero, kOne}), (vec3{kZero, kZero, kOne}));
  EXPECT_EQ(vmath::normalize(vec3{}), vec3{});
  EXPECT_EQ(vmath::normalize(vec4{fixed(3), kZero, kZero, fixed(4)}), (vec4{Raw(39318), kZero, kZero, Raw(52424)}));
  EXPECT_EQ(vmath::normalize(vec4{}), vec4{});
}

TEST(Rotation, FollowsTheFixedGroupingToTheRawUnit) {
  struct Case { int32_t angle, axisZ, m[16]; };
  const Case cases[] = {
      // Cosine of 0 is 65534, not 1.0: a zero turn shrinks x and y slightly.
      {0, 65536, {65534, 0, 0, 0, 0, 65534, 0, 0, 0, 0, 65536, 0, 0, 0, 0, 65536}},
      // A quarter turn: c = 0, s = 65534, so R = O + s K with O = diag(0, 0, 1.0).
      {102943, 65536, {0, -65534, 0, 0, 65534, 0, 0, 0, 0, 0, 65536, 0, 0, 0, 0, 65536}},
      // Axis (0, 0, 2.0) normalises to k_z = 65534: O(2,2) = 65534^2 >> 16 = 65532, c (I - O)(2,2) =
      // 65534 * 4 >> 16 = 3, R(2,2) = 65535; regrouped as O + c I - c O, 65532 + 65534 - 65530 = 65536.
      {0, 2 * 65536, {65534, 0, 0, 0, 0, 65534, 0, 0, 0, 0, 65535, 0, 0, 0, 0, 65536}},
  };
  for (const Case& c : cases) {
    const vmath::mat4<fixed> r = vmath::rotation(Raw(c.angle), vec3{kZero, kZero, Raw(c.axisZ)});
    for (int i = 0; i < 16; ++i) EXPECT_EQ(r.m[i].raw(), c.m[i]) << c.angle << ", " << c.axisZ << ": " << i;
  }
}

}  // namespace
