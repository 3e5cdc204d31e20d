// print.h: shows a fixed-point value in test failures as its decimal value and raw hex.
#pragma once

#include <cstdio>
#include <ostream>

#include "fixedpoint/fixed_point.h"

namespace fixedpoint {
template <int F>
void PrintTo(const fixed_point<F>& v, std::ostream* os) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f (raw %d, 0x%08X)", v.raw() / double(1 << F), v.raw(),
                static_cast<unsigned>(v.raw()));
  *os << text;
}
}  // namespace fixedpoint
