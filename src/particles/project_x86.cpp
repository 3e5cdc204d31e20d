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

// GCC 12 warns of "uninitialised" values inside its own AVX-512 headers (their
// undefined-vector idiom) wherever they are inlined; nothing here reads one.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The eight-lane loop's instruction sets: 512-bit integer and double lanes (F), 64-bit
// conversions (DQ) and the masked 256-bit forms (VL).
#define PARTICLES_TARGET_WIDE __attribute__((target("avx2,avx512f,avx512dq,avx512vl,popcnt")))

// Row r of the matrix times eight positions, as Row does four.
PARTICLES_TARGET_WIDE inline __m256i Row8(const __m512i* m, __m512i x, __m512i y, __m512i z, __m512i w) {
  __m512i sum = _mm512_mul_epi32(m[0], x);
  sum = _mm512_add_epi64(sum, _mm512_mul_epi32(m[1], y));
  sum = _mm512_add_epi64(sum, _mm512_mul_epi32(m[2], z));
  sum = _mm512_add_epi64(sum, _mm512_mul_epi32(m[3], w));
  return _mm512_cvtepi64_epi32(_mm512_srli_epi64(sum, 16));
}

// Quotients4 for eight lanes: the truncated quotient converted to 64 bits (it is below
// 2^48 in magnitude), its low word kept.
PARTICLES_TARGET_WIDE inline __m256i Quotients8(__m256i a, __m512d w) {
  const __m512d n = _mm512_mul_pd(_mm512_cvtepi32_pd(a), _mm512_set1_pd(65536.0));
  return _mm512_cvtepi64_epi32(_mm512_cvtt_roundpd_epi64(_mm512_div_pd(n, w), _MM_FROUND_NO_EXC));
}

// FadeChannel4 and Shade4 for eight lanes.
PARTICLES_TARGET_WIDE inline __m256i FadeChannel8(__m256i bits, __m256i fade) {
  const __m256i channel = _mm256_and_si256(bits, _mm256_set1_epi32(31));
  return _mm256_max_epi32(_mm256_sub_epi32(channel, fade), _mm256_setzero_si256());
}
PARTICLES_TARGET_WIDE inline __m256i Shade8(__m256i colour, __m256i w) {
  const __m512i wide = _mm512_mul_epu32(_mm512_cvtepu32_epi64(w), _mm512_set1_epi64(kFadeMultiplier));
  const __m256i fade = _mm512_cvtepi64_epi32(_mm512_srli_epi64(wide, kFadeShift));
  const __m256i red = FadeChannel8(_mm256_srli_epi32(colour, 11), fade);
  const __m256i green = FadeChannel8(_mm256_srli_epi32(colour, 6), fade);
  const __m256i blue = FadeChannel8(colour, fade);
  return _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi32(red, 11), _mm256_slli_epi32(green, 6)), blue);
}

// StampCentre4 and OnScreen for eight lanes.
PARTICLES_TARGET_WIDE inline __m256i StampCentre8(__m256i q, int span) {
  const __m256i scaled = _mm256_mullo_epi32(q, _mm256_set1_epi32(span));
  return _mm256_srli_epi32(_mm256_add_epi32(scaled, _mm256_set1_epi32((span + 1) << 16)), 16);
}
PARTICLES_TARGET_WIDE inline __mmask8 OnScreen8(__m256i q) {
  const __m256i shifted = _mm256_add_epi32(q, _mm256_set1_epi32(kClipEdge));
  return _mm256_cmple_epu32_mask(shifted, _mm256_set1_epi32(2 * kClipEdge));
}

// In the word tables below: a lane whose word is masked off or dropped after.
constexpr int kAny = 0;

