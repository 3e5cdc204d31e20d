// print.h (tests only): shows fixed-point values in failure messages as the number
// and its raw hex word, since a raw difference of 1 is invisible in decimal.
#pragma once

#include <cstdint>
#include <ios>
#include <ostream>

#include "fixedpoint/fixed_point.h"

namespace fixedpoint {

template <int F>
void PrintTo(const fixed_point<F>& v, std::ostream* os) {
  const std::ios::fmtflags flags = os->flags();
  *os << static_cast<double>(v.raw()) / static_cast<double>(int64_t{1} << F) << " (raw 0x" << std::hex
      << static_cast<uint32_t>(v.raw()) << ")";
  os->flags(flags);
}

}  // namespace fixedpoint
