#include "particles/project_x86.h"

#if defined(__x86_64__)

// GCC 12's AVX-512 conversions start from an undefined vector, which it then reports
// as maybe uninitialized wherever they are inlined.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace particles {
namespace {

// The loads and stores below take these fields as runs of 32-bit words.
static_assert(sizeof(vec4) == 16 && offsetof(Particle3DData, position) == 0);
static_assert(offsetof(ParticleData, y) == offsetof(ParticleData, x) + 4);
static_assert(offsetof(ParticleData, screenY) == offsetof(ParticleData, screenX) + 4);

// 1.5 2^52 added to an integer-valued double below 2^51 in magnitude leaves that
// integer, two's complement, in the low mantissa bits: the quotient's low word.
constexpr double kLowBitsMagic = 6755399441055744.0;

// The low 32 bits of each 64-bit lane, in lane order.
__attribute__((target("avx2"))) inline __m128i Low32(__m256i v) {
  const __m256i pick = _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6);
  return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(v, pick));
}

// Row r of the matrix times the four positions: full 64-bit products summed modulo
// 2^64, then bits 16..47 (the same whether the shift is arithmetic or logical).
__attribute__((target("avx2"))) inline __m128i Row(const __m256i* m, __m256i x, __m256i y,
                                                   __m256i z, __m256i w) {
  __m256i sum = _mm256_mul_epi32(m[0], x);
  sum = _mm256_add_epi64(sum, _mm256_mul_epi32(m[1], y));
  sum = _mm256_add_epi64(sum, _mm256_mul_epi32(m[2], z));
  sum = _mm256_add_epi64(sum, _mm256_mul_epi32(m[3], w));
  return Low32(_mm256_srli_epi64(sum, 16));
}

// The 16.16 quotients a / w truncated toward zero, low 32 bits, for w != 0. In double
// precision a 2^16 and w are exact and the quotient is correctly rounded; the
// rounding cannot carry it across an integer, since |a 2^16| < 2^53 keeps the error
// below 1 / |w|, the least distance from a non-integer quotient to an integer.
__attribute__((target("avx2"))) inline __m128i Quotient16(__m128i a, __m256d w) {
  const __m256d n = _mm256_mul_pd(_mm256_cvtepi32_pd(a), _mm256_set1_pd(65536.0));
  const __m256d q = _mm256_round_pd(_mm256_div_pd(n, w), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  return Low32(_mm256_castpd_si256(_mm256_add_pd(q, _mm256_set1_pd(kLowBitsMagic))));
}

// The four positions at d, as x, y, z and w of the four (SSE2: any x86-64 CPU).
inline void Transpose4(const Particle3DData* d, __m128i* x, __m128i* y, __m128i* z, __m128i* w) {
  const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&d[0].position));
  const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&d[1].position));
  const __m128i p2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&d[2].position));
  const __m128i p3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&d[3].position));
  const __m128i t0 = _mm_unpacklo_epi32(p0, p1), t1 = _mm_unpackhi_epi32(p0, p1);
  const __m128i t2 = _mm_unpacklo_epi32(p2, p3), t3 = _mm_unpackhi_epi32(p2, p3);
  *x = _mm_unpacklo_epi64(t0, t2);
  *y = _mm_unpackhi_epi64(t0, t2);
  *z = _mm_unpacklo_epi64(t1, t3);
  *w = _mm_unpackhi_epi64(t1, t3);
}

// x, y, z, w of four particles back into their clip vectors.
inline void StoreClips(Particle3DData* d, __m128i x, __m128i y, __m128i z, __m128i w) {
  const __m128i u0 = _mm_unpacklo_epi32(x, y), u1 = _mm_unpackhi_epi32(x, y);
  const __m128i u2 = _mm_unpacklo_epi32(z, w), u3 = _mm_unpackhi_epi32(z, w);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&d[0].clip), _mm_unpacklo_epi64(u0, u2));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&d[1].clip), _mm_unpackhi_epi64(u0, u2));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&d[2].clip), _mm_unpacklo_epi64(u1, u3));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&d[3].clip), _mm_unpackhi_epi64(u1, u3));
}

