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

// The emitter's particle behaviour on each of its particles in block order, as the
// 3D pass runs it: the three behaviours above are chosen once per emitter and run
// inlined in the loop, any other is called through the pointer.
void Run3DParticles(Emiter3D* emiter, unsigned now, const fixed& dt);
// The same, each particle projected through rows (Project3DParticle, the stamps of the
// visible ones to *stamps) right after its behaviour, while its records are still in
// the cache.
void Run3DParticles(Emiter3D* emiter, unsigned now, const fixed& dt, const ClipRows& rows,
                    ScreenStamp*& stamps);

// Comet head, once per frame: a jittery step (1..6 times velocity x dt) along
// entry 0 of its velocities, which turns about +z at 3 radians per second.
void Comete3DEmiters(Emiter3D* emiter, unsigned now, const fixed& dt);

}  // namespace particles
