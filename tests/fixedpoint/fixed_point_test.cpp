// Catches products, quotients, conversions and reciprocals that round, saturate or
// widen differently from the raw rules the 3D scene depends on.
#include "fixedpoint/fixed_point.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "tests/fixedpoint/print.h"

namespace {

using fixed = fixedpoint::fixed_point<16>;
using fixedpoint::fixinv;
using fixedpoint::float2fix;

constexpr fixed Raw(int32_t r) { return fixed::from_raw(r); }

TEST(FixedProduct, TruncatesTowardMinusInfinityAndWraps) {
  EXPECT_EQ((fixed(1) * fixed(1)).raw(), 65536);
  EXPECT_EQ((fixed(0.5f) * fixed(0.5f)).raw(), 16384);
  EXPECT_EQ((Raw(-1) * Raw(1)).raw(), -1) << "a tiny negative product is -1 raw, not 0";
  EXPECT_EQ((fixed(256) * fixed(256)).raw(), 0) << "bits above 47 are lost";
  EXPECT_EQ((Raw(INT32_MIN) * Raw(INT32_MIN)).raw(), 0);  // 2^62 >> 16 = 2^46: low 32 bits 0
  EXPECT_EQ((fixed(3) * fixed(7)).raw(), 21 * 65536);
  static_assert((fixed(2) * fixed(0.25f)).raw() == 32768, "products fold at compile time");
}

TEST(FixedQuotient, TruncatesTowardZero) {
  EXPECT_EQ((fixed(1) / fixed(3)).raw(), 21845);
  EXPECT_EQ((fixed(-1) / fixed(3)).raw(), -21845);
  EXPECT_EQ((fixed(60) / fixed(2)).raw(), 30 * 65536);
  EXPECT_EQ((fixed(1000) / fixed(1000)).raw(), 65536);
  EXPECT_EQ((fixed(16) / fixed(1000)).raw(), 1048);  // a 16 ms frame in seconds
  EXPECT_EQ((Raw(INT32_MIN) / Raw(-1)).raw(), 0) << "2^47 / -1 keeps its low 32 bits";
  EXPECT_EQ((Raw(1) / Raw(INT32_MAX)).raw(), 0);
}

TEST(FixedConversion, IntegersShiftWithinThirtyTwoBits) {
  EXPECT_EQ(fixed(32767).raw(), 32767 * 65536);
  EXPECT_EQ(fixed(32768).raw(), INT32_MIN) << "32768 wraps to -32768.0";
  EXPECT_EQ(fixed(-1).raw(), -65536);
  EXPECT_EQ(fixed(-0.5f).to_int(), -1) << "to integer rounds toward minus infinity";
  EXPECT_EQ(fixed(1.75f).to_int(), 1);
  EXPECT_EQ((fixed(1) + Raw(INT32_MAX)).raw(), INT32_MIN + 65535) << "sums wrap";
  EXPECT_EQ((-Raw(INT32_MIN)).raw(), INT32_MIN);
  EXPECT_EQ((Raw(INT32_MIN) - Raw(1)).raw(), INT32_MAX);
}

TEST(FixedConversion, DecimalConstantsTruncateInSinglePrecision) {
  struct Case { float f; int raw; };
  const Case table[] = {{6.2831855f, 411774}, {0.15915494f, 10430}, {0.017453292f, 1143},
                        {0.03f, 1966},        {0.05f, 3276},        {0.1f, 6553},
                        {0.125f, 8192},       {0.3f, 19660},        {0.5f, 32768},
                        {1.3333334f, 87381},  {100.0f, 6553600},    {-0.3f, -19660}};
  for (const Case& c : table) EXPECT_EQ(float2fix<16>(c.f), c.raw) << c.f;
  static_assert(float2fix<16>(0.3f) == 19660, "constants fold at compile time");
  EXPECT_EQ(fixedpoint::FIX16_2PI, 411774);
  EXPECT_EQ(fixedpoint::FIX16_R2PI, 10430);
  EXPECT_EQ(4294967296LL - int64_t(fixedpoint::FIX16_2PI) * fixedpoint::FIX16_R2PI, 164476);
}

TEST(FixedConversion, DecimalsBeyondTheRangeSaturateInsteadOfConvertingOutOfRange) {
  // Converting such a product to int would be undefined; it saturates, NaN gives 0.
  EXPECT_EQ(float2fix<16>(32767.99f), 2147483008);  // still in range: 32767.99f * 65536, truncated
  EXPECT_EQ(float2fix<16>(32768.0f), INT32_MAX);
  EXPECT_EQ(float2fix<16>(-32768.0f), INT32_MIN);
  EXPECT_EQ(float2fix<16>(-40000.0f), INT32_MIN);
  EXPECT_EQ(float2fix<16>(std::numeric_limits<float>::infinity()), INT32_MAX);
  EXPECT_EQ(float2fix<16>(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(float2fix<16>(1e-9f), 0);
}

TEST(FixedComparison, IsOnSignedRawValues) {
  EXPECT_LT(fixed(-1), Raw(0));
  EXPECT_GT(Raw(1), fixed(0));
  EXPECT_LE(fixed(2), fixed(2));
  EXPECT_NE(Raw(1), Raw(2));
}

TEST(Reciprocal, GivesTheStatedSamples) {
  EXPECT_EQ(fixinv<16>(65536), 65536);
  EXPECT_EQ(fixinv<16>(131072), 32768);
  EXPECT_EQ(fixinv<16>(196608), 21845);
  EXPECT_EQ(fixinv<16>(-196608), -21845);
  EXPECT_EQ(fixinv<16>(5 * 65536), 13107);
  EXPECT_EQ(fixinv<16>(1000 * 65536), 65);
  EXPECT_EQ(fixinv<16>(32768), 131072);
}

TEST(Reciprocal, SeedTableIsTheTruncatedReciprocals) {
  for (int i = 0; i < 8; ++i) EXPECT_EQ(fixedpoint::rcp_tab[i], 262144 / (8 + i)) << i;
}

TEST(Reciprocal, IsWithinATenthOfAPercentFromOneSixteenthTo256) {
  // Two Newton steps from a four-bit seed; a wrong seed index or exponent shows as
  // an error of several percent.
  for (int32_t d = 4096; d <= 256 * 65536; d += 37) {
    const double exact = 65536.0 * 65536.0 / d;
    ASSERT_NEAR(fixinv<16>(d), exact, exact * 0.001 + 2) << "d raw " << d;
  }
}

TEST(Reciprocal, TinyInputsWrapInTheSeedShift) {
  // Outside the domain the value is free but must stay put across builds.
  EXPECT_EQ(fixinv<16>(1), 0) << "the seed shift wraps for raw 1";
  EXPECT_EQ(fixinv<16>(0), 0);
  EXPECT_EQ(fixinv<16>(-65536), -65536);
}

}  // namespace
