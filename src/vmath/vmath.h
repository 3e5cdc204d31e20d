// vmath.h: vec3, vec4, mat3, mat4 as plain aggregates of fixed-point elements, with
// every sum of products accumulated exactly in 64 bits and shifted down once.
#pragma once

#include <concepts>
#include <cstdint>

#include "fixedpoint/fixed_point.h"
#include "fixedpoint/trig.h"

namespace vmath {

template <class T>
struct vec3 {
  using value_type = T;
  static constexpr int size = 3;
  T x, y, z;
  constexpr bool operator==(const vec3&) const = default;  // element by element
  constexpr T& operator[](int i) { return i == 0 ? x : i == 1 ? y : z; }
  constexpr const T& operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
};

template <class T>
struct vec4 {
  using value_type = T;
  static constexpr int size = 4;
  T x, y, z, w;
  constexpr bool operator==(const vec4&) const = default;  // element by element
  constexpr T& operator[](int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
  constexpr const T& operator[](int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
};

// Row-major: element (row r, column c) at m[3r + c]; multiplies column vectors.
template <class T>
struct mat3 {
  using value_type = T;
  static constexpr int size = 9;
  T m[9];
  constexpr bool operator==(const mat3&) const = default;  // element by element
  constexpr T& operator[](int i) { return m[i]; }
  constexpr const T& operator[](int i) const { return m[i]; }
};

// Row-major: element (row r, column c) at m[4r + c]; multiplies column vectors.
template <class T>
struct mat4 {
  using value_type = T;
  static constexpr int size = 16;
  T m[16];
  constexpr bool operator==(const mat4&) const = default;  // element by element
  constexpr T& operator[](int i) { return m[i]; }
  constexpr const T& operator[](int i) const { return m[i]; }
};

// Any of the four containers above.
template <class C>
concept Container = requires(C c) {
  typename C::value_type;
  { C::size } -> std::convertible_to<int>;
  c[0];
};

// Component-wise operators, written once for every container.
template <Container C>
constexpr C operator+(const C& a, const C& b) {
  C r;
  for (int i = 0; i < C::size; ++i) r[i] = a[i] + b[i];
  return r;
}
template <Container C>
constexpr C operator-(const C& a, const C& b) {
  C r;
  for (int i = 0; i < C::size; ++i) r[i] = a[i] - b[i];
  return r;
}
template <Container C>
constexpr C operator-(const C& a) {
  C r;
  for (int i = 0; i < C::size; ++i) r[i] = -a[i];
  return r;
}
template <Container C>
constexpr C operator*(const C& a, const typename C::value_type& s) {
  C r;
  for (int i = 0; i < C::size; ++i) r[i] = a[i] * s;
  return r;
}
template <Container C>
constexpr C operator*(const typename C::value_type& s, const C& a) {
  return a * s;
}

// Exact accumulation: full 64-bit products summed (modulo 2^64) and shifted once.
template <int F>
constexpr int64_t wide_product(fixedpoint::fixed_point<F> a, fixedpoint::fixed_point<F> b) {
  return static_cast<int64_t>(a.raw()) * b.raw();
}
template <int F>
constexpr fixedpoint::fixed_point<F> narrow(int64_t sum) {
  return fixedpoint::fixed_point<F>::from_raw(fixedpoint::low32(fixedpoint::asr64(sum, F)));
}
template <int F>
constexpr fixedpoint::fixed_point<F> accumulate2(fixedpoint::fixed_point<F> a0, fixedpoint::fixed_point<F> b0,
                                                 fixedpoint::fixed_point<F> a1, fixedpoint::fixed_point<F> b1) {
  return narrow<F>(fixedpoint::add64(wide_product(a0, b0), wide_product(a1, b1)));
}

template <int F>
constexpr fixedpoint::fixed_point<F> dot2(const fixedpoint::fixed_point<F>& a0, const fixedpoint::fixed_point<F>& a1,
                                          const fixedpoint::fixed_point<F>& b0, const fixedpoint::fixed_point<F>& b1) {
  return accumulate2(a0, b0, a1, b1);
}

template <class T>
constexpr T dot(const vec3<T>& a, const vec3<T>& b) {
  int64_t s = wide_product(a.x, b.x);
  s = fixedpoint::add64(s, wide_product(a.y, b.y));
  s = fixedpoint::add64(s, wide_product(a.z, b.z));
  return narrow<16>(s);
}
template <class T>
constexpr T dot(const vec4<T>& a, const vec4<T>& b) {
  int64_t s = wide_product(a.x, b.x);
  s = fixedpoint::add64(s, wide_product(a.y, b.y));
  s = fixedpoint::add64(s, wide_product(a.z, b.z));
  s = fixedpoint::add64(s, wide_product(a.w, b.w));
  return narrow<16>(s);
}

template <class T>
constexpr vec4<T> operator*(const mat4<T>& m, const vec4<T>& v) {
  vec4<T> r;
  for (int i = 0; i < 4; ++i) {
    int64_t s = wide_product(m.m[4 * i], v.x);
    s = fixedpoint::add64(s, wide_product(m.m[4 * i + 1], v.y));
    s = fixedpoint::add64(s, wide_product(m.m[4 * i + 2], v.z));
    s = fixedpoint::add64(s, wide_product(m.m[4 * i + 3], v.w));
    r[i] = narrow<16>(s);
  }
  return r;
}

template <class T>
constexpr mat4<T> operator*(const mat4<T>& a, const mat4<T>& b) {
  mat4<T> p;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      int64_t s = 0;
      for (int k = 0; k < 4; ++k) s = fixedpoint::add64(s, wide_product(a.m[4 * i + k], b.m[4 * k + j]));
      p.m[4 * i + j] = narrow<16>(s);
    }
  }
  return p;
}

// Each component a two-term accumulation; the subtrahend's factor is negated
// (wrapping) before it is multiplied.
template <class T>
constexpr vec3<T> cross(const vec3<T>& a, const vec3<T>& b) {
  return vec3<T>{accumulate2(a.y, b.z, a.z, -b.y), accumulate2(a.z, b.x, a.x, -b.z),
                 accumulate2(a.x, b.y, a.y, -b.x)};
}

// v scaled by fixrsqrt16 of its squared length; the zero vector stays zero. The
// squared length must stay below 32768.0 (vectors shorter than about 181.0).
template <class T>
vec3<T> normalize(const vec3<T>& v) {
  return v * T::from_raw(fixedpoint::fixrsqrt16(dot(v, v).raw()));
}
// All four components take part, w included.
template <class T>
vec4<T> normalize(const vec4<T>& v) {
  return v * T::from_raw(fixedpoint::fixrsqrt16(dot(v, v).raw()));
}

template <class T>
constexpr mat3<T> identity3() {
  const T o(0), l(1);
  return mat3<T>{{l, o, o, o, l, o, o, o, l}};
}
template <class T>
constexpr mat4<T> identity4() {
  const T o(0), l(1);
  return mat4<T>{{l, o, o, o, o, l, o, o, o, o, l, o, o, o, o, l}};
}

// The 3x3 block in rows and columns 0..2; row and column 3 from the identity.
template <class T>
constexpr mat4<T> to_mat4(const mat3<T>& a) {
  const T o(0), l(1);
  return mat4<T>{{a.m[0], a.m[1], a.m[2], o, a.m[3], a.m[4], a.m[5], o,
                  a.m[6], a.m[7], a.m[8], o, o, o, o, l}};
}

// Element (i, j) = a_i b_j, one fixed-point product each.
template <class T>
constexpr mat3<T> outer(const vec3<T>& a, const vec3<T>& b) {
  mat3<T> r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) r.m[3 * i + j] = a[i] * b[j];
  }
  return r;
}

