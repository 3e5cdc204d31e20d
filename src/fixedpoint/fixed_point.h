// fixed_point.h: the 16.16 number type (fixed) with its exact product and quotient, the
// decimal-constant conversion float2fix, the reciprocal fixinv and the angle constants.
#pragma once

#include <cstdint>

#include "fixedpoint/wrap.h"

namespace fixedpoint {

// A decimal constant in raw form: f * 2^F in single precision (exact, a power of
// two), truncated toward zero. Truncation, not rounding: 0.3 is 19660, not 19661.
// A product outside the 32-bit range (or NaN) has no integer to truncate to, and
// converting it would be undefined: it saturates instead (NaN gives 0), as the
// handheld's own float-to-integer conversion does. No constant of the demo gets there.
template <int F>
constexpr int float2fix(float f) {
  const float scaled = f * static_cast<float>(1 << F);
  if (scaled != scaled) return 0;
  if (scaled >= 2147483648.0f) return INT32_MAX;
  if (scaled < -2147483648.0f) return INT32_MIN;
  return static_cast<int>(scaled);
}

// Raw product: the exact 64-bit product shifted right by 16 (toward minus
// infinity), bits 16..47 kept; anything above is lost silently. Those bits are taken
// by a logical shift, the same word: a compiler that bounds the product (a constant
// factor) would otherwise keep the arithmetic shift's 64 bits for the next multiply,
// three multiplies instead of one on the console's CPU.
constexpr int32_t fixmul16(int32_t a, int32_t b) {
  return low32(static_cast<int64_t>(static_cast<uint64_t>(static_cast<int64_t>(a) * b) >> 16));
}

// acc + fixmul16(a, b), wrapping: bits 16..31 of the product's low word and bits 0..15
// of its high word do not overlap, so on the console each is added to acc on its own
// rather than joined first, two adds that take their shifts for free there. A 64-bit
// CPU shifts the whole product once instead (the halves cost it shuffles).
constexpr int32_t fixmuladd16(int32_t acc, int32_t a, int32_t b) {
  const auto p = static_cast<uint64_t>(static_cast<int64_t>(a) * b);
#if defined(__arm__)
  return static_cast<int32_t>(static_cast<uint32_t>(acc) + (static_cast<uint32_t>(p) >> 16) +
                              (static_cast<uint32_t>(p >> 32) << 16));
#else
  return static_cast<int32_t>(static_cast<uint32_t>(acc) + static_cast<uint32_t>(p >> 16));
#endif
}

// Raw quotient: the dividend widened to 64 bits and shifted left by 16, divided
// with truncation toward zero, low 32 bits kept. b must not be 0. The dividend's
// magnitude is at most 2^47, so the 64-bit division cannot overflow.
constexpr int32_t fixdiv16(int32_t a, int32_t b) {
  return low32(shl64(a, 16) / b);
}

template <int F>
class fixed_point {
 public:
  static constexpr int fraction_bits = F;

  fixed_point() = default;  // uninitialised, as a plain int would be
  // An integer: n shifted left by F within 32 bits (32768 wraps to -32768.0).
  explicit constexpr fixed_point(int n) : raw_(shl32(n, F)) {}
  // A decimal constant: float2fix<F>(f).
  explicit constexpr fixed_point(float f) : raw_(float2fix<F>(f)) {}
  // Decimal constants are single-precision literals (0.3f): going through double
  // first could round a literal differently from the constant table.
  fixed_point(double) = delete;

  static constexpr fixed_point from_raw(int32_t raw) { return fixed_point(raw, RawTag{}); }
  constexpr int32_t raw() const { return raw_; }
  // The integer part, rounding toward minus infinity (-0.5 gives -1).
  constexpr int to_int() const { return asr32(raw_, F); }

  constexpr fixed_point operator-() const { return from_raw(neg32(raw_)); }
  constexpr fixed_point& operator+=(fixed_point b) { raw_ = add32(raw_, b.raw_); return *this; }
  constexpr fixed_point& operator-=(fixed_point b) { raw_ = sub32(raw_, b.raw_); return *this; }
  constexpr fixed_point& operator*=(fixed_point b) { return *this = *this * b; }
  constexpr fixed_point& operator/=(fixed_point b) { return *this = *this / b; }

  friend constexpr fixed_point operator+(fixed_point a, fixed_point b) { return from_raw(add32(a.raw_, b.raw_)); }
  friend constexpr fixed_point operator-(fixed_point a, fixed_point b) { return from_raw(sub32(a.raw_, b.raw_)); }
  friend constexpr fixed_point operator*(fixed_point a, fixed_point b) {  // as fixmul16 says
    return from_raw(low32(static_cast<int64_t>(static_cast<uint64_t>(static_cast<int64_t>(a.raw_) * b.raw_) >> F)));
  }
  friend constexpr fixed_point operator/(fixed_point a, fixed_point b) {
    return from_raw(low32(shl64(a.raw_, F) / b.raw_));
  }
  friend constexpr bool operator==(fixed_point a, fixed_point b) { return a.raw_ == b.raw_; }
  friend constexpr bool operator!=(fixed_point a, fixed_point b) { return a.raw_ != b.raw_; }
  friend constexpr bool operator<(fixed_point a, fixed_point b) { return a.raw_ < b.raw_; }
  friend constexpr bool operator<=(fixed_point a, fixed_point b) { return a.raw_ <= b.raw_; }
  friend constexpr bool operator>(fixed_point a, fixed_point b) { return a.raw_ > b.raw_; }
  friend constexpr bool operator>=(fixed_point a, fixed_point b) { return a.raw_ >= b.raw_; }

 private:
  struct RawTag {};
  constexpr fixed_point(int32_t raw, RawTag) : raw_(raw) {}
  int32_t raw_;
};

// The demo's number: every position, velocity, matrix entry and angle is 16.16.
using fixed = fixed_point<16>;

// Seeds of fixinv: entry i is the 16.16 value of 1 / (2 (1 + i/8)), truncated.
extern const uint16_t rcp_tab[8];

// Raw reciprocal 1/d without a division: a seed from the leading four bits of d
// and two Newton-Raphson steps z = z (2 - d z). Meaningful for |d| >= 8 raw; for
// smaller or zero d the seed shift wraps (1 raw gives 0) and it still returns.
template <int F>
int fixinv(int d);

template <>
int fixinv<16>(int d);

// 2*pi and 1/(2*pi) in raw 16.16, from their single-precision literals.
extern int FIX16_2PI;   // float2fix<16>(6.2831855f) = 411774
extern int FIX16_R2PI;  // float2fix<16>(0.15915494f) = 10430

}  // namespace fixedpoint
