// divide.h: exact truncated quotients by a divisor shared by several dividends: one
// reciprocal per divisor, then a multiply and one correction step per quotient; and
// the divisor the passes use, that one or the CPU's own divide where it has one.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "fixedpoint/bits.h"
#include "fixedpoint/wrap.h"

namespace fixedpoint {

// The console has no divide instruction, so a 64-bit / is a long runtime call. A
// divisor used for several quotients (a particle's w, the frame's zoom) is made into
// a Divisor once, with multiplies only: its magnitude shifted up until the top bit is
// set (normalised, d), and the word v = floor((2^64 - 1) / d) - 2^32, from a table and
// one Newton step. A two-word dividend whose high word is below d is then divided by
// one multiply by v and at most two corrections (the second one rare), as in Moller
// and Granlund's division by invariant integers.
struct Divisor {
  uint32_t magnitude;   // |divisor|; 2^31 for INT32_MIN
  uint32_t normalised;  // magnitude << shift: bit 31 set
  uint32_t inverse;     // floor((2^64 - 1) / normalised) - 2^32
  uint32_t shift;       // leading zero bits of magnitude, 0..31
  bool negative;        // divisor < 0
};

namespace divide_detail {

// The seed of the reciprocal: h, just under 2^63 / d (which lies in 2^31 .. 2^32), from
// a straight line for each of the 512 ranges of the normalised d by its top ten bits,
// 512 + i: the chord of 2^63 / d across the range, lowered by kSeedDrop, as
//   h = lowered[i] - 2 floor(slope[i] d / 2^32)   (modulo 2^32)
// where slope[i] is the chord's slope (0.5 to 2) times 2^31, and lowered[i] puts the line
// at the range's low end kSeedDrop below 2^63 / d there. 2^63 / d is convex, so the
// chord lies above it, by up to 4086; the tests check every d: h is 14 to 4102 under
// 2^63 / d. That makes it two loads, a long multiply and a subtraction.
struct SeedLine {
  uint32_t lowered;
  uint32_t slope;
};
constexpr uint32_t kSeedDrop = 4100;
constexpr std::array<SeedLine, 512> MakeSeedLines() {
  std::array<SeedLine, 512> lines{};
  for (uint64_t i = 0; i < 512; ++i) {
    const uint64_t low = (512 + i) << 22;
    const uint64_t high = low + (uint64_t{1} << 22);
    const uint64_t atLow = std::min<uint64_t>((uint64_t{1} << 63) / low, 0xFFFFFFFFu);  // 2^32 at d = 2^31
    const uint64_t slope = (atLow - (uint64_t{1} << 63) / high) << 9;  // the drop over 2^22, times 2^31
    const uint64_t fall = (slope * low) >> 32;
    lines[i] = SeedLine{static_cast<uint32_t>(atLow + 2 * fall - kSeedDrop), static_cast<uint32_t>(slope)};
  }
  return lines;
}
inline constexpr std::array<SeedLine, 512> kSeedLines = MakeSeedLines();

constexpr uint32_t Seed(uint32_t d) {  // d >= 2^31
  const SeedLine& line = kSeedLines[(d >> 22) - 512];
  return line.lowered - 2 * static_cast<uint32_t>((uint64_t{line.slope} * d) >> 32);
}

}  // namespace divide_detail

// floor((2^64 - 1) / d) - 2^32 for d >= 2^31. The seed gives h, just under
// (2^32 + v) / 2, to 2^-19; one Newton step on it, keeping bits 16..47 of its error
// 2^64 - 2 h d (at most 2^46 for any d), ends at v itself at most one short, which the
// remainder check adds back. Every normalised d is checked in the tests.
constexpr uint32_t Reciprocal(uint32_t d) {
  const uint32_t h = divide_detail::Seed(d);
  const uint64_t error = 0u - (uint64_t{h} * d << 1);
  const auto e = static_cast<int32_t>(static_cast<uint32_t>(error >> 16));
  const uint32_t v = (h << 1) + static_cast<uint32_t>(asr64(static_cast<int64_t>(h) * e, 47));  // |h e| < 2^62
  // 2^64 - 1 - (2^32 + v) d, in 0 .. 2d - 1: one more unit of v when it reaches d.
  const uint64_t remainder = (uint64_t{0u - d} << 32) - uint64_t{v} * d - 1;
  return v + (remainder >= d ? 1u : 0u);
}

constexpr Divisor MakeDivisor(int32_t divisor) {  // divisor must not be 0
  const uint32_t m = divisor < 0 ? 0u - static_cast<uint32_t>(divisor) : static_cast<uint32_t>(divisor);
  const auto s = static_cast<uint32_t>(LeadingZeros(m));
  const uint32_t d = m << s;
  return Divisor{m, d, Reciprocal(d), s, divisor < 0};
}

struct WordQuotient {
  uint32_t quotient;
  uint32_t remainder;  // still shifted by the divisor's shift
};

// (u1 2^32 + u0) / d for the normalised d and u1 < d: the quotient fits one word.
constexpr WordQuotient DivideWords(uint32_t u1, uint32_t u0, const Divisor& d) {
  const uint64_t p = uint64_t{d.inverse} * u1 + ((uint64_t{u1} << 32) | u0);
  uint32_t q = static_cast<uint32_t>(p >> 32) + 1;
  uint32_t r = u0 - q * d.normalised;
  if (r > static_cast<uint32_t>(p)) q -= 1, r += d.normalised;  // estimate one too big
  if (r >= d.normalised) q += 1, r -= d.normalised;              // rare: one too small
  return WordQuotient{q, r};
}

// |n| / |d| for |n| < 2^48: one word division when the quotient fits 32 bits (always
// for a 32-bit dividend, and for a 16.16 quotient of magnitude below 65536.0), else
// two, high word first.
constexpr uint64_t DivideMagnitude(uint64_t a, const Divisor& d) {
  const uint32_t s = d.shift;
  if ((a >> 32) < d.magnitude) {
    const uint64_t u = a << s;  // below normalised * 2^32: no bit is lost
    return DivideWords(static_cast<uint32_t>(u >> 32), static_cast<uint32_t>(u), d).quotient;
  }
  const auto high = static_cast<uint32_t>(a >> 32);
  const uint64_t uh = uint64_t{high} << s;
  const WordQuotient qh = DivideWords(static_cast<uint32_t>(uh >> 32), static_cast<uint32_t>(uh), d);
  // The high word's remainder (below |d|) joins the low word: again below |d| 2^32.
  const uint64_t ul = ((uint64_t{qh.remainder >> s} << 32) | static_cast<uint32_t>(a)) << s;
  const WordQuotient ql = DivideWords(static_cast<uint32_t>(ul >> 32), static_cast<uint32_t>(ul), d);
  return (uint64_t{qh.quotient} << 32) | ql.quotient;
}

// The quotient n / d truncated toward zero, exactly as the / operator gives it,
// for every |n| < 2^48 (a 16.16 value shifted left by 16 is at most 2^47).
constexpr int64_t Divide(int64_t n, const Divisor& d) {
  const bool negN = n < 0;
  const uint64_t a = negN ? 0u - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  const uint64_t q = DivideMagnitude(a, d);
  return negN != d.negative ? static_cast<int64_t>(0u - q) : static_cast<int64_t>(q);
}

// n / d truncated toward zero for a 32-bit n: always one word division, the dividend
// shifted with the divisor (two plain shifts instead of a 64-bit one).
constexpr int32_t Divide32(int32_t n, const Divisor& d) {
  const uint32_t a = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  // a 2^s as two words; the high one, a >> (32 - s), is written so that s = 0 needs no
  // shift by 32.
  const uint32_t q = DivideWords((a >> 1) >> (31 - d.shift), a << d.shift, d).quotient;
  return static_cast<int32_t>((n < 0) != d.negative ? 0u - q : q);
}

// The 16.16 quotient a / d as the number type gives it: the low word of (a 2^16) / d
// truncated toward zero. For |d| >= 2^16 (a w of 1.0 or more, the usual case) the
// dividend's two words are two plain shifts; smaller divisors take the general path.
constexpr int32_t Quotient16(int32_t a, const Divisor& d) {
  const uint32_t s = d.shift;
  if (s >= 16) return low32(Divide(shl64(a, 16), d));
  const uint32_t m = a < 0 ? 0u - static_cast<uint32_t>(a) : static_cast<uint32_t>(a);
  // m 2^(16 + s): its high word is below 2^(16 + s) <= normalised, as DivideWords needs.
  const uint32_t q = DivideWords(m >> (16 - s), (m << s) << 16, d).quotient;
  return static_cast<int32_t>((a < 0) != d.negative ? 0u - q : q);
}

// The w that short and small divisors take, 1.0 <= w < 16384.0 (raw 2^16 .. 2^30 - 1),
// in one unsigned test.
constexpr bool InShortRange(uint32_t w) { return w - 0x10000u < 0x40000000u - 0x10000u; }

// Short quotients: the 16.16 quotient a / w when it is below 2.0 in magnitude, for a w of
// 1.0 up to 16384.0 (raw 2^16 .. 2^30 - 1). That is what the 3D pass divides most: a
// particle's clip x and y by its w, on screen when the quotient is within 1.0. The seed
// alone stands for the reciprocal: it is never above 2^63 / d for the normalised
// d = w 2^s, and at most 4102 below it. The estimate floor(|a| h 2^(s - 47)) is then
// the quotient or one short: its shortfall, |a| (2^63 / d - h) 2^(s - 47), is below
// 2 d 4102 / 2^47 < 1/4. The remainder |a| 2^16 - estimate w, in 0 .. 2w - 1, fits a
// word and says which.
struct ShortDivisor {
  uint32_t value;    // w
  uint32_t limit;    // |a| below this takes the short way: 2w, or 0 for a w out of range
  uint32_t inverse;  // the seed h of the normalised w
  uint32_t down;     // 15 - s: the estimate is the high word of |a| h shifted down by this
};

constexpr ShortDivisor MakeShortDivisor(int32_t w) {
  const auto u = static_cast<uint32_t>(w);
  if (!InShortRange(u)) return ShortDivisor{u, 0, 0, 0};
  const auto s = static_cast<uint32_t>(LeadingZeros(u));  // 2..15 here
  return ShortDivisor{u, 2 * u, divide_detail::Seed(u << s), 15 - s};
}

// a / w truncated toward zero into *q, when |a| is below d.limit; else false, *q untouched.
constexpr bool ShortQuotient16(int32_t a, const ShortDivisor& d, int32_t* q) {
  const uint32_t m = a < 0 ? 0u - static_cast<uint32_t>(a) : static_cast<uint32_t>(a);
  if (m >= d.limit) return false;
  uint32_t e = static_cast<uint32_t>((uint64_t{m} * d.inverse) >> 32) >> d.down;
  if ((m << 16) - e * d.value >= d.value) e += 1;  // the remainder reached w: one short
  *q = static_cast<int32_t>(a < 0 ? 0u - e : e);
  return true;
}

// Small dividends: the 16.16 quotient a / w for |a| below 2^15, by a w of 1.0 up to
// 16384.0 that divides many of them (the 2D pass's zoom, all frame): with M = 2^63 / d
// rounded up, for the normalised d = w 2^s, it is floor(|a| M 2^(s - 47)), one long
// multiply and a shift. M is 2^(63 - s) / w plus e / w, e < w < 2^(32 - s), so the
// product exceeds |a| 2^16 / w by |a| e / (w 2^(47 - s)) < 1 / w, and the fraction of
// |a| 2^16 / w is at most 1 - 1 / w: the floor is the same.
struct SmallDivisor {
  uint32_t limit;    // |a| below this takes the small way: 2^15, or 0 for a w out of range
  uint32_t inverse;  // M, below 2^32
  uint32_t down;     // 15 - s
};

constexpr SmallDivisor MakeSmallDivisor(int32_t w) {
  const auto u = static_cast<uint32_t>(w);
  if (!InShortRange(u)) return SmallDivisor{0, 0, 0};
  const auto s = static_cast<uint32_t>(LeadingZeros(u));
  // floor((2^64 - 1) / d) = 2^32 + Reciprocal(d) is 2^64 / d rounded up, less 1; its
  // half rounded up is M. A power of two gives M = 2^32, one bit too many.
  const uint64_t m = ((uint64_t{1} << 32) + Reciprocal(u << s) + 2) >> 1;
  if (m > 0xFFFFFFFFu) return SmallDivisor{0, 0, 0};
  return SmallDivisor{0x8000u, static_cast<uint32_t>(m), 15 - s};
}

// a / w truncated toward zero into *q, when |a| is below d.limit; else false, *q untouched.
constexpr bool SmallQuotient16(int32_t a, const SmallDivisor& d, int32_t* q) {
  const uint32_t m = a < 0 ? 0u - static_cast<uint32_t>(a) : static_cast<uint32_t>(a);
  if (m >= d.limit) return false;
  const uint32_t e = static_cast<uint32_t>((uint64_t{m} * d.inverse) >> 32) >> d.down;
  *q = static_cast<int32_t>(a < 0 ? 0u - e : e);
  return true;
}

// A divisor kept as it is, for CPUs with a divide instruction (x86-64, WebAssembly,
// ARM with the divide extension): there the plain quotient is cheaper than any
// reciprocal, and it is the / operator's by definition.
struct NativeDivisor {
  int32_t value;  // not 0
};
constexpr NativeDivisor MakeNativeDivisor(int32_t divisor) { return NativeDivisor{divisor}; }
constexpr int32_t Divide32(int32_t n, const NativeDivisor& d) {
  return low32(int64_t{n} / d.value);  // 64-bit: INT32_MIN / -1 wraps as the reciprocal one does
}
constexpr int32_t Quotient16(int32_t a, const NativeDivisor& d) { return low32(shl64(a, 16) / d.value); }
constexpr int64_t Divide(int64_t n, const NativeDivisor& d) { return n / d.value; }

// The passes' divisor: the reciprocal on the console's CPU and other ARMs without a
// divide instruction, the native one elsewhere. Both give the / operator's quotient.
#if defined(__arm__) && !defined(__ARM_FEATURE_IDIV)
using SharedDivisor = Divisor;
constexpr SharedDivisor MakeSharedDivisor(int32_t divisor) { return MakeDivisor(divisor); }
#else
using SharedDivisor = NativeDivisor;
constexpr SharedDivisor MakeSharedDivisor(int32_t divisor) { return MakeNativeDivisor(divisor); }
#endif

}  // namespace fixedpoint
