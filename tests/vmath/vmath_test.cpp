// Catches sums of products rounded term by term instead of once, a 64-bit
// accumulator that overflows, transposed rows and columns, and a rotation whose
// grouping differs from (O + c (I - O)) + s K by even one raw unit.
#include "vmath/vmath.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/print.h"

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

TEST(MatrixProducts, RowsMeetColumnsAndIdentityIsExact) {
  const mat4 id = vmath::identity4<fixed>();
  const mat4 a = Mat4FromRaw({1, -2, 3, INT32_MAX, INT32_MIN, 5, 6, 7, 8, 9, -10, 11, 12, 13, 14, -15});
  EXPECT_EQ(a * id, a);
  EXPECT_EQ(id * a, a);
  for (int32_t r : {0, 1, -1, 65536, 12345678, INT32_MAX, INT32_MIN}) {
    const vec4 v{Raw(r), Raw(fixedpoint::neg32(r)), Raw(r / 7), Raw(~r)};
    EXPECT_EQ(id * v, v) << r;
  }
  // Scale x by 2 after, or before, a translation by 1.0 in x: the left operand
  // acts last, so (scale * translate) takes the origin to x = 2.0.
  mat4 scale = id, translate = id;
  scale.m[0] = fixed(2);
  translate.m[3] = kOne;  // row 0, column 3
  const vec4 origin{kZero, kZero, kZero, kOne};
  EXPECT_EQ((scale * translate) * origin, (vec4{fixed(2), kZero, kZero, kOne}));
  EXPECT_EQ((translate * scale) * origin, (vec4{kOne, kZero, kZero, kOne}));
  EXPECT_EQ((scale * translate) * origin, scale * (translate * origin));
  // Each output element is one exact accumulation.
  mat4 halves{};
  halves.m[4 * 2 + 0] = Raw(1);
  halves.m[4 * 2 + 1] = Raw(1);
  EXPECT_EQ((halves * vec4{Raw(32768), Raw(32768), kOne, kOne}).z, Raw(1));
  mat4 column{};
  column.m[4 * 0 + 1] = Raw(32768);
  column.m[4 * 1 + 1] = Raw(32768);
  EXPECT_EQ((halves * column).m[4 * 2 + 1], Raw(1));
}

TEST(ComponentWise, WrapsAndScalesOnEitherSide) {
  const vec3 big{Raw(INT32_MAX), Raw(INT32_MIN), Raw(5)};
  EXPECT_EQ(big + (vec3{Raw(1), Raw(-1), Raw(2)}), (vec3{Raw(INT32_MIN), Raw(INT32_MAX), Raw(7)}));
  EXPECT_EQ(big - (vec3{Raw(-1), Raw(1), Raw(5)}), (vec3{Raw(INT32_MIN), Raw(INT32_MAX), kZero}));
  EXPECT_EQ(-big, (vec3{Raw(-INT32_MAX), Raw(INT32_MIN), Raw(-5)}));
  // One rounded product per element: raw 1 * -0.5 rounds down to -1.
  EXPECT_EQ((vec4{Raw(1), Raw(2), Raw(3), kOne}) * Raw(-32768), (vec4{Raw(-1), Raw(-1), Raw(-2), Raw(-32768)}));
  mat3 m{};
  for (int i = 0; i < 9; ++i) m.m[i] = Raw((i - 4) * 40503);
  const fixed s = Raw(-98765);
  EXPECT_EQ(s * m, m * s);
  EXPECT_EQ((s * m).m[0], Raw(static_cast<int32_t>((-4LL * 40503 * -98765) >> 16)));
  EXPECT_EQ((m + m) - m, m);
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

TEST(Assembly, IdentitiesBlockCopyAndOuterProduct) {
  const vec3 a{fixed(2), Raw(-1), Raw(3 * 65536 + 1)}, b{Raw(1), fixed(5), Raw(-32768)};
  const mat3 o = vmath::outer(a, b);
  // Element (i, j) is a_i * b_j with its own rounding: 2.0 * raw 1 = raw 2, raw -1 * raw 1 = -1.
  const int32_t expected[9] = {2, 10 * 65536, -65536, -1, -5, 0, 3, 15 * 65536 + 5, -(3 * 32768 + 1)};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(o.m[i], Raw(expected[i])) << "element " << i;

  const mat4 m = vmath::to_mat4(o);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      const fixed want = (r < 3 && c < 3) ? o.m[3 * r + c] : (r == c ? kOne : kZero);
      EXPECT_EQ(m.m[4 * r + c], want) << "row " << r << " column " << c;
    }
  }
  EXPECT_EQ(vmath::to_mat4(vmath::identity3<fixed>()), vmath::identity4<fixed>());
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
