// trig.cpp: the reciprocal square root seeds and the four angle and root functions.
#include "fixedpoint/trig.h"

#include "fixedpoint/bits.h"
#include "fixedpoint/fixed_point.h"

namespace fixedpoint {

const uint16_t rsq_tab[8] = {46340, 43690, 41448, 39519, 37837, 36352, 35030, 33842};

namespace {

// p: the angle as a fraction of a turn in units of 2^-32. Bit 31 picks the second
// half turn (negative), bit 30 an odd quarter (mirrored index).
int QuarterWave(uint32_t p) {
  int j = static_cast<int>((p >> 20) & 1023u);
  if ((p & 0x40000000u) != 0) j = 1023 - j;
  const int v = sin_tab[j];
  return (p & 0x80000000u) != 0 ? -v : v;
}

uint32_t TurnFraction(int a) {
  while (a < 0) a = add32(a, FIX16_2PI);
  return static_cast<uint32_t>(a) * static_cast<uint32_t>(FIX16_R2PI);  // low 32 bits
}

}  // namespace

int fixsin16(int a) { return QuarterWave(TurnFraction(a)); }

int fixcos16(int a) { return QuarterWave(TurnFraction(a) + 0x40000000u); }  // a quarter turn on

int fixrsqrt16(int x) {
  if (x == 0) return 2147483647;
  if (x == 0x10000) return 0x10000;  // 1.0
  const int n = LeadingZeros(static_cast<uint32_t>(x));
  const int i = 28 - n >= 0 ? asr32(x, 28 - n) & 7 : 0;
  const int e = n - 16;
  int32_t y = static_cast<int32_t>(rsq_tab[i]) * 2;
  y = e > 0 ? shl32(y, (e >> 1) + (e & 1)) : asr32(y, (-e) >> 1);
  if ((e & 1) != 0) y = fixmul16(y, 46340);  // odd exponent: times 1/sqrt(2) (0.70709)
  constexpr int32_t kThree = 0x30000;           // 3.0
  for (int step = 0; step < 3; ++step) {
    const int32_t t = fixmul16(x, y);
    const int32_t u = fixmul16(t, y);
    y = fixmul16(asr32(y, 1), sub32(kThree, u));
  }
  return y;
}

int fixsqrt16(int x) {
  int32_t y = asr32(add32(x, 0x10000), 1);  // (x + 1.0) / 2
  const int32_t xs = asr32(x, 8);
  for (int step = 0; step < 6; ++step) {
    int32_t q;
    if (y >= (1 << 24) || y < -(1 << 24)) {
      // |y| >= 256.0: scale both by 1/256 so the reciprocal of y stays in range.
      q = fixmul16(xs, fixinv<16>(asr32(y, 8)));
    } else {
      q = fixmul16(x, fixinv<16>(y));
    }
    y = asr32(add32(y, q), 1);
  }
  return y;
}

}  // namespace fixedpoint
