// Catches quotients one off (a coarse seed, a wrong or missing correction, a lost carry), negative
// ones rounded the wrong way, and the divisors 1, -1 and INT32_MIN mishandled, against plain /.
#include "fixedpoint/divide.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace {

using namespace fixedpoint;

TEST(Divide, ExtremeDivisorsAndSigns) {
  // Quotients truncate toward zero, not toward minus infinity; the last two rows are the 16.16
  // quotients 1.0 / 3.0 and -1.0 / 3.0 as the number type states them, 1.0 << 16 being 2^32.
  constexpr int64_t kTop = int64_t{1} << 47, kOne = int64_t{1} << 32;
  struct Case { int64_t n; int32_t d; int64_t q; };
  for (const Case c : {Case{kTop, 1, kTop}, {-kTop, -1, kTop}, {-kTop, INT32_MIN, 65536},
                       {kTop - 1, INT32_MIN, -65535}, {-7, 2, -3}, {7, -2, -3}, {-1, 3, 0}, {0, -5, 0},
                       {kOne, 3 * 65536, 21845}, {-kOne, 3 * 65536, -21845}}) {
    EXPECT_EQ(Divide(c.n, MakeDivisor(c.d)), c.q) << c.n << " / " << c.d;
  }
  // The short and small ways take what they are exact for and refuse the rest; a power of two
  // would need a small reciprocal of 2^32, one bit too many.
  int32_t q = 0;
  for (const int32_t w : {0xFFFF, 0x10000, 0x10001, 0x3FFFFFFF, 0x40000000}) {
    const bool inRange = w >= 0x10000 && w < 0x40000000;
    EXPECT_EQ(ShortQuotient16(-1, MakeShortDivisor(w), &q), inRange) << w;
    EXPECT_EQ(SmallQuotient16(1, MakeSmallDivisor(w), &q), inRange && w != 0x10000) << w;
  }
  EXPECT_TRUE(ShortQuotient16(-(6 * 65536 - 1), MakeShortDivisor(3 * 65536), &q) && q == -131071);
  EXPECT_FALSE(ShortQuotient16(6 * 65536, MakeShortDivisor(3 * 65536), &q));
  EXPECT_TRUE(SmallQuotient16(-0x7FFF, MakeSmallDivisor(655360), &q) && q == -3276);
  // 0x8000's 16.16 form, 2^31, would wrap in the 2D pass's word.
  EXPECT_FALSE(SmallQuotient16(0x8000, MakeSmallDivisor(655360), &q));
  EXPECT_FALSE(SmallQuotient16(-0x8000, MakeSmallDivisor(655360), &q));
}

// Plain / over random signed pairs: dividends at every magnitude (a random shift), small and near
// the bound, and exact multiples of d and their neighbours, where a correction step decides.
TEST(Divide, RandomPairsAgainstPlainDivision) {
  std::mt19937_64 gen(20261207);
  for (int i = 0; i < 4000000; ++i) {
    const uint64_t bits = gen();
    int32_t d = static_cast<int32_t>(static_cast<uint32_t>(gen()) >> (bits & 31));
    if (d == 0) d = 1;
    if (bits & 32) d = neg32(d);
    int64_t n = static_cast<int64_t>(gen() >> (16 + ((bits >> 6) & 63) % 48));  // < 2^48
    if ((bits >> 12) & 3) {  // a multiple of d, or one either side
      n = n / d * d + static_cast<int64_t>((bits >> 14) % 3) - 1;
      if (n >= int64_t{1} << 48) n = 0;
    }
    if (bits & 64) n = -n;
    const auto divisor = MakeDivisor(d);
    ASSERT_EQ(Divide(n, divisor), n / d) << n << " / " << d;
    // The word entry points on the dividend's low word, as the passes use them; -2^31 / -1
    // wraps to itself.
    const int32_t w = low32(n);
    ASSERT_EQ(Divide32(w, divisor), low32(int64_t{w} / d)) << "Divide32 " << w << " / " << d;
    ASSERT_EQ(Quotient16(w, divisor), low32(shl64(w, 16) / d)) << "Quotient16 " << w << " / " << d;
    // The short and small ways on a dividend they take: below 2 |d|, below 2^15.
    const auto a = static_cast<int32_t>(n % (2 * (d < 0 ? -int64_t{d} : int64_t{d})));
    const auto b = static_cast<int32_t>(n % 0x8000);
    int32_t q = 0;
    ASSERT_TRUE(!ShortQuotient16(a, MakeShortDivisor(d), &q) || q == low32(shl64(a, 16) / d)) << a << " / " << d;
    ASSERT_TRUE(!SmallQuotient16(b, MakeSmallDivisor(d), &q) || q == shl32(b, 16) / d) << b << " / " << d;
  }
}

}  // namespace
