// maths_fuzz.cpp: libFuzzer target feeding arbitrary raw values to every fixed-point
// and vector operation. Catches any undefined behaviour the sanitizers can see
// (overflowing signed arithmetic, bad shifts, out-of-range conversions, table reads
// out of bounds, runaway recursion) and any closed-form result that differs from a
// plain 128-bit reference, the shared-divisor quotients included. Built and run by
// scripts/fuzz.sh.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fixedpoint/divide.h"
#include "fixedpoint/fixed_point.h"
#include "fixedpoint/trig.h"
#include "vmath/vmath.h"

namespace {

using fixed = fixedpoint::fixed_point<16>;
using vec3 = vmath::vec3<fixed>;
using vec4 = vmath::vec4<fixed>;
using mat3 = vmath::mat3<fixed>;
using mat4 = vmath::mat4<fixed>;

// Reads raw words from the input, cycling once it runs out.
class Words {
 public:
  Words(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int32_t next() {
    uint32_t w = 0;
    for (int b = 0; b < 4; ++b) w |= uint32_t{size_ == 0 ? uint8_t{0} : data_[pos_++ % size_]} << (8 * b);
    return static_cast<int32_t>(w);
  }
  fixed fx() { return fixed::from_raw(next()); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// The reference: exact integers in 128 bits, then the stated reduction to 32.
int32_t Low32(__int128 v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned __int128>(v))); }
int32_t Shifted(__int128 sum) { return Low32(sum >> 16); }  // arithmetic: floor
__int128 P(fixed a, fixed b) { return static_cast<__int128>(a.raw()) * b.raw(); }
int32_t Neg32(int32_t v) { return Low32(-static_cast<__int128>(v)); }

void Check(bool ok) {
  if (!ok) std::abort();
}

void ScalarOps(Words& in) {
  const fixed a = in.fx(), b = in.fx();
  const __int128 ra = a.raw(), rb = b.raw();
  Check((a + b).raw() == Low32(ra + rb));
  Check((a - b).raw() == Low32(ra - rb));
  Check((-a).raw() == Low32(-ra));
  Check((a * b).raw() == Shifted(ra * rb));
  Check(fixedpoint::fixmul16(a.raw(), b.raw()) == Shifted(ra * rb));
  if (b.raw() != 0) {  // division by zero is the caller's to rule out
    Check((a / b).raw() == Low32((ra * 65536) / rb));  // __int128 division truncates
    Check(fixedpoint::fixdiv16(a.raw(), b.raw()) == Low32((ra * 65536) / rb));
    // The shared-divisor quotient, for the 16.16 dividend and a 32-bit one.
    const fixedpoint::Divisor d = fixedpoint::MakeDivisor(b.raw());
    Check(fixedpoint::Divide(fixedpoint::shl64(a.raw(), 16), d) == static_cast<int64_t>((ra * 65536) / rb));
    Check(fixedpoint::Divide(a.raw(), d) == static_cast<int64_t>(ra / rb));
  }
  Check(a.to_int() == static_cast<int32_t>(ra >> 16));
  Check(fixed(a.raw()).raw() == Low32(ra * 65536));
  Check((a < b) == (ra < rb) && (a <= b) == (ra <= rb) && (a == b) == (ra == rb));

  // float2fix of any bit pattern, NaN and infinities included.
  float f;
  const int32_t bits = in.next();
  std::memcpy(&f, &bits, sizeof f);
  const long double scaled = static_cast<long double>(f) * 65536.0L;
  const int got = fixedpoint::float2fix<16>(f);
  if (scaled != scaled) {
    Check(got == 0);
  } else if (scaled >= 2147483648.0L) {
    Check(got == INT32_MAX);
  } else if (scaled < -2147483648.0L) {
    Check(got == INT32_MIN);
  } else {
    Check(got == static_cast<int32_t>(scaled));
  }

  // The open-form functions: only that they return, and the stated output ranges.
  const int32_t s = fixedpoint::fixsin16(a.raw()), co = fixedpoint::fixcos16(a.raw());
  Check(s >= -65534 && s <= 65534 && co >= -65534 && co <= 65534);
  volatile int32_t sink = fixedpoint::fixinv<16>(a.raw());
  sink = fixedpoint::fixrsqrt16(a.raw());
  sink = fixedpoint::fixsqrt16(a.raw());
  (void)sink;
}

void VectorOps(Words& in) {
  const vec3 a{in.fx(), in.fx(), in.fx()}, b{in.fx(), in.fx(), in.fx()};
  const vec4 u{in.fx(), in.fx(), in.fx(), in.fx()}, v{in.fx(), in.fx(), in.fx(), in.fx()};
  const fixed s = in.fx();

  Check(vmath::dot2(a.x, a.y, b.x, b.y).raw() == Shifted(P(a.x, b.x) + P(a.y, b.y)));
  Check(vmath::dot(a, b).raw() == Shifted(P(a.x, b.x) + P(a.y, b.y) + P(a.z, b.z)));
  Check(vmath::dot(u, v).raw() == Shifted(P(u.x, v.x) + P(u.y, v.y) + P(u.z, v.z) + P(u.w, v.w)));

  const vec3 c = vmath::cross(a, b);
  const auto term = [](fixed p, int32_t q) { return static_cast<__int128>(p.raw()) * q; };
  Check(c.x.raw() == Shifted(P(a.y, b.z) + term(a.z, Neg32(b.y.raw()))));
  Check(c.y.raw() == Shifted(P(a.z, b.x) + term(a.x, Neg32(b.z.raw()))));
  Check(c.z.raw() == Shifted(P(a.x, b.y) + term(a.y, Neg32(b.x.raw()))));

  const vec4 scaled = s * u, sum = u + v;
  for (int i = 0; i < 4; ++i)
    Check(scaled[i].raw() == Shifted(P(u[i], s)) && sum[i].raw() == Low32(static_cast<__int128>(u[i].raw()) + v[i].raw()));
  mat4 m{};
  for (fixed& e : m.m) e = in.fx();
  const vec4 product = m * u;
  for (int i = 0; i < 4; ++i) {
    __int128 acc = 0;
    for (int j = 0; j < 4; ++j) acc += P(m.m[4 * i + j], u[j]);
    Check(product[i].raw() == Shifted(acc));
  }
  const mat3 o = vmath::outer(a, b);
  for (int i = 0; i < 9; ++i) Check(o.m[i].raw() == Shifted(P(a[i / 3], b[i % 3])));

  // Normalisation and rotation of arbitrary (also far too long) vectors: return only.
  volatile int32_t sink = vmath::normalize(a).x.raw();
  sink = vmath::normalize(u).w.raw();
  sink = vmath::rotation(s, a).m[5].raw();
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Words in(data, size);
  ScalarOps(in);
  VectorOps(in);
  return 0;
}
