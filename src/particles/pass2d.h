// pass2d.h: the per-frame 2D emitter pass: emitter behaviours, the view test and the
// visible list in slot order, then particle behaviours and projection to pixels.
#pragma once

#include <cstdint>

#include "particles/camera2d.h"
#include "particles/pools.h"

namespace particles {

// Runs every allocated emitter's behaviour, lists the emitters whose square of
// projected half-side r overlaps the screen, then for each listed emitter runs its
// particle behaviour on all its particles and projects them; a particle is visible
// when its stamp fits the screen (StampFits), and its stamp goes to pool.stamps.
// camera.zoom must be > 0.
void Update2DEmiters(Pool2D& pool, const Camera2D& camera, unsigned now, unsigned dt);

// The pass's first step, the emitters: behaviours, view test, visible list. MakeDivisor
// makes the zoom's divisor for the quotients: the pass's fixedpoint::MakeSharedDivisor (a
// reciprocal on the console), or fixedpoint::MakeNativeDivisor, the / operator itself,
// with which the straightforward reference passes in bench/ run it. pass2d.cpp
// instantiates both.
template <auto MakeDivisor>
void List2DEmiters(Pool2D& pool, const Camera2D& camera, unsigned now, unsigned dt);

}  // namespace particles
