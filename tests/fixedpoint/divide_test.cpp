// Catches a reciprocal that is off by one for some divisor (a seed too coarse, a
// Newton step that overshoots or wraps), a division that is off by one (a missing or
// wrong correction step, a lost carry, a quotient too wide for the one-word path),
// a negative quotient rounded the wrong way, or mishandled extreme divisors 1, -1
// and INT32_MIN, against plain / and a multiply-only floor check.
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

// Sanitized builds run ten times slower and the ARM build runs under emulation: they
// step through the divisors with a prime stride instead of taking all of them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
constexpr uint64_t kStep = 97;
#elif defined(__arm__)
constexpr uint64_t kStep = 61;
#else
constexpr uint64_t kStep = 1;
#endif

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
  for (uint64_t m = 1; m <= (uint64_t{1} << 31); m += kStep) {
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
  }
  EXPECT_EQ(failures, 0u);
}

// Every normalised divisor's reciprocal against the 64-bit quotient it stands for,
// and the leading-zero count and normalisation at every width.
TEST(Divide, EveryNormalisedReciprocalIsExact) {
  uint64_t failures = 0;
  for (uint64_t d = uint64_t{1} << 31; d < (uint64_t{1} << 32); d += kStep) {
    const uint64_t expected = UINT64_MAX / d - (uint64_t{1} << 32);
    const uint32_t got = Reciprocal(static_cast<uint32_t>(d));
    if (got != expected && ++failures <= 5) ADD_FAILURE() << "d " << d << ": " << got << " != " << expected;
  }
  EXPECT_EQ(failures, 0u);
  EXPECT_EQ(Reciprocal(0x80000000u), 0xFFFFFFFFu);
  EXPECT_EQ(Reciprocal(0xFFFFFFFFu), 1u);
  EXPECT_EQ(MakeDivisor(INT32_MIN).shift, 0u);
  for (uint32_t width = 1; width <= 31; ++width) {
    for (const uint32_t m : {uint32_t{1} << (width - 1), static_cast<uint32_t>((uint64_t{1} << width) - 1)}) {
      const auto d = MakeDivisor(static_cast<int32_t>(m));
      EXPECT_EQ(d.shift, 32 - width) << m;
      EXPECT_EQ(d.normalised, m << d.shift) << m;
    }
  }
}

TEST(Divide, ExtremeDivisorsAndSigns) {
  const int64_t top = int64_t{1} << 47;
  EXPECT_EQ(Divide(top, MakeDivisor(1)), top);
  EXPECT_EQ(Divide(-top, MakeDivisor(-1)), top);
  EXPECT_EQ(Divide(-top, MakeDivisor(INT32_MIN)), 65536);
  EXPECT_EQ(Divide(top - 1, MakeDivisor(INT32_MIN)), -65535) << "truncates toward zero";
  EXPECT_EQ(Divide(-7, MakeDivisor(2)), -3) << "toward zero, not toward minus infinity";
  EXPECT_EQ(Divide(7, MakeDivisor(-2)), -3);
  EXPECT_EQ(Divide(-1, MakeDivisor(3)), 0);
  EXPECT_EQ(Divide(0, MakeDivisor(-5)), 0);
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
  }
}

}  // namespace