// Writes the stamps of the lanes in on, packed, as eight stamps' words at out and
// returns past the packed ones. The callers' stamps have room for the words past the
// last: no more stamps than particles come before these eight.
PARTICLES_TARGET_WIDE inline ScreenStamp* PackStamps8(ScreenStamp* out, __mmask8 on, __m256i x, __m256i y,
                                                     __m256i colour) {
  // The stamps' three words, lane by lane, from {x | y} and the colours.
  const __m512i low = _mm512_setr_epi32(0, 8, 16, 1, 9, 17, 2, 10, 18, 3, 11, 19, 4, 12, 20, 5);
  const __m512i high = _mm512_setr_epi32(13, 21, 6, 14, 22, 7, 15, 23, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny);
  const __m512i centres = _mm512_inserti64x4(_mm512_castsi256_si512(_mm256_maskz_compress_epi32(on, x)),
                                             _mm256_maskz_compress_epi32(on, y), 1);
  const __m512i colours = _mm512_castsi256_si512(_mm256_maskz_compress_epi32(on, colour));
  _mm512_storeu_si512(out, _mm512_permutex2var_epi32(centres, low, colours));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out) + 2,
                      _mm512_castsi512_si256(_mm512_permutex2var_epi32(centres, high, colours)));
  return out + _mm_popcnt_u32(on);
}

// ToScreen4 for eight lanes.
PARTICLES_TARGET_WIDE inline __m256i ToScreen8(__m256i world, __m256i centre, __m512d zoom, int32_t screenCentre) {
  const __m256i offset = _mm256_slli_epi32(_mm256_sub_epi32(world, centre), 16);
  return _mm256_add_epi32(_mm512_cvttpd_epi32(_mm512_div_pd(_mm512_cvtepi32_pd(offset), zoom)),
                          _mm256_set1_epi32(screenCentre));
}

// StampFits along one axis of eight lanes: 1 <= s <= size - 2, as one unsigned test.
PARTICLES_TARGET_WIDE inline __mmask8 StampFits8(__m256i s, int size) {
  return _mm256_cmple_epu32_mask(_mm256_sub_epi32(s, _mm256_set1_epi32(1)), _mm256_set1_epi32(size - 3));
}

int g_widest = 8;

}  // namespace

void LimitVectorProjection(int lanes) { g_widest = lanes; }