// Visibility of n particles from the lanes' mask; the shaded colour is stored only
// for a visible one, so a particle off screen keeps its last one.
inline void StoreVisibility(Particle3DData* d, int n, int mask, const int32_t* shaded) {
  for (int j = 0; j < n; ++j) {
    const bool on = ((mask >> j) & 1) != 0;
    d[j].visible = on ? 1 : 0;
    d[j].shadedColour = on ? static_cast<uint16_t>(shaded[j]) : d[j].shadedColour;
  }
}

#define PARTICLES_WIDE __attribute__((target("avx2,avx512f,avx512dq,avx512vl")))

PARTICLES_WIDE inline __m256i Row8(const __m512i* m, __m512i x, __m512i y, __m512i z, __m512i w) {
  __m512i sum = _mm512_mul_epi32(m[0], x);
  sum = _mm512_add_epi64(sum, _mm512_mul_epi32(m[1], y));
  sum = _mm512_add_epi64(sum, _mm512_mul_epi32(m[2], z));
  sum = _mm512_add_epi64(sum, _mm512_mul_epi32(m[3], w));
  return _mm512_cvtepi64_epi32(_mm512_srli_epi64(sum, 16));
}

// As Quotient16 above, eight lanes; the truncated quotient (below 2^48) converts to a
// 64-bit integer exactly and its low word is kept.
PARTICLES_WIDE inline __m256i Quotient16x8(__m256i a, __m512d w) {
  const __m512d n = _mm512_mul_pd(_mm512_cvtepi32_pd(a), _mm512_set1_pd(65536.0));
  return _mm512_cvtepi64_epi32(_mm512_cvttpd_epi64(_mm512_div_pd(n, w)));
}

// Project3DVector eight particles at a time, for CPUs with AVX-512 (same arithmetic).
PARTICLES_WIDE unsigned Project3DWide(Particle3DData* data, unsigned count, const vmath::mat4<fixed>& viewProj) {
  __m512i m[16];
  for (int i = 0; i < 16; ++i) m[i] = _mm512_set1_epi64(viewProj.m[i].raw());
  const __m256i one = _mm256_set1_epi32(65536);             // 1.0
  const __m256i belowMinusOne = _mm256_set1_epi32(-65537);  // just under -1.0
  const __m256i five = _mm256_set1_epi32(31);
  const __m256i zero = _mm256_setzero_si256();

  unsigned k = 0;
  for (; k + 8 <= count; k += 8) {
    Particle3DData* const d = data + k;
    __m128i xl, yl, zl, wl, xh, yh, zh, wh;
    Transpose4(d, &xl, &yl, &zl, &wl);
    Transpose4(d + 4, &xh, &yh, &zh, &wh);
    const __m512i x = _mm512_cvtepi32_epi64(_mm256_set_m128i(xh, xl));
    const __m512i y = _mm512_cvtepi32_epi64(_mm256_set_m128i(yh, yl));
    const __m512i z = _mm512_cvtepi32_epi64(_mm256_set_m128i(zh, zl));
    const __m512i w = _mm512_cvtepi32_epi64(_mm256_set_m128i(wh, wl));

    const __m256i cx = Row8(m + 0, x, y, z, w);
    const __m256i cy = Row8(m + 4, x, y, z, w);
    const __m256i cz = Row8(m + 8, x, y, z, w);
    const __m256i cw = Row8(m + 12, x, y, z, w);

    const __m256i front = _mm256_cmpgt_epi32(cw, zero);
    const __m512d wd = _mm512_cvtepi32_pd(cw);
    const __m256i qx = _mm256_blendv_epi8(cx, Quotient16x8(cx, wd), front);
    const __m256i qy = _mm256_blendv_epi8(cy, Quotient16x8(cy, wd), front);
    const __m256i inX = _mm256_andnot_si256(_mm256_cmpgt_epi32(qx, one), _mm256_cmpgt_epi32(qx, belowMinusOne));
    const __m256i inY = _mm256_andnot_si256(_mm256_cmpgt_epi32(qy, one), _mm256_cmpgt_epi32(qy, belowMinusOne));
    const __m256i visible = _mm256_and_si256(front, _mm256_and_si256(inX, inY));

    const __m512i wide = _mm512_mul_epu32(_mm512_cvtepi32_epi64(cw), _mm512_set1_epi64(0x1DF5959F));
    const __m256i fade = _mm512_cvtepi64_epi32(_mm512_srli_epi64(wide, 45));
    const __m256i colour = _mm256_setr_epi32(d[0].colour, d[1].colour, d[2].colour, d[3].colour, d[4].colour,
                                             d[5].colour, d[6].colour, d[7].colour);
    const __m256i red = _mm256_max_epi32(_mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(colour, 11), five), fade), zero);
    const __m256i green = _mm256_max_epi32(_mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(colour, 6), five), fade), zero);
    const __m256i blue = _mm256_max_epi32(_mm256_sub_epi32(_mm256_and_si256(colour, five), fade), zero);
    const __m256i shaded = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(red, 11), _mm256_slli_epi32(green, 6)), blue);

    StoreClips(d, _mm256_castsi256_si128(qx), _mm256_castsi256_si128(qy), _mm256_castsi256_si128(cz),
               _mm256_castsi256_si128(cw));
    StoreClips(d + 4, _mm256_extracti128_si256(qx, 1), _mm256_extracti128_si256(qy, 1),
               _mm256_extracti128_si256(cz, 1), _mm256_extracti128_si256(cw, 1));
    const int mask = _mm256_movemask_ps(_mm256_castsi256_ps(visible));
    alignas(32) int32_t os[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(os), shaded);
    StoreVisibility(d, 8, mask, os);
  }
  return k;
}

