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
// visible flag and shaded colour.
void Update3DEmiters(Pool3D& pool, const vmath::mat4<fixed>& viewProj,
                     unsigned now, unsigned frameMs);

}  // namespace particles