// Rotation by angle (raw radians) about axis, by Rodrigues' formula in exactly
// this grouping: R = (O + c (I - O)) + s K, with k the normalised axis, O = k k^T
// and K the cross-product matrix of k.
template <class T>
mat4<T> rotation(const T& angle, const vec3<T>& axis) {
  const vec3<T> k = normalize(axis);
  const T o(0);
  const mat3<T> K{{o, -k.z, k.y, k.z, o, -k.x, -k.y, k.x, o}};
  const mat3<T> O = outer(k, k);
  const T c = T::from_raw(fixedpoint::fixcos16(angle.raw()));
  const T s = T::from_raw(fixedpoint::fixsin16(angle.raw()));
  const mat3<T> R = (O + c * (identity3<T>() - O)) + s * K;
  return to_mat4(R);
}

// The view matrix of an eye at eye looking at target, up towards the top of the
// screen: the rotation whose rows are s, u and -f (f the unit direction of view,
// s = normalize(f x up), u = s x f) times the translation by -eye, multiplied out.
// An eye on the target has f = 0, so s and u are 0 too (normalize of zero is zero,
// no division): only the w row is left.
template <class T>
mat4<T> look_at(const vec3<T>& eye, const vec3<T>& target, const vec3<T>& up) {
  const vec3<T> f = normalize(target - eye);
  const vec3<T> s = normalize(cross(f, up));
  const vec3<T> u = cross(s, f);
  const T o(0), l(1);
  const mat4<T> rotation{{s.x, s.y, s.z, o, u.x, u.y, u.z, o, -f.x, -f.y, -f.z, o, o, o, o, l}};
  const mat4<T> translation{{l, o, o, -eye.x, o, l, o, -eye.y, o, o, l, -eye.z, o, o, o, l}};
  return rotation * translation;
}

}  // namespace vmath
