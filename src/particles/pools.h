// pools.h: the two pool instances, their globals g_2DPool and g_3DPool, and the
// start-up creation and exit-time report and destruction of both.
#pragma once

#include "particles/pool.h"
#include "particles/records2d.h"
#include "particles/records3d.h"

namespace particles {

// The label begins each pool's construction and destruction lines.
inline constexpr char kPool2DLabel[] = "Particle";
inline constexpr char kPool3DLabel[] = "Particle3D";

using Pool2D = ParticlePool<Emiter, Particle, ParticleData, kPool2DLabel>;
using Pool3D = ParticlePool<Emiter3D, Particle3D, Particle3DData, kPool3DLabel>;

extern template class ParticlePool<Emiter, Particle, ParticleData, kPool2DLabel>;
extern template class ParticlePool<Emiter3D, Particle3D, Particle3DData, kPool3DLabel>;

// Null until CreatePools, and again after ReportAndDestroyPools.
extern Pool2D* g_2DPool;
extern Pool3D* g_3DPool;

// Constructs the 2D pool, then the 3D pool, on the heap (four log lines).
void CreatePools();

// For each pool that exists, 2D first: its block report, then its destruction
// (two log lines). Emitters still allocated are not released.
void ReportAndDestroyPools();

}  // namespace particles
