// The exhaustive proofs, run once by the optimised build (minutes under the sanitizers
// or emulation). Catches a reciprocal off by one for some divisor (a seed too coarse, a
// Newton step that overshoots or wraps), a quotient off by one anywhere (a missing or
// wrong correction step, a lost carry, a quotient too wide for the one-word path), and
// an angle or root function that loses accuracy anywhere in its range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "fixedpoint/divide.h"
#include "fixedpoint/trig.h"

#include "fixedpoint/wrap.h"

namespace {

using fixedpoint::Divide;
using fixedpoint::Divide32;
using fixedpoint::Quotient16;
using fixedpoint::MakeDivisor;
using fixedpoint::MakeShortDivisor;
using fixedpoint::MakeSmallDivisor;
using fixedpoint::Reciprocal;
using fixedpoint::ShortQuotient16;
using fixedpoint::SmallQuotient16;

constexpr uint64_t kBound = (uint64_t{1} << 48) - 1;  // largest magnitude allowed

// Every divisor magnitude 1..2^31 against the dividends where the reciprocal's
// shortfall is largest, through each entry point: the general one, the 32-bit one and
// the 16.16 one (whose dividend is a 2^16). The check is the definition of the floor,
// q m <= n < (q+1) m, with multiplications only, so it does not lean on the division
// it checks.
TEST(Divide, EveryDivisorMagnitudeAgainstTheFloorDefinition) {
  uint64_t failures = 0;
  auto check = [&](uint64_t n, uint64_t m, uint64_t q, const char* entry) {
    if (!(q * m <= n && n - q * m < m) && ++failures <= 5) {
      ADD_FAILURE() << entry << ": " << n << " / " << m << " gave " << q;
    }
  };
  for (uint64_t m = 1; m <= (uint64_t{1} << 31); m += 1) {
    const auto d = MakeDivisor(m == (uint64_t{1} << 31) ? INT32_MIN : static_cast<int32_t>(m));
    const uint64_t sign = d.negative ? ~uint64_t{0} : 1;  // only INT32_MIN is negative here
    check(kBound, m, sign * static_cast<uint64_t>(Divide(static_cast<int64_t>(kBound), d)), "Divide");
    const uint64_t wsign = !d.negative ? ~uint64_t{0} : 1;  // INT32_MIN over d
    check(uint64_t{1} << 31, m, wsign * static_cast<uint64_t>(static_cast<int64_t>(Divide32(INT32_MIN, d))) & 0xFFFFFFFFu,
          "Divide32");
    const uint64_t a = uint64_t{INT32_MAX} << 16;
    if (a < m << 32) {  // the 16.16 quotient fits its word: compare it whole
      check(a, m, sign * static_cast<uint64_t>(static_cast<int64_t>(Quotient16(INT32_MAX, d))) & 0xFFFFFFFFu,
            "Quotient16");
    }
    // The short and small quotients at their largest dividends, where the estimate is
    // furthest from the quotient, and a w out of their range takes neither.
    int32_t q = -1;
    const bool shortWay = ShortQuotient16(static_cast<int32_t>(2 * m - 1), MakeShortDivisor(static_cast<int32_t>(m)), &q);
    if (shortWay != (m >= 0x10000 && m < 0x40000000) && ++failures <= 5) ADD_FAILURE() << "ShortQuotient16 range at " << m;
    if (shortWay) check((2 * m - 1) << 16, m, static_cast<uint32_t>(q), "ShortQuotient16");
    const bool smallWay = SmallQuotient16(-0x7FFF, MakeSmallDivisor(static_cast<int32_t>(m)), &q);
    const bool power = (m & (m - 1)) == 0;  // its M would be 2^32
    if (smallWay != (m >= 0x10000 && m < 0x40000000 && !power) && ++failures <= 5) ADD_FAILURE() << "SmallQuotient16 range at " << m;
    if (smallWay) check(uint64_t{0x7FFF} << 16, m, 0u - static_cast<uint32_t>(q), "SmallQuotient16");
  }
  EXPECT_EQ(failures, 0u);
}

// Every normalised divisor's reciprocal against the 64-bit quotient it stands for, and
// its seed within the bounds the short quotients rely on: at most 2^63 / d, and less
// than 4103 below it.
TEST(Divide, EveryNormalisedReciprocalIsExactAndEverySeedWithinBounds) {
  uint64_t failures = 0;
  for (uint64_t d = uint64_t{1} << 31; d < (uint64_t{1} << 32); d += 1) {
    const uint64_t expected = UINT64_MAX / d - (uint64_t{1} << 32);
    const uint32_t got = Reciprocal(static_cast<uint32_t>(d));
    if (got != expected && ++failures <= 5) ADD_FAILURE() << "d " << d << ": " << got << " != " << expected;
    const uint64_t seed = fixedpoint::divide_detail::Seed(static_cast<uint32_t>(d));
    const uint64_t top = uint64_t{1} << 63;
    if (!(seed * d <= top && (seed + 4103) * d > top) && ++failures <= 5) ADD_FAILURE() << "seed at d " << d << ": " << seed;
  }
  EXPECT_EQ(failures, 0u);
}

TEST(Bounds, SineAndCosineStayWithin112RawOverAWholeTurnAndTheSineRisesToPiOver2) {
  int worstSin = 0, worstCos = 0;
  int previous = fixedpoint::fixsin16(0);
  for (int a = 0; a <= 411773; ++a) {
    const double rad = a / 65536.0;
    const int s = fixedpoint::fixsin16(a), c = fixedpoint::fixcos16(a);
    worstSin = std::max(worstSin, static_cast<int>(std::ceil(std::fabs(s - 65536.0 * std::sin(rad)))));
    worstCos = std::max(worstCos, static_cast<int>(std::ceil(std::fabs(c - 65536.0 * std::cos(rad)))));
    if (a <= 102943) {
      ASSERT_GE(s, previous) << "sine falls at raw angle " << a;
      previous = s;
    }
  }
  EXPECT_LE(worstSin, 112);
  EXPECT_LE(worstCos, 112);
}

TEST(Bounds, ReciprocalSquareRootIsWithinOneTwentiethOfAPercentFrom1Over256To256) {
  for (int32_t x = 256; x <= 256 * 65536; ++x) {
    const double exact = 65536.0 / std::sqrt(x / 65536.0);
    if (std::fabs(fixedpoint::fixrsqrt16(x) - exact) > exact * 0.0005) FAIL() << "raw " << x << " gives " << fixedpoint::fixrsqrt16(x);
  }
}

TEST(Bounds, SquareRootIsWithin22RawFrom1Over16To16) {
  for (int32_t x = 4096; x <= 16 * 65536; ++x) {
    const double exact = 65536.0 * std::sqrt(x / 65536.0);
    if (std::fabs(fixedpoint::fixsqrt16(x) - exact) > 22) FAIL() << "raw " << x << " gives " << fixedpoint::fixsqrt16(x);
  }
}

}  // namespace