#undef PARTICLES_WIDE

bool g_allowed = true;
bool g_wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
              __builtin_cpu_supports("avx512vl");

}  // namespace

void AllowVectorProjection(bool allowed) { g_allowed = allowed; }

bool HaveVectorProjection() {
  static const bool have = __builtin_cpu_supports("avx2") != 0;
  return have && g_allowed;
}

__attribute__((target("avx2"))) unsigned Project2DVector(ParticleData* data, unsigned count, int32_t cx,
                                                       int32_t cy, int32_t zoom) {
  const __m128i centreX = _mm_set1_epi32(cx), centreY = _mm_set1_epi32(cy);
  const __m256d zoomd = _mm256_set1_pd(zoom);
  unsigned k = 0;
  for (; k + 4 <= count; k += 4) {
    ParticleData* const d = data + k;
    // x, y of four particles, then all x and all y.
    const __m128i p01 = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&d[0].x)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&d[1].x)));
    const __m128i p23 = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&d[2].x)),
                                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&d[3].x)));
    const __m128i xs = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(p01), _mm_castsi128_ps(p23), 0x88));
    const __m128i ys = _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(p01), _mm_castsi128_ps(p23), 0xDD));
    // (world - centre) 2^16, wrapping in 32 bits, over the zoom: exact in double as
    // Quotient16 explains; then the screen centre.
    const __m128i sx = _mm_add_epi32(
        _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(_mm_slli_epi32(_mm_sub_epi32(xs, centreX), 16)), zoomd)),
        _mm_set1_epi32(160));
    const __m128i sy = _mm_add_epi32(
        _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(_mm_slli_epi32(_mm_sub_epi32(ys, centreY), 16)), zoomd)),
        _mm_set1_epi32(120));
    // The stamp fits: 1 <= x <= 318 and 1 <= y <= 238.
    const __m128i inX = _mm_and_si128(_mm_cmpgt_epi32(sx, _mm_setzero_si128()), _mm_cmplt_epi32(sx, _mm_set1_epi32(319)));
    const __m128i inY = _mm_and_si128(_mm_cmpgt_epi32(sy, _mm_setzero_si128()), _mm_cmplt_epi32(sy, _mm_set1_epi32(239)));
    const int mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(inX, inY)));
    const __m128i lo = _mm_unpacklo_epi32(sx, sy), hi = _mm_unpackhi_epi32(sx, sy);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[0].screenX), lo);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[1].screenX), _mm_unpackhi_epi64(lo, lo));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[2].screenX), hi);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[3].screenX), _mm_unpackhi_epi64(hi, hi));
    for (int j = 0; j < 4; ++j) d[j].visible = static_cast<uint8_t>((mask >> j) & 1);
  }
  return k;
}

