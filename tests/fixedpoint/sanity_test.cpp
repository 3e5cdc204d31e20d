#include <gtest/gtest.h>
#include "fixedpoint/fixed_point.h"
#include "fixedpoint/trig.h"
#include "vmath/vmath.h"
using fixed = fixedpoint::fixed_point<16>;
TEST(Sanity, Basics) {
  EXPECT_EQ((fixed(0.5f) * fixed(0.5f)).raw(), 16384);
  EXPECT_EQ(fixedpoint::fixinv<16>(3 << 16), 21845);
  EXPECT_EQ(fixedpoint::fixsin16(102943), 65534);
  EXPECT_EQ(fixedpoint::fixsqrt16(262144), 131069);
  vmath::vec3<fixed> v{fixed(3), fixed(4), fixed(0)};
  auto n = vmath::normalize(v);
  EXPECT_EQ(n.x.raw(), 39318);
  EXPECT_EQ(n.y.raw(), 52424);
  auto r = vmath::rotation(fixed(0), vmath::vec3<fixed>{fixed(0), fixed(0), fixed(1)});
  EXPECT_EQ(r.m[0].raw(), 65534);
  EXPECT_EQ(r.m[10].raw(), 65536);
}
