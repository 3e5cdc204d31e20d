// projection.h: where a projected particle lands, whether it is drawn and how dark (screen
// centre, stamp margin, clip square, shade), and the passes' projection of one particle.
#pragma once

#include <cstdint>

#include "fixedpoint/divide.h"
#include "fixedpoint/fixed_point.h"
#include "fixedpoint/wrap.h"
#include "particles/camera2d.h"
#include "particles/pool.h"
#include "particles/records2d.h"
#include "particles/records3d.h"
#include "platform/screen.h"
#include "vmath/vmath.h"

namespace particles {

// 2D: a world offset over the zoom is pixels from the screen centre.
constexpr int32_t kScreenCentreX = kScreenWidth / 2;   // 160
constexpr int32_t kScreenCentreY = kScreenHeight / 2;  // 120

// One pixel of margin keeps the 3x3 stamp inside the screen: 1..318 by 1..238.
constexpr bool StampFits(int32_t x, int32_t y) {
  return static_cast<uint32_t>(x) - 1u <= kScreenWidth - 3u &&
         static_cast<uint32_t>(y) - 1u <= kScreenHeight - 3u;
}

// 3D: clip x and y, divided by w, are on screen from -1.0 to 1.0, and their stamps are
// centred at (x + 1.0) times these half spans plus 1.0, two pixels inside the screen's
// half: columns 1..317 and rows 1..237 (y = -1.0 at the top).
constexpr int kStampHalfSpanX = kScreenWidth / 2 - 2;   // 158
constexpr int kStampHalfSpanY = kScreenHeight / 2 - 2;  // 118
constexpr int32_t kClipEdge = 65536;  // 1.0
constexpr bool OnScreen(fixedpoint::fixed q) {
  // One unsigned test: below -1.0 the sum wraps past 2.0.
  return static_cast<uint32_t>(q.raw()) + uint32_t{kClipEdge} <= 2u * kClipEdge;
}

// Depth shading: a particle darkens by one step per kFadeStep of its w, each channel
// losing the steps on its own (floored at 0).
constexpr int32_t kFadeStep = 70000;  // raw w per step (about 1.068)
constexpr int32_t DepthFade(fixedpoint::fixed w) { return w.raw() / kFadeStep; }

// DepthFade for 0 < w < 2^31 as floor(w kFadeMultiplier / 2^kFadeShift), for the console
// and the vector loops, which have no integer divide: kFadeMultiplier is 2^45 / kFadeStep
// rounded up, and its excess over 2^45 / kFadeStep, times any such w, stays below one step.
constexpr uint32_t kFadeMultiplier = 0x1DF5959F;
constexpr int kFadeShift = 45;
static_assert(kFadeMultiplier == ((uint64_t{1} << kFadeShift) + kFadeStep - 1) / kFadeStep);
static_assert((uint64_t{kFadeMultiplier} * kFadeStep - (uint64_t{1} << kFadeShift)) << 31 <
              (uint64_t{1} << kFadeShift));
constexpr int32_t DepthFadeInFront(fixedpoint::fixed w) {
  return static_cast<int32_t>((uint64_t{static_cast<uint32_t>(w.raw())} * kFadeMultiplier) >> kFadeShift);
}

// colour (RGB565) after fade steps; green is kept as its top five bits at 6..10, so the
// lowest green bit of the result is always 0.
constexpr uint16_t Shade(uint16_t colour, int32_t fade) {
  int red = ((colour >> 11) & 31) - fade;
  int green = ((colour >> 6) & 31) - fade;
  int blue = (colour & 31) - fade;
  if (red < 0) red = 0;
  if (green < 0) green = 0;
  if (blue < 0) blue = 0;
  return static_cast<uint16_t>((red << 11) | (green << 6) | blue);
}

// The frame's 2D view as the 2D pass projects its particles through it.
struct View2D {
  int32_t x, y;                         // the world point at the screen centre
  int32_t zoom;                         // raw 16.16 world units per pixel, above 0
  fixedpoint::SmallDivisor smallZoom;   // for offsets below 2^15 units (ToScreen)
  fixedpoint::SharedDivisor wholeZoom;  // for the others
};
inline View2D View2DOf(const Camera2D& camera) {
  const int32_t zoom = camera.zoom.raw();
  return View2D{camera.x, camera.y, zoom, fixedpoint::MakeSmallDivisor(zoom), fixedpoint::MakeSharedDivisor(zoom)};
}

// The rows of viewProj that the 3D pass reads: x, y and w.
struct ClipRows {
  vec4 x, y, w;
};
constexpr ClipRows ClipRowsOf(const vmath::mat4<fixedpoint::fixed>& m) {
  auto row = [&](int r) { return vec4{m.m[4 * r], m.m[4 * r + 1], m.m[4 * r + 2], m.m[4 * r + 3]}; };
  return ClipRows{row(0), row(1), row(3)};
}

namespace projection_detail {

// row . p as mat4 x vec4 gives it: the four 64-bit products summed, shifted down once.
inline fixedpoint::fixed RowTimes(const vec4& row, const vec4& p) { return vmath::dot(row, p); }

// The same for p.w = 1.0, the w of every fountain and fire particle: the last product,
// row.w 2^16, adds row.w to bits 16 and up of the sum and leaves bits 0..15 alone, so
// the three others' sum shifted down, plus row.w, is the same word with one multiply less.
inline fixedpoint::fixed RowTimesUnitW(const vec4& row, const vec4& p) {
  using vmath::wide_product;
  const int64_t s = fixedpoint::add64(fixedpoint::add64(wide_product(row.x, p.x), wide_product(row.y, p.y)),
                                      wide_product(row.z, p.z));
  return vmath::narrow<16>(s) + row.w;
}

// a / w where the short way does not reach: apart from the call, as it is rare (a w below
// 1.0, or a particle two screens off centre).
[[gnu::noinline]] inline int32_t OtherQuotient(int32_t a, int32_t w) {
  return fixedpoint::Quotient16(a, fixedpoint::MakeSharedDivisor(w));
}

// The 2D quotient where the short one does not reach: a zoom below 1.0, or an offset
// of 2^15 units or more, whose 16.16 form wraps in 32 bits.
[[gnu::noinline]] inline int32_t OtherOffset(int32_t offset, const fixedpoint::SharedDivisor& zoom) {
  return fixedpoint::Divide32(fixedpoint::shl32(offset, 16), zoom);
}

// World offset over the zoom as 16.16: at zoom 10.0, ten units make one pixel; the
// division truncates toward zero, so an offset of -1 lands on the centre pixel.
inline int32_t ToScreen(int32_t world, int32_t centre, const View2D& view, int32_t screenCentre) {
  const int32_t offset = fixedpoint::sub32(world, centre);
  int32_t q;
  if (!fixedpoint::SmallQuotient16(offset, view.smallZoom, &q)) q = OtherOffset(offset, view.wholeZoom);
  return fixedpoint::add32(q, screenCentre);
}

}  // namespace projection_detail

// The 2D pass's projection of one particle: its pixel position, and visible when its
// stamp fits the screen; a visible one's stamp goes to *stamps, which moves on.
inline void Project2DParticle(ParticleData& d, const View2D& view, ScreenStamp*& stamps) {
  d.screenX = projection_detail::ToScreen(d.x, view.x, view, kScreenCentreX);
  d.screenY = projection_detail::ToScreen(d.y, view.y, view, kScreenCentreY);
  d.visible = StampFits(d.screenX, d.screenY) ? 1 : 0;
  if (d.visible != 0) *stamps++ = ScreenStamp{d.screenX, d.screenY, d.colour};
}

// A visible 3D particle's stamp: ((x + 1.0) * 158.0 + 1.0).to_int() in plain 32-bit
// arithmetic. With -1.0 <= x <= 1.0, x + 1.0 is 0..131072 raw, and times 158.0 (raw 158
// << 16) the 16.16 product is exactly (x + 65536) * 158, far from any wrap; with the 1.0
// that is x * 158 + 159 * 65536, whose unsigned wrap of a negative x * 158 the sum
// undoes. Likewise 118.0 for y.
inline ScreenStamp Stamp3D(ClipXY clip, uint16_t colour) {
  constexpr uint32_t kOffsetX = (kStampHalfSpanX + 1) << 16;
  constexpr uint32_t kOffsetY = (kStampHalfSpanY + 1) << 16;
  const uint32_t px = (static_cast<uint32_t>(clip.x.raw()) * kStampHalfSpanX + kOffsetX) >> 16;
  const uint32_t py = (static_cast<uint32_t>(clip.y.raw()) * kStampHalfSpanY + kOffsetY) >> 16;
  return ScreenStamp{static_cast<int32_t>(px), static_cast<int32_t>(py), colour};
}

// The 3D pass's projection of one particle: its clip x and y (divided by w when w > 0),
// and when they are on screen its shaded colour and visible flag, and its stamp to
// *stamps, which moves on; visible 0 otherwise, the shaded colour then left as it was.
inline void Project3DParticle(Particle3DData& d, const ClipRows& rows, ScreenStamp*& stamps) {
  using namespace projection_detail;
  const vec4 p = d.position;
  fixedpoint::fixed x, y, w;
  if (p.w.raw() == 65536) {
    x = RowTimesUnitW(rows.x, p), y = RowTimesUnitW(rows.y, p), w = RowTimesUnitW(rows.w, p);
  } else {
    x = RowTimes(rows.x, p), y = RowTimes(rows.y, p), w = RowTimes(rows.w, p);
  }
  d.visible = 0;
  if (w.raw() <= 0) {  // behind the camera or on its plane: not divided
    d.clip = ClipXY{x, y};
    return;
  }
  const fixedpoint::ShortDivisor divisor = fixedpoint::MakeShortDivisor(w.raw());
  int32_t qx, qy;
  if (!fixedpoint::ShortQuotient16(x.raw(), divisor, &qx)) qx = OtherQuotient(x.raw(), w.raw());
  if (!fixedpoint::ShortQuotient16(y.raw(), divisor, &qy)) qy = OtherQuotient(y.raw(), w.raw());
  d.clip = ClipXY{fixedpoint::fixed::from_raw(qx), fixedpoint::fixed::from_raw(qy)};
  if (!OnScreen(d.clip.x) || !OnScreen(d.clip.y)) return;
  d.shadedColour = Shade(d.colour, DepthFadeInFront(w));
  d.visible = 1;
  *stamps++ = Stamp3D(d.clip, d.shadedColour);
}

}  // namespace particles
