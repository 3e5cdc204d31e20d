// divide.h: exact truncated quotients by a divisor shared by many dividends: one
// reciprocal per divisor, then a multiply and one correction step per quotient.
#pragma once

#include <cstdint>

namespace fixedpoint {

// The console has no divide instruction, so a 64-bit / is a long runtime call. A
// divisor used for several quotients (a particle's w, the frame's zoom) is turned
// into r = floor(2^48 / |d|) once. For |n| < 2^48, q0 = floor(|n| r / 2^48) is
// floor(|n| / |d|) or one less (r is short of 2^48/|d| by under 1, so the product
// is short by under |n| / 2^48 < 1); one remainder check settles which.
struct Divisor {
  uint64_t reciprocal;  // floor(2^48 / magnitude), 2^48 for magnitude 1
  uint32_t magnitude;   // |d|, 2^31 for INT32_MIN
  bool negative;        // d < 0
};

// d must not be 0.
constexpr Divisor MakeDivisor(int32_t d) {
  const uint32_t m = d < 0 ? 0u - static_cast<uint32_t>(d) : static_cast<uint32_t>(d);
  return Divisor{(uint64_t{1} << 48) / m, m, d < 0};
}

// floor(n r / 2^48) for n < 2^48 and r <= 2^48, from 32-bit halves so that the
// console's 32x32->64 multiply does all the work.
constexpr uint64_t MulHigh48(uint64_t n, uint64_t r) {
  const uint64_t nl = static_cast<uint32_t>(n), nh = n >> 32;
  const uint64_t rl = static_cast<uint32_t>(r), rh = r >> 32;
  // The low word of nl*rl only reaches bits below 32: it cannot carry into bit 48.
  const uint64_t mid = ((nl * rl) >> 32) + nh * rl + nl * rh;  // < 2^50
  return ((nh * rh) << 16) + (mid >> 16);
}

// The quotient n / d truncated toward zero, exactly as the / operator gives it,
// for every |n| < 2^48 (a 16.16 value shifted left by 16 is at most 2^47).
constexpr int64_t Divide(int64_t n, const Divisor& d) {
  const bool negN = n < 0;
  const uint64_t a = negN ? 0u - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  uint64_t q = MulHigh48(a, d.reciprocal);
  if (a - q * d.magnitude >= d.magnitude) ++q;  // the one correction step
  return negN != d.negative ? static_cast<int64_t>(0u - q) : static_cast<int64_t>(q);
}

}  // namespace fixedpoint
