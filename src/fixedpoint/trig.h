// trig.h: sine, cosine, reciprocal square root and square root on raw 16.16 values,
// from two small tables and Newton-Raphson steps, with no division and no floating point.
#pragma once

#include <cstdint>

namespace fixedpoint {

// Quarter sine wave, 0 to pi/2 inclusive: entry i is floor(65535 sin(i pi / 2046)),
// and the last entry is 65534. Indexed by bits 20..29 of the angle as a fraction of
// a turn; the other quarters are mirror images and negations of it.
extern const uint16_t sin_tab[1024];

// Seeds of fixrsqrt16: entry i is floor(65536 / sqrt(2 + i/4)).
extern const uint16_t rsq_tab[8];

// Angles in raw radians. Negative angles are brought up by whole turns; the
// result lies in -65534..65534 (never exactly 1.0).
int fixsin16(int a);
int fixcos16(int a);

// 1/sqrt(x) for x > 0 (2147483647 for 0): seed from the leading four bits, three
// Newton steps. Within 0.05% from 1/256 to 256.
int fixrsqrt16(int x);

// sqrt(x) by six steps of Heron's method with fixinv for the division: within 22 raw
// from 1/16 to 16, drifting for large x. Inputs outside 0..32767.0 run the same
// steps in wrapping arithmetic and return a meaningless but repeatable value.
int fixsqrt16(int x);

}  // namespace fixedpoint
