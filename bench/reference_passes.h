// reference_passes.h: the straightforward 2D and 3D passes and plots (one division per
// quotient), the reference the optimised ones in src/ must equal bit for bit and the
// baseline the benchmarks measure them against.
#pragma once

#include <cstdint>

#include "app/demo.h"

namespace reference {

void Update2DEmiters(particles::Pool2D& pool, const particles::Camera2D& camera, unsigned now,
                     unsigned dt);
void Update3DEmiters(particles::Pool3D& pool, const vmath::mat4<particles::fixed>& viewProj,
                     unsigned now, unsigned frameMs);
// Both plots stamp with the demo's PlotStamp, which works its row offset out per call.
void Plot2DParticles(const particles::Pool2D& pool, PixelBuffer buffer);
void Plot3DParticles(const particles::Pool3D& pool, PixelBuffer buffer);

// Where the 3D plot centres a visible particle's stamp, in 16.16 arithmetic.
struct ScreenPoint {
  int x, y;
};
ScreenPoint StampCentre(const particles::Particle3DData& d);

// The demo's frame with these passes in place of its own.
inline constexpr FramePasses kStraightforward{Update2DEmiters, Update3DEmiters, Plot2DParticles,
                                              Plot3DParticles};

}  // namespace reference
