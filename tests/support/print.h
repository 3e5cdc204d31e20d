// print.h: shows fixed-point values, vectors and matrices in test failures element by
// element as decimal value and raw hex, so a one-unit difference is visible.
#pragma once

#include <cstdio>
#include <ostream>

#include "fixedpoint/fixed_point.h"
#include "vmath/vmath.h"

namespace fixedpoint {
template <int F>
void PrintTo(const fixed_point<F>& v, std::ostream* os) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f (raw %d, 0x%08X)", v.raw() / double(1 << F), v.raw(),
                static_cast<unsigned>(v.raw()));
  *os << text;
}
}  // namespace fixedpoint

namespace vmath {
template <Container C>
void PrintTo(const C& a, std::ostream* os) {
  for (int i = 0; i < C::size; ++i) *os << (i == 0 ? "{" : ", "), PrintTo(a[i], os);
  *os << "}";
}
}  // namespace vmath
