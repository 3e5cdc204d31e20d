// Catches a sine table, quarter mirroring, angle reduction, root seed or Newton step
// that is off by even one raw unit from the console's values, and accuracy losses.
#include "fixedpoint/trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iterator>

#include "fixedpoint/fixed_point.h"

namespace {

using namespace fixedpoint;

TEST(SineTable, EveryEntryMatchesAnIndependentRecomputation) {
  for (int i = 0; i < 1023; ++i) {
    const long double v = 65535.0L * std::sin(i * 3.14159265358979323846L / 2046.0L);
    ASSERT_EQ(sin_tab[i], static_cast<int>(std::floor(v))) << "entry " << i;
  }
  EXPECT_EQ(sin_tab[1023], 65534);
  EXPECT_EQ(sin_tab[1], 100);
  EXPECT_EQ(sin_tab[2], 201);
  EXPECT_EQ(sin_tab[512], 46375);
  EXPECT_EQ(sin_tab[1000], 65494);
  EXPECT_EQ(sin_tab[1019], 65533);
  for (int i = 1020; i < 1024; ++i) EXPECT_EQ(sin_tab[i], 65534) << i;
}

TEST(SineCosine, QuarterTurnsAndNegativeAngles) {
  EXPECT_EQ(fixsin16(0), 0);
  EXPECT_EQ(fixcos16(0), 65534);
  EXPECT_EQ(fixsin16(102943), 65534);
  EXPECT_EQ(fixcos16(102943), 0);
  EXPECT_EQ(fixsin16(205887), 0);
  EXPECT_EQ(fixcos16(205887), -65534);
  EXPECT_EQ(fixsin16(308831), -65534);
  EXPECT_EQ(fixsin16(-102943), -65534);
  EXPECT_EQ(fixsin16(-1), 0);
  EXPECT_EQ(fixcos16(-1), 65534);
  EXPECT_EQ(fixsin16(34290), 32767) << "the camera's half field of view";
  EXPECT_EQ(fixcos16(34290), 56754);
  // Far negative angles come up by whole turns of 411774 raw.
  EXPECT_EQ(fixsin16(-102943 - 411774 * 50), -65534);
}

TEST(SineCosine, StayWithin112RawOverAWholeTurnAndTheSineRisesToPiOver2) {
  int worstSin = 0, worstCos = 0;
  int previous = fixsin16(0);
  for (int a = 0; a <= 411773; ++a) {
    const double rad = a / 65536.0;
    const int s = fixsin16(a), c = fixcos16(a);
    worstSin = std::max(worstSin, static_cast<int>(std::ceil(std::fabs(s - 65536.0 * std::sin(rad)))));
    worstCos = std::max(worstCos, static_cast<int>(std::ceil(std::fabs(c - 65536.0 * std::cos(rad)))));
    if (a <= 102943) {
      ASSERT_GE(s, previous) << "sine falls at raw angle " << a;
      previous = s;
    }
  }
  EXPECT_LE(worstSin, 112);
  EXPECT_LE(worstCos, 112);
  RecordProperty("worst_sine_error_raw", worstSin);
  RecordProperty("worst_cosine_error_raw", worstCos);
}

TEST(ReciprocalSquareRoot, GivesTheStatedSamples) {
  EXPECT_EQ(fixrsqrt16(0), 2147483647);
  EXPECT_EQ(fixrsqrt16(65536), 65536);
  EXPECT_EQ(fixrsqrt16(131072), 46341);
  EXPECT_EQ(fixrsqrt16(4 * 65536), 32767);
  EXPECT_EQ(fixrsqrt16(9 * 65536), 21844);
  EXPECT_EQ(fixrsqrt16(16 * 65536), 16382);
  EXPECT_EQ(fixrsqrt16(25 * 65536), 13106);
  EXPECT_EQ(fixrsqrt16(32768), 92682);
  EXPECT_EQ(fixrsqrt16(1), 16785446);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(rsq_tab[i], static_cast<int>(65536.0 / std::sqrt(2.0 + i / 4.0))) << i;
  }
}

TEST(ReciprocalSquareRoot, IsWithinOneTwentiethOfAPercentFrom1Over256To256) {
  double worst = 0;
  for (int32_t x = 256; x <= 256 * 65536; ++x) {
    const double exact = 65536.0 / std::sqrt(x / 65536.0);
    const double rel = std::fabs(fixrsqrt16(x) - exact) / exact;
    if (rel > worst) worst = rel;
    if (rel > 0.0005) FAIL() << "raw " << x << " gives " << fixrsqrt16(x) << ", exact " << exact;
  }
  RecordProperty("worst_rsqrt_relative_error_ppm", static_cast<int>(worst * 1e6));
}

TEST(SquareRoot, GivesTheStatedSamples) {
  EXPECT_EQ(fixsqrt16(0), 512);
  EXPECT_EQ(fixsqrt16(65536), 65536);
  EXPECT_EQ(fixsqrt16(16384), 32768);
  EXPECT_EQ(fixsqrt16(131072), 92682);
  EXPECT_EQ(fixsqrt16(262144), 131069);
  EXPECT_EQ(fixsqrt16(9 * 65536), 196601);
  EXPECT_EQ(fixsqrt16(100 * 65536), 655310);
  EXPECT_EQ(fixsqrt16(1000 * 65536), 2073370);
  EXPECT_EQ(fixsqrt16(4096 * 65536), 4348656);
}

