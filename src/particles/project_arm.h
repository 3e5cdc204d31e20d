// project_arm.h: the 3D pass's projection of a run of particles in ARMv4T assembly for the
// console, Project3DParticle's results bit for bit; every other CPU runs the C++ itself.
#pragma once

#include "particles/pool.h"
#include "particles/records3d.h"

namespace particles {

struct ClipRows;  // projection.h

#if defined(__arm__) && !defined(__thumb__)
#define PARTICLES_ARM_PROJECTION 1
// Projects data[0 .. count) through rows exactly as Project3DParticle does, and returns
// stamps moved past the stamps of the visible ones. Particles it has no short way for
// (a w below 1.0 or from 16384.0, a clip x or y two screens off centre) it hands to
// Project3DParticle.
ScreenStamp* Project3DParticlesArm(Particle3DData* data, unsigned count, const ClipRows& rows, ScreenStamp* stamps);
#endif

}  // namespace particles
