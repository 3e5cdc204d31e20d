// projection.h: where a projected particle lands, whether it is drawn and how dark, for the
// scalar passes and the vector projections alike: screen centre, stamp margin, clip square.
#pragma once

#include <cstdint>

#include "fixedpoint/fixed_point.h"
#include "platform/screen.h"

namespace particles {

// 2D: a world offset over the zoom is pixels from the screen centre.
constexpr int32_t kScreenCentreX = kScreenWidth / 2;   // 160
constexpr int32_t kScreenCentreY = kScreenHeight / 2;  // 120

// One pixel of margin keeps the 3x3 stamp inside the screen: 1..318 by 1..238.
constexpr bool StampFits(int32_t x, int32_t y) {
  return static_cast<uint32_t>(x) - 1u <= kScreenWidth - 3u &&
         static_cast<uint32_t>(y) - 1u <= kScreenHeight - 3u;
}

// 3D: clip x and y, divided by w, are on screen from -1.0 to 1.0.
constexpr int32_t kClipEdge = 65536;  // 1.0
constexpr bool OnScreen(fixedpoint::fixed q) {
  // One unsigned test: below -1.0 the sum wraps past 2.0.
  return static_cast<uint32_t>(q.raw()) + uint32_t{kClipEdge} <= 2u * kClipEdge;
}

// Depth shading: a particle darkens by one step per kFadeStep of its w, each channel
// losing the steps on its own (floored at 0).
constexpr int32_t kFadeStep = 70000;  // raw w per step (about 1.068)
constexpr int32_t DepthFade(fixedpoint::fixed w) { return w.raw() / kFadeStep; }

// DepthFade for 0 < w < 2^31 as floor(w kFadeMultiplier / 2^kFadeShift), for the vector
// loops, which have no integer divide: kFadeMultiplier is 2^45 / kFadeStep rounded up,
// and its excess over 2^45 / kFadeStep, times any such w, stays below one step.
constexpr uint32_t kFadeMultiplier = 0x1DF5959F;
constexpr int kFadeShift = 45;
static_assert(kFadeMultiplier == ((uint64_t{1} << kFadeShift) + kFadeStep - 1) / kFadeStep);
static_assert((uint64_t{kFadeMultiplier} * kFadeStep - (uint64_t{1} << kFadeShift)) << 31 <
              (uint64_t{1} << kFadeShift));

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

}  // namespace particles
