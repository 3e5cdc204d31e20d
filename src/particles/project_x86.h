// project_x86.h: the 2D and 3D passes' particle projections several particles at a
// time on x86-64 CPUs, four with AVX2 or eight with AVX-512, the scalar results bit for bit.
#pragma once

#include <cstdint>

#include "particles/pool.h"
#include "particles/records2d.h"
#include "particles/records3d.h"

namespace particles {

struct ClipRows;  // projection.h

#if defined(__x86_64__)
// The widest vector projection this CPU has: 8 lanes with AVX-512 (F, DQ and VL), 4
// with AVX2, else 0; no wider than a test allowed, to check the narrower ones.
int VectorProjectionLanes();
void LimitVectorProjection(int lanes);

// Each projects data[0 .. n) for the largest n <= count that is a multiple of four,
// exactly as Project2DParticle and Project3DParticle (projection.h) do one particle,
// stamps included, and returns n. Only when VectorProjectionLanes() is at least 4.
// 2D: screen position (world - camera) over the zoom (> 0) plus the screen centre,
// and visible when the stamp fits the screen.
unsigned Project2DVector(ParticleData* data, unsigned count, int32_t cx, int32_t cy, int32_t zoom,
                         ScreenStamp*& stamps);
// 3D: x, y and w through the rows; for w > 0 clip x and y become the truncated 16.16
// quotients by w, and visible with the shaded colour when on screen.
unsigned Project3DVector(Particle3DData* data, unsigned count, const ClipRows& rows, ScreenStamp*& stamps);
// The same eight at a time (n a multiple of eight), when VectorProjectionLanes() is 8.
unsigned Project2DWide(ParticleData* data, unsigned count, int32_t cx, int32_t cy, int32_t zoom,
                       ScreenStamp*& stamps);
unsigned Project3DWide(Particle3DData* data, unsigned count, const ClipRows& rows, ScreenStamp*& stamps);
#endif

}  // namespace particles
