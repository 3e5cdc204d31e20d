#include "particles/project_x86.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "particles/projection.h"

namespace particles {
namespace {

// The loads and stores below take these fields as runs of 32-bit words.
static_assert(sizeof(vec4) == 16 && offsetof(Particle3DData, position) == 0);
static_assert(sizeof(ClipXY) == 8);
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

// The 16.16 quotients a / w of four lanes, truncated toward zero, low 32 bits, for
// w != 0. In double precision a 2^16 and w are exact and the quotient is correctly
// rounded; the rounding cannot carry it across an integer, since |a 2^16| < 2^53 keeps
// the error below 1 / |w|, the least distance from a non-integer quotient to an integer.
__attribute__((target("avx2"))) inline __m128i Quotients4(__m128i a, __m256d w) {
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

// x and y of four particles into their clip records.
inline void StoreClips(Particle3DData* d, __m128i x, __m128i y) {
  const __m128i lo = _mm_unpacklo_epi32(x, y), hi = _mm_unpackhi_epi32(x, y);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[0].clip), lo);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[1].clip), _mm_unpackhi_epi64(lo, lo));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[2].clip), hi);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[3].clip), _mm_unpackhi_epi64(hi, hi));
}

// One channel of four colours, its five bits at bit 0 of each lane, after fade steps.
__attribute__((target("avx2"))) inline __m128i FadeChannel4(__m128i bits, __m128i fade) {
  const __m128i channel = _mm_and_si128(bits, _mm_set1_epi32(31));
  return _mm_max_epi32(_mm_sub_epi32(channel, fade), _mm_setzero_si128());
}

// Shade() of four colours, with DepthFade() of their w (0 < w < 2^31 where it is kept)
// as the multiply and shift projection.h gives for it.
__attribute__((target("avx2"))) inline __m128i Shade4(__m128i colour, __m128i w) {
  const __m256i wide = _mm256_mul_epu32(_mm256_cvtepi32_epi64(w), _mm256_set1_epi64x(kFadeMultiplier));
  const __m128i fade = Low32(_mm256_srli_epi64(wide, kFadeShift));
  const __m128i red = FadeChannel4(_mm_srli_epi32(colour, 11), fade);
  const __m128i green = FadeChannel4(_mm_srli_epi32(colour, 6), fade);  // its top five bits
  const __m128i blue = FadeChannel4(colour, fade);
  return _mm_or_si128(_mm_or_si128(_mm_slli_epi32(red, 11), _mm_slli_epi32(green, 6)), blue);
}

// (world - centre) 2^16 of four lanes, wrapping in 32 bits, over the zoom, plus the screen
// centre: the 2D pass's Project, exact in double as Quotients4 explains.
__attribute__((target("avx2"))) inline __m128i ToScreen4(__m128i world, __m128i centre, __m256d zoom,
                                                         int32_t screenCentre) {
  const __m128i offset = _mm_slli_epi32(_mm_sub_epi32(world, centre), 16);
  return _mm_add_epi32(_mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(offset), zoom)),
                       _mm_set1_epi32(screenCentre));
}

// Stamp3D's centre along one axis of four lanes: (q * span + (span + 1) 2^16) >> 16,
// modulo 2^32 before the logical shift.
__attribute__((target("avx2"))) inline __m128i StampCentre4(__m128i q, int span) {
  const __m128i scaled = _mm_mullo_epi32(q, _mm_set1_epi32(span));
  return _mm_srli_epi32(_mm_add_epi32(scaled, _mm_set1_epi32((span + 1) << 16)), 16);
}

// StampFits along one axis of four lanes: 1 <= s <= size - 2.
inline __m128i StampFits4(__m128i s, int size) {
  return _mm_and_si128(_mm_cmpgt_epi32(s, _mm_setzero_si128()), _mm_cmplt_epi32(s, _mm_set1_epi32(size - 1)));
}

bool g_allowed = true;

}  // namespace

void AllowVectorProjection(bool allowed) { g_allowed = allowed; }

bool HaveVectorProjection() {
  static const bool have = __builtin_cpu_supports("avx2") != 0;
  return have && g_allowed;
}

