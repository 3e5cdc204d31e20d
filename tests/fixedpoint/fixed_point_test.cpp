// Catches products, quotients, conversions and reciprocals that round, saturate or
// widen differently from the raw rules the 3D scene depends on.
#include "fixedpoint/fixed_point.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>


namespace {

using fixed = fixedpoint::fixed_point<16>;
using fixedpoint::fixinv;
using fixedpoint::float2fix;

constexpr fixed Raw(int32_t r) { return fixed::from_raw(r); }

TEST(FixedPoint, ProductsTruncateTowardMinusInfinityAndWrap) {
  EXPECT_EQ((fixed(0.5f) * fixed(0.5f)).raw(), 16384);
  EXPECT_EQ((Raw(-1) * Raw(1)).raw(), -1) << "a tiny negative product is -1 raw, not 0";
  EXPECT_EQ((fixed(256) * fixed(256)).raw(), 0) << "bits above 47 are lost";
  EXPECT_EQ((Raw(INT32_MIN) * Raw(INT32_MIN)).raw(), 0);  // 2^62 >> 16 = 2^46: low 32 bits 0
  EXPECT_EQ((fixed(3) * fixed(7)).raw(), 21 * 65536);
  EXPECT_EQ(fixedpoint::fixmul16(-3 * 65536, 32768), -98304);
  static_assert((fixed(2) * fixed(0.25f)).raw() == 32768, "products fold at compile time");
}

TEST(FixedPoint, QuotientsTruncateTowardZero) {
  EXPECT_EQ((fixed(1) / fixed(3)).raw(), 21845);
  EXPECT_EQ((fixed(-1) / fixed(3)).raw(), -21845);
  EXPECT_EQ(fixedpoint::fixdiv16(-65536, 3 * 65536), -21845);
  EXPECT_EQ((fixed(60) / fixed(2)).raw(), 30 * 65536);
  EXPECT_EQ((fixed(16) / fixed(1000)).raw(), 1048);  // a 16 ms frame in seconds
  EXPECT_EQ((Raw(INT32_MIN) / Raw(-1)).raw(), 0) << "2^47 / -1 keeps its low 32 bits";
  EXPECT_EQ((Raw(1) / Raw(INT32_MAX)).raw(), 0);
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
  fixed f = fixed(2);
  f -= fixed(3), f *= fixed(4), f /= fixed(8);
  EXPECT_EQ(f.raw(), -32768);
}

TEST(FixedPoint, DecimalConstantsTruncateInSinglePrecisionAndSaturateOutsideTheRange) {
  struct Case { float f; int raw; };
  const Case table[] = {{6.2831855f, 411774}, {0.15915494f, 10430}, {0.017453292f, 1143},
                        {0.03f, 1966},        {0.05f, 3276},        {0.1f, 6553},
                        {0.3f, 19660},        {1.3333334f, 87381},  {100.0f, 6553600},
                        {-0.3f, -19660},      {1e-9f, 0},
                        // Converting these to int would be undefined: they saturate.
                        {32767.99f, 2147483008}, {32768.0f, INT32_MAX}, {-32768.0f, INT32_MIN},
                        {-40000.0f, INT32_MIN},  {std::numeric_limits<float>::infinity(), INT32_MAX},
                        {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const Case& c : table) EXPECT_EQ(float2fix<16>(c.f), c.raw) << c.f;
  static_assert(float2fix<16>(0.3f) == 19660, "constants fold at compile time");
  EXPECT_EQ(fixedpoint::FIX16_2PI, 411774);
  EXPECT_EQ(fixedpoint::FIX16_R2PI, 10430);
}

TEST(FixedPoint, ReciprocalSamplesSeedsAndBound) {
  struct Case { int d, inverse; };
  for (const Case c : {Case{65536, 65536}, {131072, 32768}, {196608, 21845}, {-196608, -21845},
                       {5 * 65536, 13107}, {1000 * 65536, 65}, {32768, 131072},
                       // Outside the domain the seed shift wraps; the values stay put.
                       {1, 0}, {0, 0}, {-65536, -65536}}) {
    EXPECT_EQ(fixinv<16>(c.d), c.inverse) << c.d;
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(fixedpoint::rcp_tab[i], 262144 / (8 + i)) << i;
  // Two Newton steps from a four-bit seed; a wrong seed index or exponent shows as
  // an error of several percent. Every d of the smallest exponents, 8 raw and up.
  for (int32_t d = 8; d <= 256 * 65536; d += d < 4096 ? 1 : 37) {
    const double exact = 65536.0 * 65536.0 / d;
    ASSERT_NEAR(fixinv<16>(d), exact, exact * 0.001 + 2) << "d raw " << d;
  }
}

}  // namespace