TEST(SquareRoot, IsWithin22RawFrom1Over16To16) {
  int worst = 0;
  for (int32_t x = 4096; x <= 16 * 65536; ++x) {
    const int err = static_cast<int>(std::ceil(std::fabs(fixsqrt16(x) - 65536.0 * std::sqrt(x / 65536.0))));
    if (err > worst) worst = err;
    if (err > 22) FAIL() << "raw " << x << " gives " << fixsqrt16(x);
  }
  RecordProperty("worst_sqrt_error_raw", worst);
}

// A second, plain rendering of the square root's steps: every intermediate kept in
// 64 bits and reduced to 32 by an explicit modulo, so wrapping is spelled out.
int64_t Wrap(int64_t v) { return ((v % 4294967296LL) + 4294967296LL + 2147483648LL) % 4294967296LL - 2147483648LL; }
int64_t Mul(int64_t a, int64_t b) {
  const int64_t p = a * b;  // |a|, |b| <= 2^31: fits
  return Wrap(p >= 0 ? p / 65536 : -((-p + 65535) / 65536));  // floor division
}
int64_t Asr(int64_t v, int s) {
  const int64_t d = int64_t(1) << s;
  return v >= 0 ? v / d : -((-v + d - 1) / d);
}
int64_t RefInv(int64_t d) {
  const bool negative = d < 0;
  if (negative) d = Wrap(-d);  // the most negative value stays itself
  int n = 0;
  if (d >= 0) {
    n = 31;
    while (n > 0 && (d >> (31 - n)) > 1) --n;  // leading zeros of a non-negative word
  }
  const int64_t i = 28 - n >= 0 ? Asr(d, 28 - n) & 7 : 0;
  const int e = n - 16;
  int64_t z = int64_t(rcp_tab[i]) * 4;
  z = e > 0 ? Wrap(z << e) : Asr(z, -e);
  for (int k = 0; k < 2; ++k) z = Mul(z, Wrap(131072 - Mul(d, z)));
  return negative ? Wrap(-z) : z;
}
int64_t RefSqrt(int64_t x) {
  int64_t y = Asr(Wrap(x + 65536), 1);
  const int64_t xs = Asr(x, 8);
  for (int k = 0; k < 6; ++k) {
    const int64_t q = (y >= (1 << 24) || y < -(1 << 24)) ? Mul(xs, RefInv(Asr(y, 8))) : Mul(x, RefInv(y));
    y = Asr(Wrap(y + q), 1);
  }
  return y;
}

int64_t RefRsqrt(int64_t x) {
  if (x == 0) return 2147483647;
  if (x == 65536) return 65536;
  int n = 0;
  if (x > 0) {
    n = 31;
    while (n > 0 && (x >> (31 - n)) > 1) --n;
  }
  const int64_t i = 28 - n >= 0 ? Asr(x, 28 - n) & 7 : 0;
  const int e = n - 16;
  int64_t y = int64_t(rsq_tab[i]) * 2;
  y = e > 0 ? Wrap(y << ((e >> 1) + (e & 1))) : Asr(y, (-e) >> 1);
  if (e % 2 != 0) y = Mul(y, 46340);
  for (int k = 0; k < 3; ++k) y = Mul(Asr(y, 1), Wrap(196608 - Mul(Mul(x, y), y)));
  return y;
}
// Sine by quadrant: the turn fraction's top two bits pick the quarter.
int64_t RefSin(int64_t a, bool cosine) {
  while (a < 0) a += 411774;
  uint32_t p = static_cast<uint32_t>(static_cast<uint64_t>(a) * 10430u);
  if (cosine) p += 1u << 30;
  const unsigned quarter = p >> 30, j = (p >> 20) & 1023u;
  const int64_t v = sin_tab[quarter % 2 == 1 ? 1023 - j : j];
  return quarter >= 2 ? -v : v;
}

TEST(Roots, OutOfDomainInputsRunTheSameStepsInWrappingArithmetic) {
  // The 3D pass can feed the square root a huge or negative sum for an emitter
  // almost on the camera plane, and nothing stops a caller passing a negative or
  // tiny value to the other roots or a huge angle: the same steps must run,
  // wrapping, with no trap, and give the same value in every build.
  const int32_t inputs[] = {-1, -65536, -100 * 65536, INT32_MIN, 32767 * 65536, INT32_MAX, 0x40000000,
                            2000000000, 1, 7, 8, 9, 4096, 65535, 65536, 65537, 1000 * 65536};
  uint32_t state = 12345;
  for (int k = 0; k < 20000; ++k) {
    state = state * 1103515245u + 12345u;
    const int32_t x = k < static_cast<int>(std::size(inputs)) ? inputs[k] : static_cast<int32_t>(state);
    ASSERT_EQ(fixsqrt16(x), RefSqrt(x)) << "x raw " << x;
    ASSERT_EQ(fixinv<16>(x), RefInv(x)) << "d raw " << x;
    ASSERT_EQ(fixrsqrt16(x), RefRsqrt(x)) << "x raw " << x;
    ASSERT_EQ(fixsin16(x), RefSin(x, false)) << "a raw " << x;
    ASSERT_EQ(fixcos16(x), RefSin(x, true)) << "a raw " << x;
  }
}

}  // namespace