int VectorProjectionLanes() {
  static const int have = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                                  __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("popcnt")
                              ? 8
                              : __builtin_cpu_supports("avx2") ? 4 : 0;
  return have < g_widest ? have : g_widest;
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

PARTICLES_TARGET_WIDE unsigned Project2DWide(ParticleData* data, unsigned count, int32_t cx, int32_t cy,
                                             int32_t zoom, ScreenStamp*& stamps) {
  static_assert(sizeof(ParticleData) == 20 && offsetof(ParticleData, colour) == 16 &&
                offsetof(ParticleData, visible) == 18);
  ScreenStamp* out = stamps;
  const __m256i centreX = _mm256_set1_epi32(cx), centreY = _mm256_set1_epi32(cy);
  const __m512d zoomd = _mm512_set1_pd(zoom);
  // Eight records are 40 words, a the first 16, b the next 16 and c the last 8; record j's
  // x, y, screen x, screen y and colour word (colour, visible) are words 5j .. 5j + 4.
  // x and y of records 0..6 from a and b, 7 from c; likewise the colour words 0..5 and 6, 7.
  const __m512i xyAB = _mm512_setr_epi32(0, 5, 10, 15, 20, 25, 30, kAny, 1, 6, 11, 16, 21, 26, 31, kAny);
  const __m512i xyC = _mm512_setr_epi32(
      kAny, kAny, kAny, kAny, kAny, kAny, kAny, 3, kAny, kAny, kAny, kAny, kAny, kAny, kAny, 4);
  const __m512i wordsAB = _mm512_setr_epi32(
      4, 9, 14, 19, 24, 29, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny);
  const __m512i wordsC = _mm512_setr_epi32(
      kAny, kAny, kAny, kAny, kAny, kAny, 2, 7, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny);
  // Back, from {screen x | screen y} and the colour words (at 16..23): the words of a, b
  // and c that change, and where each comes from.
  const __m512i toA = _mm512_setr_epi32(kAny, kAny, 0, 8, 16, kAny, kAny, 1, 9, 17, kAny, kAny, 2, 10, 18, kAny);
  const __m512i toB = _mm512_setr_epi32(kAny, 3, 11, 19, kAny, kAny, 4, 12, 20, kAny, kAny, 5, 13, 21, kAny, kAny);
  const __m512i toC = _mm512_setr_epi32(
      6, 14, 22, kAny, kAny, 7, 15, 23, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny);
  const __mmask16 inA = 0x739C, inB = 0x39CE;  // words 2..4, 7..9, 12..14; 1..3, 6..8, 11..13
  const __mmask8 inC = 0xE7;                    // words 0..2, 5..7
  const __m256i visibleByte = _mm256_set1_epi32(0x00FF0000);
  unsigned k = 0;
  for (; k + 8 <= count; k += 8) {
    ParticleData* const d = data + k;
    char* const words = reinterpret_cast<char*>(d);  // word i at words + 4 i
    const __m512i a = _mm512_loadu_si512(words), b = _mm512_loadu_si512(words + 64);
    const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words + 128));
    const __m512i cw = _mm512_castsi256_si512(c);
    const __m512i xy = _mm512_mask_permutexvar_epi32(_mm512_permutex2var_epi32(a, xyAB, b), 0x8080, xyC, cw);
    const __m256i colourWords = _mm512_castsi512_si256(
        _mm512_mask_permutexvar_epi32(_mm512_permutex2var_epi32(a, wordsAB, b), 0x00C0, wordsC, cw));
    const __m256i sx = ToScreen8(_mm512_castsi512_si256(xy), centreX, zoomd, kScreenCentreX);
    const __m256i sy = ToScreen8(_mm512_extracti64x4_epi64(xy, 1), centreY, zoomd, kScreenCentreY);
    const __mmask8 on = StampFits8(sx, kScreenWidth) & StampFits8(sy, kScreenHeight);

    // The colour words with the visible byte set, and the records back.
    const __m256i visible = _mm256_maskz_mov_epi32(on, _mm256_set1_epi32(1 << 16));
    const __m256i newWords = _mm256_or_si256(_mm256_andnot_si256(visibleByte, colourWords), visible);
    const __m512i screen = _mm512_inserti64x4(_mm512_castsi256_si512(sx), sy, 1);
    const __m512i nw = _mm512_castsi256_si512(newWords);
    _mm512_storeu_si512(words, _mm512_mask_blend_epi32(inA, a, _mm512_permutex2var_epi32(screen, toA, nw)));
    _mm512_storeu_si512(words + 64, _mm512_mask_blend_epi32(inB, b, _mm512_permutex2var_epi32(screen, toB, nw)));
    const __m256i cBack = _mm512_castsi512_si256(_mm512_permutex2var_epi32(screen, toC, nw));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(words + 128), _mm256_mask_blend_epi32(inC, c, cBack));
    out = PackStamps8(out, on, sx, sy, _mm256_and_si256(colourWords, _mm256_set1_epi32(0xFFFF)));
  }
  stamps = out;
  return k;
}

