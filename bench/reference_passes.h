// reference_passes.h: the passes and plots done straightforwardly: the reference the
// demo's own must equal bit for bit, and the baseline the benchmarks measure them against.
#pragma once

#include "app/demo.h"

namespace reference {

// They run the demo's emitter steps with the / operator's own quotients, call the particle
// behaviours through their pointer, then project the particles in a loop of their own
// (the whole matrix product, the / operator, the depth fade's division) and stamp with
// PlotStamp, which works its row offset out per call.

void Update2DEmiters(particles::Pool2D& pool, const particles::Camera2D& camera, unsigned now,
                     unsigned dt);
void Update3DEmiters(particles::Pool3D& pool, const vmath::mat4<particles::fixed>& viewProj,
                     unsigned now, unsigned frameMs);
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
