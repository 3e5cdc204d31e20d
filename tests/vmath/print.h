// print.h (tests only): prints vectors and matrices element by element, each as its
// decimal value and raw hex, so a one-unit difference is visible in a failure.
#pragma once

#include <ostream>

#include "fixedpoint/print.h"
#include "vmath/vmath.h"

namespace vmath {

template <Container C>
void PrintTo(const C& a, std::ostream* os) {
  for (int i = 0; i < C::size; ++i) *os << (i == 0 ? "{" : ", "), PrintTo(a[i], os);
  *os << "}";
}

}  // namespace vmath
