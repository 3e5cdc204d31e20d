// Catches a reciprocal that is off by one for some divisor (a seed too coarse, a
// Newton step that overshoots or wraps), a division that is off by one (a missing or
// wrong correction step, a lost carry, a quotient too wide for the one-word path),
// a negative quotient rounded the wrong way, or mishandled extreme divisors 1, -1
// and INT32_MIN, against plain /. proofs_test.cpp takes every divisor.
#include "fixedpoint/divide.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "fixedpoint/wrap.h"

namespace {

using fixedpoint::Divide;
using fixedpoint::Divide32;
using fixedpoint::Quotient16;
using fixedpoint::MakeDivisor;
using fixedpoint::Reciprocal;

TEST(Divide, ExtremeDivisorsAndSigns) {
  EXPECT_EQ(Reciprocal(0x80000000u), 0xFFFFFFFFu);
  EXPECT_EQ(Reciprocal(0xFFFFFFFFu), 1u);
  EXPECT_EQ(MakeDivisor(INT32_MIN).shift, 0u);
  const int64_t top = int64_t{1} << 47;
  EXPECT_EQ(Divide(top, MakeDivisor(1)), top);
  EXPECT_EQ(Divide(-top, MakeDivisor(-1)), top);
  EXPECT_EQ(Divide(-top, MakeDivisor(INT32_MIN)), 65536);
  EXPECT_EQ(Divide(top - 1, MakeDivisor(INT32_MIN)), -65535) << "truncates toward zero";
  EXPECT_EQ(Divide(-7, MakeDivisor(2)), -3) << "toward zero, not toward minus infinity";
  EXPECT_EQ(Divide(7, MakeDivisor(-2)), -3);
  EXPECT_EQ(Divide(-1, MakeDivisor(3)), 0);
  EXPECT_EQ(Divide(0, MakeDivisor(-5)), 0);
  // The short and small ways take what they are exact for and refuse the rest.
  int32_t q = 0;
  for (const int32_t w : {0xFFFF, 0x10000, 0x10001, 0x3FFFFFFF, 0x40000000}) {
    const bool inRange = w >= 0x10000 && w < 0x40000000;
    EXPECT_EQ(fixedpoint::ShortQuotient16(-1, fixedpoint::MakeShortDivisor(w), &q), inRange) << w;
    // A power of two would need a reciprocal of 2^32, one bit too many.
    EXPECT_EQ(fixedpoint::SmallQuotient16(1, fixedpoint::MakeSmallDivisor(w), &q), inRange && w != 0x10000) << w;
  }
  const auto w3 = fixedpoint::MakeShortDivisor(3 * 65536);
  EXPECT_TRUE(fixedpoint::ShortQuotient16(-(6 * 65536 - 1), w3, &q) && q == -131071);
  EXPECT_FALSE(fixedpoint::ShortQuotient16(6 * 65536, w3, &q));
  const auto zoom = fixedpoint::MakeSmallDivisor(655360);
  EXPECT_TRUE(fixedpoint::SmallQuotient16(-0x7FFF, zoom, &q) && q == -3276);
  EXPECT_FALSE(fixedpoint::SmallQuotient16(0x8000, zoom, &q)) << "its 16.16 form, 2^31, wraps in the 2D pass's word";
  EXPECT_FALSE(fixedpoint::SmallQuotient16(-0x8000, zoom, &q));
  // The 16.16 quotient 1.0 / 3.0 and -1.0 / 3.0 as the number type states them.
  EXPECT_EQ(fixedpoint::low32(Divide(fixedpoint::shl64(65536, 16), MakeDivisor(3 * 65536))), 21845);
  EXPECT_EQ(fixedpoint::low32(Divide(fixedpoint::shl64(-65536, 16), MakeDivisor(3 * 65536))), -21845);
}

// Plain / over random signed pairs, with dividends drawn at every magnitude (a
// random shift) so small and near-bound quotients are both common, plus the exact
// multiples and their neighbours where a correction step decides the result.
TEST(Divide, RandomPairsAgainstPlainDivision) {
  std::mt19937_64 gen(20261207);
  int failures = 0;
  for (int i = 0; i < 4000000 && failures < 5; ++i) {
    const uint64_t bits = gen();
    int32_t d = static_cast<int32_t>(static_cast<uint32_t>(gen()) >> (bits & 31));
    if (d == 0) d = 1;
    if (bits & 32) d = static_cast<int32_t>(0u - static_cast<uint32_t>(d));
    int64_t n = static_cast<int64_t>(gen() >> (16 + ((bits >> 6) & 63) % 48));  // < 2^48
    if ((bits >> 12) & 3) {  // a multiple of d, or one either side
      const int64_t k = n / (d < 0 ? -int64_t{d} : int64_t{d});
      n = k * d + static_cast<int64_t>((bits >> 14) % 3) - 1;
      if (n >= int64_t{1} << 48 || n <= -(int64_t{1} << 48)) n = 0;
    }
    if (bits & 64) n = -n;
    const auto divisor = MakeDivisor(d);
    const int64_t expected = n / d;
    const int64_t got = Divide(n, divisor);
    if (got != expected) ++failures, ADD_FAILURE() << n << " / " << d << ": " << got << " != " << expected;
    // The word entry points on the dividend's low word, as the passes use them.
    const auto w = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(n)));
    if (!(w == INT32_MIN && d == -1) && Divide32(w, divisor) != w / d) {
      ++failures, ADD_FAILURE() << "Divide32 " << w << " / " << d;
    }
    if (Quotient16(w, divisor) != fixedpoint::low32(fixedpoint::shl64(w, 16) / d)) {
      ++failures, ADD_FAILURE() << "Quotient16 " << w << " / " << d;
    }
    // The short and small ways on a dividend they take: below 2 |d|, below 2^15.
    const int64_t twice = 2 * (d < 0 ? -int64_t{d} : int64_t{d});
    const auto a = static_cast<int32_t>(n % twice), b = static_cast<int32_t>(n % 0x8000);
    int32_t q = 0;
    if (fixedpoint::ShortQuotient16(a, fixedpoint::MakeShortDivisor(d), &q) &&
        q != fixedpoint::low32(fixedpoint::shl64(a, 16) / d)) {
      ++failures, ADD_FAILURE() << "ShortQuotient16 " << a << " / " << d;
    }
    if (fixedpoint::SmallQuotient16(b, fixedpoint::MakeSmallDivisor(d), &q) && q != fixedpoint::shl32(b, 16) / d) {
      ++failures, ADD_FAILURE() << "SmallQuotient16 " << b << " / " << d;
    }
  }
}

}  // namespace