__attribute__((target("avx2"))) unsigned Project3DVector(Particle3DData* data, unsigned count,
                                                       const vmath::mat4<fixed>& viewProj) {
  __m256i m[16];
  for (int i = 0; i < 16; ++i) m[i] = _mm256_set1_epi64x(viewProj.m[i].raw());
  const __m128i one = _mm_set1_epi32(65536);              // 1.0
  const __m128i belowMinusOne = _mm_set1_epi32(-65537);   // just under -1.0
  const __m128i five = _mm_set1_epi32(31);
  const __m128i zero = _mm_setzero_si128();

  unsigned k = g_wide ? Project3DWide(data, count, viewProj) : 0;
  for (; k + 4 <= count; k += 4) {
    Particle3DData* const d = data + k;
    __m128i px, py, pz, pw;
    Transpose4(d, &px, &py, &pz, &pw);
    const __m256i x = _mm256_cvtepi32_epi64(px);
    const __m256i y = _mm256_cvtepi32_epi64(py);
    const __m256i z = _mm256_cvtepi32_epi64(pz);
    const __m256i w = _mm256_cvtepi32_epi64(pw);

    const __m128i cx = Row(m + 0, x, y, z, w);
    const __m128i cy = Row(m + 4, x, y, z, w);
    const __m128i cz = Row(m + 8, x, y, z, w);
    const __m128i cw = Row(m + 12, x, y, z, w);

    // In front of the camera: x and y divided by w. Elsewhere the lanes' quotients
    // (of w <= 0, possibly 0) are computed and dropped.
    const __m128i front = _mm_cmpgt_epi32(cw, zero);
    const __m256d wd = _mm256_cvtepi32_pd(cw);
    const __m256i w64 = _mm256_cvtepi32_epi64(cw);
    const __m128i qx = _mm_blendv_epi8(cx, Quotient16(cx, wd), front);
    const __m128i qy = _mm_blendv_epi8(cy, Quotient16(cy, wd), front);
    // On screen: -1.0 <= x, y <= 1.0.
    const __m128i inX = _mm_andnot_si128(_mm_cmpgt_epi32(qx, one), _mm_cmpgt_epi32(qx, belowMinusOne));
    const __m128i inY = _mm_andnot_si128(_mm_cmpgt_epi32(qy, one), _mm_cmpgt_epi32(qy, belowMinusOne));
    const __m128i visible = _mm_and_si128(front, _mm_and_si128(inX, inY));

    // Depth shading: w / 70000 for 0 < w < 2^31 as floor(w 0x1DF5959F / 2^45), the
    // compiler's own multiply for that quotient; taken off each channel and floored
    // at 0; green keeps its top five bits.
    const __m256i wide = _mm256_mul_epu32(w64, _mm256_set1_epi64x(0x1DF5959F));
    const __m128i fade = Low32(_mm256_srli_epi64(wide, 45));
    const __m128i colour = _mm_setr_epi32(d[0].colour, d[1].colour, d[2].colour, d[3].colour);
    const __m128i red = _mm_max_epi32(_mm_sub_epi32(_mm_and_si128(_mm_srli_epi32(colour, 11), five), fade), zero);
    const __m128i green = _mm_max_epi32(_mm_sub_epi32(_mm_and_si128(_mm_srli_epi32(colour, 6), five), fade), zero);
    const __m128i blue = _mm_max_epi32(_mm_sub_epi32(_mm_and_si128(colour, five), fade), zero);
    const __m128i shaded =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi32(red, 11), _mm_slli_epi32(green, 6)), blue);

    StoreClips(d, qx, qy, cz, cw);
    const int mask = _mm_movemask_ps(_mm_castsi128_ps(visible));
    alignas(16) int32_t os[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(os), shaded);
    StoreVisibility(d, 4, mask, os);
  }
  return k;
}

}  // namespace particles

#endif  // __x86_64__
