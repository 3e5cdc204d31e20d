// libFuzzer target (scripts/fuzz.sh): raw values through every maths operation. Catches what the
// sanitizers see and any closed form, shared-divisor quotients included, off a 128-bit reference.
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "fixedpoint/divide.h"
#include "fixedpoint/fixed_point.h"
#include "fixedpoint/trig.h"
#include "vmath/vmath.h"

namespace {

using namespace fixedpoint;
using vec3 = vmath::vec3<fixed>;
using vec4 = vmath::vec4<fixed>;

// Reads raw words from the input, cycling once it runs out (zeros from an empty one).
struct Words {
  const uint8_t* data;
  size_t size, pos = 0;
  int32_t next() {
    uint32_t w = 0;
    for (int b = 0; b < 4; ++b) w |= uint32_t{size == 0 ? uint8_t{0} : data[pos++ % size]} << (8 * b);
    return static_cast<int32_t>(w);
  }
  fixed fx() { return fixed::from_raw(next()); }
};

// The reference: exact integers in 128 bits, then the stated reduction to 32.
int32_t Low32(__int128 v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }  // modulo 2^32
int32_t Shifted(__int128 sum) { return Low32(sum >> 16); }  // arithmetic: floor
__int128 P(fixed a, fixed b) { return static_cast<__int128>(a.raw()) * b.raw(); }
int32_t Neg32(int32_t v) { return Low32(-static_cast<__int128>(v)); }

void Check(bool ok) { if (!ok) std::abort(); }
void Keep(int32_t v) { volatile int32_t sink = v; (void)sink; }  // computed only: its work may not be dropped

void ScalarOps(Words& in) {
  const fixed a = in.fx(), b = in.fx();
  const __int128 ra = a.raw(), rb = b.raw();
  Check((a + b).raw() == Low32(ra + rb) && (a - b).raw() == Low32(ra - rb) && (-a).raw() == Low32(-ra));
  Check((a * b).raw() == Shifted(ra * rb) && fixmul16(a.raw(), b.raw()) == Shifted(ra * rb));
  const int32_t c = in.fx().raw();
  Check(fixmuladd16(c, a.raw(), b.raw()) == Low32(static_cast<__int128>(c) + Shifted(ra * rb)));
  if (b.raw() != 0) {  // division by zero is the caller's to rule out
    const __int128 q = ra * 65536 / rb;  // __int128 division truncates
    Check((a / b).raw() == Low32(q) && fixdiv16(a.raw(), b.raw()) == Low32(q));
    // The shared-divisor quotient, for the 16.16 dividend and a 32-bit one.
    const Divisor d = MakeDivisor(b.raw());
    Check(Divide(shl64(a.raw(), 16), d) == q && Divide(a.raw(), d) == ra / rb);
  }
  Check(a.to_int() == static_cast<int32_t>(ra >> 16) && fixed(a.raw()).raw() == Low32(ra * 65536));
  Check((a < b) == (ra < rb) && (a <= b) == (ra <= rb) && (a == b) == (ra == rb));

  // float2fix of any bit pattern, NaN and infinities included: truncated, else saturated.
  const float f = std::bit_cast<float>(in.next());
  const long double scaled = static_cast<long double>(f) * 65536.0L;
  Check(float2fix<16>(f) == (scaled != scaled              ? 0
                             : scaled >= 2147483648.0L     ? INT32_MAX
                             : scaled < -2147483648.0L     ? INT32_MIN
                                                           : static_cast<int32_t>(scaled)));

  // The open-form functions: only that they return, and the stated output ranges.
  const int32_t s = fixsin16(a.raw()), co = fixcos16(a.raw());
  Check(s >= -65534 && s <= 65534 && co >= -65534 && co <= 65534);
  Keep(fixinv<16>(a.raw()) ^ fixrsqrt16(a.raw()) ^ fixsqrt16(a.raw()));
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
  vmath::mat4<fixed> m{};
  for (fixed& e : m.m) e = in.fx();
  const vec4 product = m * u;
  for (int i = 0; i < 4; ++i) {
    Check(scaled[i].raw() == Shifted(P(u[i], s)) && sum[i].raw() == Low32(__int128{u[i].raw()} + v[i].raw()));
    __int128 acc = 0;
    for (int j = 0; j < 4; ++j) acc += P(m.m[4 * i + j], u[j]);
    Check(product[i].raw() == Shifted(acc));
  }
  const vmath::mat3<fixed> o = vmath::outer(a, b);
  for (int i = 0; i < 9; ++i) Check(o.m[i].raw() == Shifted(P(a[i / 3], b[i % 3])));

  // Normalisation and rotation of arbitrary (also far too long) vectors: return only.
  Keep(vmath::normalize(a).x.raw() ^ vmath::normalize(u).w.raw() ^ vmath::rotation(s, a).m[5].raw());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Words in{data, size};
  ScalarOps(in);
  VectorOps(in);
  return 0;
}
