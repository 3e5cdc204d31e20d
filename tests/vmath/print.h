// print.h (tests only): prints vectors and matrices element by element with each
// element's decimal value and raw hex, so a one-unit difference is visible.
#pragma once

#include <ostream>

#include "fixedpoint/print.h"
#include "vmath/vmath.h"

namespace vmath {

template <class T>
void PrintTo(const vec3<T>& v, std::ostream* os) {
  *os << "(";
  PrintTo(v.x, os), *os << ", ", PrintTo(v.y, os), *os << ", ", PrintTo(v.z, os);
  *os << ")";
}
template <class T>
void PrintTo(const vec4<T>& v, std::ostream* os) {
  *os << "(";
  PrintTo(v.x, os), *os << ", ", PrintTo(v.y, os), *os << ", ", PrintTo(v.z, os), *os << ", ";
  PrintTo(v.w, os);
  *os << ")";
}
template <class M>
void PrintElements(const M& a, int columns, std::ostream* os) {
  const int count = static_cast<int>(sizeof(a.m) / sizeof(a.m[0]));
  for (int i = 0; i < count; ++i) {
    *os << (i % columns == 0 ? (i == 0 ? "[" : "; ") : ", ");
    PrintTo(a.m[i], os);
  }
  *os << "]";
}
template <class T>
void PrintTo(const mat3<T>& a, std::ostream* os) { PrintElements(a, 3, os); }
template <class T>
void PrintTo(const mat4<T>& a, std::ostream* os) { PrintElements(a, 4, os); }

}  // namespace vmath
