// pass3d.h: the per-frame 3D emitter pass: emitter behaviours, culling against the
// view, the far-to-near visible list, particle behaviours, projection and depth shading.
#pragma once

#include "particles/pools.h"
#include "vmath/vmath.h"

namespace particles {

// Brings the 3D pool up to date for drawing. now is the frame's time stamp and
// frameMs the milliseconds since the previous frame (below 32768 to convert
// correctly). Rebuilds pool.visibleEmiters, farthest emitter first; for the
// listed emitters each particle gets its clip position (x, y divided by w),
// visible flag and shaded colour, and pool.stamps the visible ones' stamps.
void Update3DEmiters(Pool3D& pool, const vmath::mat4<fixed>& viewProj, unsigned now,
                     unsigned frameMs);

// The frame time in seconds, as the 3D behaviours take it: a 16.16 quotient, so frames
// of 32768 ms or more wrap in the conversion.
fixed FrameSeconds(unsigned frameMs);

// The pass's first step, the emitters: behaviours, culling, the visible list farthest
// first. MakeDivisor makes the divisor of each w for its quotients: the pass's
// fixedpoint::MakeSharedDivisor (a reciprocal on the console), or
// fixedpoint::MakeNativeDivisor, the / operator itself, with which the straightforward
// reference passes in bench/ run it. pass3d.cpp instantiates both.
template <auto MakeDivisor>
void List3DEmiters(Pool3D& pool, const vmath::mat4<fixed>& viewProj, unsigned now, const fixed& dt);

}  // namespace particles