__attribute__((target("avx2"))) unsigned Project2DVector(ParticleData* data, unsigned count, int32_t cx,
                                                       int32_t cy, int32_t zoom, ScreenStamp*& stamps) {
  ScreenStamp* out = stamps;  // a local cursor: the stamps' stores cannot change it
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
    const __m128i sx = ToScreen4(xs, centreX, zoomd, kScreenCentreX);
    const __m128i sy = ToScreen4(ys, centreY, zoomd, kScreenCentreY);
    const int mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(StampFits4(sx, kScreenWidth),
                                                                    StampFits4(sy, kScreenHeight))));
    const __m128i lo = _mm_unpacklo_epi32(sx, sy), hi = _mm_unpackhi_epi32(sx, sy);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[0].screenX), lo);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[1].screenX), _mm_unpackhi_epi64(lo, lo));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[2].screenX), hi);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&d[3].screenX), _mm_unpackhi_epi64(hi, hi));
    alignas(16) int32_t x[4], y[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(x), sx);
    _mm_store_si128(reinterpret_cast<__m128i*>(y), sy);
    for (int j = 0; j < 4; ++j) {
      d[j].visible = static_cast<uint8_t>((mask >> j) & 1);
      *out = ScreenStamp{x[j], y[j], d[j].colour};  // kept when visible: the cursor moves past it
      out += d[j].visible;
    }
  }
  stamps = out;
  return k;
}

__attribute__((target("avx2"))) unsigned Project3DVector(Particle3DData* data, unsigned count,
                                                       const ClipRows& rows, ScreenStamp*& stamps) {
  ScreenStamp* out = stamps;  // a local cursor, as Project2DVector's
  __m256i m[12];
  const vec4* const row[] = {&rows.x, &rows.y, &rows.w};
  for (int i = 0; i < 12; ++i) m[i] = _mm256_set1_epi64x((*row[i / 4])[i % 4].raw());
  const __m128i edge = _mm_set1_epi32(kClipEdge);                 // 1.0
  const __m128i belowMinusEdge = _mm_set1_epi32(-kClipEdge - 1);  // just under -1.0
  unsigned k = 0;
  for (; k + 4 <= count; k += 4) {
    Particle3DData* const d = data + k;
    __m128i px, py, pz, pw;
    Transpose4(d, &px, &py, &pz, &pw);
    const __m256i x = _mm256_cvtepi32_epi64(px), y = _mm256_cvtepi32_epi64(py);
    const __m256i z = _mm256_cvtepi32_epi64(pz), w = _mm256_cvtepi32_epi64(pw);
    const __m128i cx = Row(m + 0, x, y, z, w), cy = Row(m + 4, x, y, z, w), cw = Row(m + 8, x, y, z, w);

    // In front of the camera: x and y divided by w. Elsewhere the lanes' quotients
    // (of w <= 0, possibly 0) are computed and dropped.
    const __m128i front = _mm_cmpgt_epi32(cw, _mm_setzero_si128());
    const __m256d wd = _mm256_cvtepi32_pd(cw);
    const __m128i qx = _mm_blendv_epi8(cx, Quotients4(cx, wd), front);
    const __m128i qy = _mm_blendv_epi8(cy, Quotients4(cy, wd), front);
    // On screen (OnScreen): -1.0 <= x, y <= 1.0.
    const __m128i inX = _mm_andnot_si128(_mm_cmpgt_epi32(qx, edge), _mm_cmpgt_epi32(qx, belowMinusEdge));
    const __m128i inY = _mm_andnot_si128(_mm_cmpgt_epi32(qy, edge), _mm_cmpgt_epi32(qy, belowMinusEdge));
    const int mask = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(front, _mm_and_si128(inX, inY))));
    alignas(16) int32_t shaded[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(shaded),
                    Shade4(_mm_setr_epi32(d[0].colour, d[1].colour, d[2].colour, d[3].colour), cw));

    StoreClips(d, qx, qy);
    alignas(16) int32_t sx[4], sy[4];  // the stamps' centres, as Stamp3D makes them
    _mm_store_si128(reinterpret_cast<__m128i*>(sx), StampCentre4(qx, kStampHalfSpanX));
    _mm_store_si128(reinterpret_cast<__m128i*>(sy), StampCentre4(qy, kStampHalfSpanY));
    // The shaded colour is stored for a visible particle only: one off screen keeps its last.
    for (int j = 0; j < 4; ++j) {
      const bool on = ((mask >> j) & 1) != 0;
      d[j].visible = on ? 1 : 0;
      d[j].shadedColour = on ? static_cast<uint16_t>(shaded[j]) : d[j].shadedColour;
      *out = ScreenStamp{sx[j], sy[j], static_cast<uint16_t>(shaded[j])};  // kept when visible
      out += on ? 1 : 0;
    }
  }
  stamps = out;
  return k;
}

}  // namespace particles

#endif  // __x86_64__
