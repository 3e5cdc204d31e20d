// behaviours3d.h: what the 3D emitters do: their velocity set-up, the fountain, fire
// and comet particle rules (birth, motion, life, colour) and the comet head's flight.
#pragma once

#include "particles/records3d.h"

namespace particles {

struct ClipRows;     // projection.h
struct ScreenStamp;  // pool.h

// Set-up, once per emitter after its count, particles and position are set:
// gives it count + 1 velocities (owned by the emitter, freed by ReleaseEmiter),
// binds particle k to entry count - k and starts entry 0 at (1.0, 0, 0, 1.0).
// The three kinds share one body; the names say which behaviour follows.
void Fontaine3DParticlesInit(Emiter3D* emiter);
void Feu3DParticlesInit(Emiter3D* emiter);
void Comete3DParticlesInit(Emiter3D* emiter);

// Particle behaviours, once per particle per frame of a listed emitter.
// An empty slot (deathTime 0) is born, a particle past its deathTime empties
// its slot, a live one moves. dt is the frame time in seconds.

// Fountain: launched upwards (+z) from the emitter, pulled down by gravity.
void Fontaine3DParticles(Emiter3D* emiter, Particle3D* particle, unsigned now,
                         const fixed& dt);
// Fire: born in a small cube around the emitter, rises at constant speed.
void Feu3DParticles(Emiter3D* emiter, Particle3D* particle, unsigned now,
                    const fixed& dt);
// Comet trail: born just beside the head, then stays put (dt unused).
void Comete3DParticles(Emiter3D* emiter, Particle3D* particle, unsigned now,
                       const fixed& dt);

// Projects data[0 .. n), the data records of a run of particles, through rows, the stamps
// of the visible ones from stamps on, and returns past them: the 3D pass's projection.
using Project3DRunFunc = ScreenStamp* (*)(Particle3DData* data, unsigned n, const ClipRows& rows,
                                          ScreenStamp* stamps);

// The emitter's particle behaviour on each of its particles in block order, as the 3D
// pass runs it: the three behaviours above are chosen once per emitter and run inlined in
// the loop, any other is called through the pointer. The particles go through in runs of
// kPassRun (pool.h), each projected by project(run, n, rows, stamps) right after its
// behaviours, while their records are in the cache; stamps moves on past the stamps.
void Run3DParticles(Emiter3D* emiter, unsigned now, const fixed& dt, Project3DRunFunc project,
                    const ClipRows& rows, ScreenStamp*& stamps);

// Comet head, once per frame: a jittery step (1..6 times velocity x dt) along
// entry 0 of its velocities, which turns about +z at 3 radians per second.
void Comete3DEmiters(Emiter3D* emiter, unsigned now, const fixed& dt);

}  // namespace particles
