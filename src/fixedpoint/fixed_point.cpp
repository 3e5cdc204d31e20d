// fixed_point.cpp: the reciprocal seed table, the angle constants and fixinv<16>.
#include "fixedpoint/fixed_point.h"

#include "fixedpoint/bits.h"

namespace fixedpoint {

const uint16_t rcp_tab[8] = {32768, 29127, 26214, 23831, 21845, 20164, 18724, 17476};

// Constant-initialised, so they hold their values before any code can read them.
constinit int FIX16_2PI = float2fix<16>(6.2831855f);
constinit int FIX16_R2PI = float2fix<16>(0.15915494f);

template <>
int fixinv<16>(int d) {
  // A negative d is handled as -(1 / -d). The negation is done once, not by
  // recursion: -(-32768.0) wraps to itself and would recurse without end.
  const bool negative = d < 0;
  if (negative) d = neg32(d);
  const int n = LeadingZeros(static_cast<uint32_t>(d));
  const int i = 28 - n >= 0 ? asr32(d, 28 - n) & 7 : 0;  // the three bits after the leading one
  const int e = n - 16;
  int32_t z = static_cast<int32_t>(rcp_tab[i]) * 4;  // 2 / (1 + i/8), then scaled by 2^e
  z = e > 0 ? shl32(z, e) : asr32(z, -e);
  constexpr int32_t kTwo = 0x20000;  // 2.0
  z = fixmul16(z, sub32(kTwo, fixmul16(d, z)));
  z = fixmul16(z, sub32(kTwo, fixmul16(d, z)));
  return negative ? neg32(z) : z;
}

}  // namespace fixedpoint
