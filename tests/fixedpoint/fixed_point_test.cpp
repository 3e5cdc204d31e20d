// Catches products, quotients, conversions and reciprocals that round, saturate or
// widen differently from the raw rules the 3D scene depends on.
#include "fixedpoint/fixed_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>

namespace {

using namespace fixedpoint;

constexpr fixed Raw(int32_t r) { return fixed::from_raw(r); }

// Each row through the operator and the raw function the passes call. A tiny negative product is
// -1 raw, not 0; bits above 47 are lost; 2^47 / -1 keeps its low 32 bits; 16 / 1000 is a 16 ms frame.
TEST(FixedPoint, ProductsFloorAndQuotientsTruncateTowardZeroKeepingTheLow32Bits) {
  constexpr int32_t kOne = 65536;  // 1.0
  struct Case { int32_t a, b, result; };
  for (const Case c : {Case{32768, 32768, 16384}, {3 * kOne, 7 * kOne, 21 * kOne}, {-3 * kOne, 32768, -98304},
                       {-1, 1, -1}, {256 * kOne, 256 * kOne, 0}, {INT32_MIN, INT32_MIN, 0}}) {
    EXPECT_EQ((Raw(c.a) * Raw(c.b)).raw(), c.result) << c.a << " * " << c.b;
    EXPECT_EQ(fixmul16(c.a, c.b), c.result) << c.a << " * " << c.b;
    EXPECT_EQ(fixmuladd16(INT32_MAX, c.a, c.b), add32(INT32_MAX, c.result)) << "the sum wraps";
  }
  for (const Case c : {Case{kOne, 3 * kOne, 21845}, {-kOne, 3 * kOne, -21845}, {INT32_MIN, -1, 0},
                       {60 * kOne, 2 * kOne, 30 * kOne}, {1, INT32_MAX, 0}, {16 * kOne, 1000 * kOne, 1048}}) {
    EXPECT_EQ((Raw(c.a) / Raw(c.b)).raw(), c.result) << c.a << " / " << c.b;
    EXPECT_EQ(fixdiv16(c.a, c.b), c.result) << c.a << " / " << c.b;
  }
  static_assert((fixed(2) * fixed(0.25f)).raw() == 32768, "products fold at compile time");
}

TEST(FixedPoint, IntegersShiftWithinThirtyTwoBitsAndSumsWrap) {
  EXPECT_EQ(fixed(32767).raw(), 32767 * 65536);
  EXPECT_EQ(fixed(32768).raw(), INT32_MIN) << "32768 wraps to -32768.0";
  EXPECT_EQ(fixed(-1).raw(), -65536);
  EXPECT_EQ(fixed(-0.5f).to_int(), -1) << "to integer rounds toward minus infinity";
  EXPECT_EQ(fixed(1.75f).to_int(), 1);
  EXPECT_EQ((fixed(1) + Raw(INT32_MAX)).raw(), INT32_MIN + 65535);
  EXPECT_EQ((-Raw(INT32_MIN)).raw(), INT32_MIN);
  EXPECT_EQ((Raw(INT32_MIN) - Raw(1)).raw(), INT32_MAX);
  EXPECT_EQ((((fixed(2) -= fixed(3)) *= fixed(4)) /= fixed(8)).raw(), -32768) << "the compound forms";
}

// Past 32767.99 and below -32768.0, and for NaN, converting to int would be undefined: they saturate.
TEST(FixedPoint, DecimalConstantsTruncateInSinglePrecisionAndSaturateOutsideTheRange) {
  struct Case { float f; int raw; };
  for (const Case c : {Case{6.2831855f, 411774}, {0.15915494f, 10430}, {0.017453292f, 1143}, {0.03f, 1966},
                       {0.05f, 3276}, {0.1f, 6553}, {0.3f, 19660}, {1.3333334f, 87381}, {100.0f, 6553600},
                       {-0.3f, -19660}, {1e-9f, 0}, {32767.99f, 2147483008}, {32768.0f, INT32_MAX},
                       {-32768.0f, INT32_MIN}, {-40000.0f, INT32_MIN}, {HUGE_VALF, INT32_MAX}, {NAN, 0}}) {
    EXPECT_EQ(float2fix<16>(c.f), c.raw) << c.f;
  }
  static_assert(float2fix<16>(0.3f) == 19660, "constants fold at compile time");
  EXPECT_EQ(std::pair(FIX16_2PI, FIX16_R2PI), std::pair(411774, 10430)) << "the angle constants";
}

TEST(FixedPoint, ReciprocalSamplesSeedsAndBound) {
  struct Case { int d, inverse; };
  for (const Case c : {Case{65536, 65536}, {131072, 32768}, {196608, 21845}, {-196608, -21845},
                       {5 * 65536, 13107}, {1000 * 65536, 65}, {32768, 131072}, {-65536, -65536},
                       {1, 0}, {0, 0}}) {  // below 8 raw the seed shift wraps; the values stay put
    EXPECT_EQ(fixinv<16>(c.d), c.inverse) << c.d;
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(rcp_tab[i], 262144 / (8 + i)) << i;
  // A wrong seed index or exponent is several percent off: every d of the smallest exponents, 8 raw up.
  for (int32_t d = 8; d <= 256 * 65536; d += d < 4096 ? 1 : 37) {
    const double exact = 65536.0 * 65536.0 / d;
    ASSERT_NEAR(fixinv<16>(d), exact, exact * 0.001 + 2) << "d raw " << d;
  }
}

}  // namespace