PARTICLES_TARGET_WIDE unsigned Project3DWide(Particle3DData* data, unsigned count, const ClipRows& rows,
                                             ScreenStamp*& stamps) {
  ScreenStamp* out = stamps;
  __m512i m[12];
  const vec4* const row[] = {&rows.x, &rows.y, &rows.w};
  for (int i = 0; i < 12; ++i) m[i] = _mm512_set1_epi64((*row[i / 4])[i % 4].raw());
  // Word indices into two pairs of records (16 words each): the four positions (a record's
  // words 0..3) field by field, and the four colour words (word 6: colour, shaded colour).
  const __m512i positions = _mm512_setr_epi32(0, 8, 16, 24, 1, 9, 17, 25, 2, 10, 18, 26, 3, 11, 19, 27);
  const __m512i colourWordsOf = _mm512_setr_epi32(
      6, 14, 22, 30, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny, kAny);
  // Two such field-ordered sets of four records as eight lanes of their first two
  // fields, or of their last two.
  const __m512i firstTwo = _mm512_setr_epi32(0, 1, 2, 3, 16, 17, 18, 19, 4, 5, 6, 7, 20, 21, 22, 23);
  const __m512i lastTwo = _mm512_setr_epi32(8, 9, 10, 11, 24, 25, 26, 27, 12, 13, 14, 15, 28, 29, 30, 31);
  // Back: lanes 0 and 1 of {clip x | clip y} and {words | visible} as a pair's tails.
  const __m512i pairTails = _mm512_setr_epi32(
      kAny, kAny, kAny, kAny, 0, 8, 16, 24, kAny, kAny, kAny, kAny, 1, 9, 17, 25);
  const __m256i lowHalf = _mm256_set1_epi32(0xFFFF);
  unsigned k = 0;
  for (; k + 8 <= count; k += 8) {
    Particle3DData* const d = data + k;
    const __m512i r01 = _mm512_loadu_si512(d + 0), r23 = _mm512_loadu_si512(d + 2);
    const __m512i r45 = _mm512_loadu_si512(d + 4), r67 = _mm512_loadu_si512(d + 6);
    const __m512i p0 = _mm512_permutex2var_epi32(r01, positions, r23);
    const __m512i p1 = _mm512_permutex2var_epi32(r45, positions, r67);
    const __m512i xy = _mm512_permutex2var_epi32(p0, firstTwo, p1), zw = _mm512_permutex2var_epi32(p0, lastTwo, p1);
    const __m512i x = _mm512_cvtepi32_epi64(_mm512_castsi512_si256(xy));
    const __m512i y = _mm512_cvtepi32_epi64(_mm512_extracti64x4_epi64(xy, 1));
    const __m512i z = _mm512_cvtepi32_epi64(_mm512_castsi512_si256(zw));
    const __m512i w = _mm512_cvtepi32_epi64(_mm512_extracti64x4_epi64(zw, 1));
    const __m256i cx = Row8(m + 0, x, y, z, w), cy = Row8(m + 4, x, y, z, w), cw = Row8(m + 8, x, y, z, w);

    // As Project3DVector: quotients in front of the camera only, then the clip square.
    const __mmask8 front = _mm256_cmpgt_epi32_mask(cw, _mm256_setzero_si256());
    const __m512d wd = _mm512_cvtepi32_pd(cw);
    const __m256i qx = _mm256_mask_blend_epi32(front, cx, Quotients8(cx, wd));
    const __m256i qy = _mm256_mask_blend_epi32(front, cy, Quotients8(cy, wd));
    const __mmask8 on = front & OnScreen8(qx) & OnScreen8(qy);

    // Each record's colour word: its colour, and its shaded colour, replaced when visible.
    const __m512i c0 = _mm512_permutex2var_epi32(r01, colourWordsOf, r23);
    const __m512i c1 = _mm512_permutex2var_epi32(r45, colourWordsOf, r67);
    const __m256i colourWords = _mm512_castsi512_si256(_mm512_permutex2var_epi32(c0, firstTwo, c1));
    const __m256i colour = _mm256_and_si256(colourWords, lowHalf);
    const __m256i shaded = Shade8(colour, cw);
    const __m256i shadedWords = _mm256_or_si256(colour, _mm256_slli_epi32(shaded, 16));
    const __m256i words = _mm256_mask_blend_epi32(on, colourWords, shadedWords);
    const __m256i visible = _mm256_maskz_mov_epi32(on, _mm256_set1_epi32(1));  // the padding after it 0

    // The records back, each pair with its new tails over its old ones.
    const __m512i clips = _mm512_inserti64x4(_mm512_castsi256_si512(qx), qy, 1);
    const __m512i rest = _mm512_inserti64x4(_mm512_castsi256_si512(words), visible, 1);
    const __mmask16 tailWords = 0xF0F0;
    const __m512i pairs[] = {r01, r23, r45, r67};
    for (int j = 0; j < 4; ++j) {
      const __m512i pairJ = _mm512_add_epi32(pairTails, _mm512_set1_epi32(2 * j));
      const __m512i tail = _mm512_permutex2var_epi32(clips, pairJ, rest);
      _mm512_storeu_si512(d + 2 * j, _mm512_mask_blend_epi32(tailWords, pairs[j], tail));
    }

    out = PackStamps8(out, on, StampCentre8(qx, kStampHalfSpanX), StampCentre8(qy, kStampHalfSpanY), shaded);
  }
  stamps = out;
  return k;
}

}  // namespace particles

#endif  // __x86_64__
