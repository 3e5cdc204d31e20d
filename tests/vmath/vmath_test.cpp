// Catches sums of products rounded term by term instead of once, a 64-bit
// accumulator that overflows, a cross product negated in the wrong width, and a
// normalisation or rotation that differs from the stated raw values by one unit. The
// maths fuzz target checks every closed-form operation against 128-bit integers.
#include "vmath/vmath.h"

#include <gtest/gtest.h>

#include <cstdint>


namespace {

using fixed = fixedpoint::fixed_point<16>;
using vec3 = vmath::vec3<fixed>;
using vec4 = vmath::vec4<fixed>;
using mat3 = vmath::mat3<fixed>;
using mat4 = vmath::mat4<fixed>;

constexpr fixed Raw(int32_t r) { return fixed::from_raw(r); }
constexpr fixed kZero = Raw(0);
constexpr fixed kOne = Raw(65536);  // 1.0

mat4 Mat4FromRaw(const int32_t (&raw)[16]) {
  mat4 m{};
  for (int i = 0; i < 16; ++i) m.m[i] = Raw(raw[i]);
  return m;
}

TEST(Accumulation, SumsFullProductsAndShiftsOnce) {
  // Two separately rounded products would be 0 + 0: the halves only add up unrounded.
  EXPECT_EQ(vmath::dot2(Raw(1), Raw(1), Raw(32768), Raw(32768)), Raw(1));
  EXPECT_EQ(vmath::dot(vec3{Raw(1), Raw(1), kZero}, vec3{Raw(32768), Raw(32768), kOne}), Raw(1));
  EXPECT_EQ(vmath::dot(vec4{Raw(1), kZero, Raw(1), kZero}, vec4{Raw(32768), kOne, Raw(32768), kOne}), Raw(1));
  // One rounding of the sum toward minus infinity: (-1 + 0.5 ulp) gives -1, not 0.
  EXPECT_EQ(vmath::dot2(Raw(-1), Raw(1), Raw(65536), Raw(32768)), Raw(-1));
  // Four products of -32768.0 squared sum to 2^64: the accumulator wraps (no
  // undefined overflow) and bits 16..47 of the exact sum, all zero, remain.
  const fixed m = Raw(INT32_MIN);
  EXPECT_EQ(vmath::dot(vec4{m, m, m, m}, vec4{m, m, m, m}), kZero);
  // Three of them: 3 * 2^62 >> 16 = 3 * 2^46, low 32 bits 0; and 2^62 + 2^62 - 2^46.
  EXPECT_EQ(vmath::dot(vec3{m, m, Raw(-65536)}, vec3{m, m, Raw(65536)}), Raw(-65536));
}

TEST(Cross, AccumulatesWithTheSubtrahendNegatedFirst) {
  EXPECT_EQ(vmath::cross(vec3{kOne, kZero, kZero}, vec3{kZero, kOne, kZero}), (vec3{kZero, kZero, kOne}));
  EXPECT_EQ(vmath::cross(vec3{kZero, kOne, kZero}, vec3{kOne, kZero, kZero}), (vec3{kZero, kZero, -kOne}));
  // a x a cancels exactly (unless a component is -32768.0, whose negation wraps);
  // with rounded terms 1 * 1 and 1 * -1 would give 0 + -1.
  for (int32_t r : {1, -7, 40000, 123456789, INT32_MAX}) {
    const vec3 a{Raw(r), Raw(r / 3), Raw(-r)};
    EXPECT_EQ(vmath::cross(a, a), (vec3{kZero, kZero, kZero})) << r;
  }
  // The factor -b_y is negated in 32 bits, where -(-32768.0) is itself: the term is
  // raw 1 * -2^31, shifted -32768, not the +32768 of a 64-bit subtraction.
  EXPECT_EQ(vmath::cross(vec3{kZero, kZero, Raw(1)}, vec3{kZero, Raw(INT32_MIN), kZero}).x, Raw(-32768));
}

TEST(Normalize, MatchesTheHandValues) {
  // 1/sqrt(25.0) is 13106 raw, so 3.0 and 4.0 become 39318 and 52424.
  EXPECT_EQ(vmath::normalize(vec3{fixed(3), fixed(4), kZero}), (vec3{Raw(39318), Raw(52424), kZero}));
  EXPECT_EQ(vmath::normalize(vec3{kZero, kZero, kOne}), (vec3{kZero, kZero, kOne}));
  EXPECT_EQ(vmath::normalize(vec3{kZero, kZero, kZero}), (vec3{kZero, kZero, kZero}));
  // The four-component form counts w in the length and scales it.
  EXPECT_EQ(vmath::normalize(vec4{fixed(3), kZero, kZero, fixed(4)}), (vec4{Raw(39318), kZero, kZero, Raw(52424)}));
  EXPECT_EQ(vmath::normalize(vec4{kZero, kZero, kZero, kZero}), (vec4{kZero, kZero, kZero, kZero}));
}

TEST(Rotation, FollowsTheFixedGroupingToTheRawUnit) {
  const vec3 z{kZero, kZero, kOne};
  // Cosine of 0 is 65534, not 1.0: a zero turn shrinks x and y slightly.
  EXPECT_EQ(vmath::rotation(kZero, z),
            Mat4FromRaw({65534, 0, 0, 0, 0, 65534, 0, 0, 0, 0, 65536, 0, 0, 0, 0, 65536}));
  // A quarter turn: c = 0, s = 65534, so R = O + s K with O = diag(0, 0, 1.0).
  EXPECT_EQ(vmath::rotation(Raw(102943), z),
            Mat4FromRaw({0, -65534, 0, 0, 65534, 0, 0, 0, 0, 0, 65536, 0, 0, 0, 0, 65536}));
  // Axis (0, 0, 2.0) normalises to k_z = 65534, so O(2,2) = 65534^2 >> 16 = 65532,
  // (I - O)(2,2) = 4, c * 4 = 65534 * 4 >> 16 = 3, and R(2,2) = 65535. Regrouped as
  // O + c I - c O it would be 65532 + 65534 - 65530 = 65536.
  const mat4 r = vmath::rotation(kZero, vec3{kZero, kZero, fixed(2)});
  EXPECT_EQ(r.m[4 * 2 + 2], Raw(65535));
  EXPECT_EQ(r.m[0], Raw(65534));
  EXPECT_EQ(r.m[4 * 0 + 1], kZero);
}

}  // namespace
