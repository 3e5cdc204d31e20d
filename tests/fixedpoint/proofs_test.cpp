// The exhaustive proofs, run once by the optimised build (minutes under the sanitizers or emulation):
// every quotient and reciprocal exact, the angle and root functions within bounds over whole ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "fixedpoint/divide.h"
#include "fixedpoint/trig.h"

namespace {

using namespace fixedpoint;

constexpr uint64_t kBound = (uint64_t{1} << 48) - 1;  // largest magnitude allowed

// Every divisor magnitude 1..2^31 against the dividends where the reciprocal's shortfall
// is largest, through each entry point: the general one, the 32-bit one and the 16.16 one
// (whose dividend is a 2^16). The check is the definition of the floor, q m <= n < (q+1) m,
// with multiplications only, so it does not lean on the division it checks.
TEST(Divide, EveryDivisorMagnitudeAgainstTheFloorDefinition) {
  uint64_t failures = 0;
  // q is the quotient's magnitude modulo the entry's word (mask), taken from the sign the
  // quotient must have: one of the wrong sign comes out far too large.
  auto check = [&](uint64_t n, uint64_t m, bool negative, int64_t got, uint64_t mask, const char* entry) {
    const uint64_t q = (negative ? 0 - static_cast<uint64_t>(got) : static_cast<uint64_t>(got)) & mask;
    if (!(q * m <= n && n - q * m < m) && ++failures <= 5) {
      ADD_FAILURE() << entry << ": " << n << " / " << m << " gave " << got;
    }
  };
  const uint64_t a = uint64_t{INT32_MAX} << 16;
  for (uint64_t m = 1; m <= (uint64_t{1} << 31); ++m) {
    const int32_t w = static_cast<int32_t>(static_cast<uint32_t>(m));  // INT32_MIN for 2^31
    const auto d = MakeDivisor(w);
    check(kBound, m, d.negative, Divide(static_cast<int64_t>(kBound), d), ~uint64_t{0}, "Divide");
    check(uint64_t{1} << 31, m, !d.negative, Divide32(INT32_MIN, d), 0xFFFFFFFFu, "Divide32");
    // Where the 16.16 quotient fits its word, compare it whole.
    if (a < m << 32) check(a, m, d.negative, Quotient16(INT32_MAX, d), 0xFFFFFFFFu, "Quotient16");
    // The short and small quotients at their largest dividends, where the estimate is furthest
    // from the quotient; a w out of their range takes neither, nor a power of two the small way
    // (its reciprocal would be 2^32).
    const bool inRange = m >= 0x10000 && m < 0x40000000;
    int32_t q = -1;
    if (ShortQuotient16(static_cast<int32_t>(2 * m - 1), MakeShortDivisor(w), &q) != inRange) {
      ADD_FAILURE() << "ShortQuotient16 range at " << m, ++failures;
    } else if (inRange) {
      check((2 * m - 1) << 16, m, false, q, 0xFFFFFFFFu, "ShortQuotient16");
    }
    const bool small = inRange && (m & (m - 1)) != 0;
    if (SmallQuotient16(-0x7FFF, MakeSmallDivisor(w), &q) != small) {
      ADD_FAILURE() << "SmallQuotient16 range at " << m, ++failures;
    } else if (small) {
      check(uint64_t{0x7FFF} << 16, m, true, q, 0xFFFFFFFFu, "SmallQuotient16");
    }
    if (failures > 5) break;
  }
  EXPECT_EQ(failures, 0u);
}

// Every normalised divisor's reciprocal against the 64-bit quotient it stands for, and its seed
// within the bounds the short quotients rely on: at most 2^63 / d, and less than 4103 below it.
TEST(Divide, EveryNormalisedReciprocalIsExactAndEverySeedWithinBounds) {
  for (uint64_t d = uint64_t{1} << 31; d < (uint64_t{1} << 32); ++d) {
    const uint64_t expected = UINT64_MAX / d - (uint64_t{1} << 32);
    const uint32_t got = Reciprocal(static_cast<uint32_t>(d));
    if (got != expected) FAIL() << "d " << d << ": " << got << " != " << expected;
    const uint64_t seed = divide_detail::Seed(static_cast<uint32_t>(d)), top = uint64_t{1} << 63;
    if (!(seed * d <= top && (seed + 4103) * d > top)) FAIL() << "seed at d " << d << ": " << seed;
  }
}

TEST(Bounds, SineAndCosineStayWithin112RawOverAWholeTurnAndTheSineRisesToPiOver2) {
  double worst = 0;
  int previous = fixsin16(0);
  for (int a = 0; a <= 411773; ++a) {
    const double rad = a / 65536.0;
    const int s = fixsin16(a);
    const double sinError = std::fabs(s - 65536.0 * std::sin(rad));
    worst = std::max({worst, sinError, std::fabs(fixcos16(a) - 65536.0 * std::cos(rad))});
    if (a <= 102943) {
      ASSERT_GE(s, previous) << "sine falls at raw angle " << a;
      previous = s;
    }
  }
  EXPECT_LE(worst, 112);
}

// 1/sqrt within a twentieth of a percent from 1/256 to 256, sqrt within 22 raw from 1/16 to 16.
TEST(Bounds, RootsOverTheirRanges) {
  for (int32_t x = 256; x <= 256 * 65536; ++x) {
    const double exact = 65536.0 / std::sqrt(x / 65536.0);
    ASSERT_NEAR(fixrsqrt16(x), exact, exact * 0.0005) << "1 / sqrt, raw " << x;
    if (x >= 4096 && x <= 16 * 65536) {
      ASSERT_NEAR(fixsqrt16(x), 65536.0 * 65536.0 / exact, 22) << "sqrt, raw " << x;
    }
  }
}

}  // namespace
