// behaviours2d.h: the 2D emitter behaviours (fountain jump, comet bounce) and the
// particle behaviours (fountain, fire, comet): birth, motion, life and colour.
#pragma once

#include <cstdint>

#include "particles/records2d.h"

namespace particles {

struct View2D;       // projection.h
struct ScreenStamp;  // pool.h

// Every birth draws from particles::Rand() in a fixed order, so a run is a replay.
// Particle life: deathTime 0 is born (no motion that call); deathTime < now dies
// (back to 0, nothing else changes); otherwise the particle moves.

// Counts entry 0 x down by dt; at 0 or below jumps: countdown 256..319 ms, then a new
// spot on the 10-unit grid of the world (three draws: countdown, x, y).
void FontaineEmiters(Emiter* emiter, unsigned now, unsigned dt);

// Moves the head by dt units per axis in the directions held by entry 0 and turns
// each axis back once it is below 0 or beyond 3200 / 2400 (not clamped).
void CometeEmiters(Emiter* emiter, unsigned now, unsigned dt);

// Born at the emitter with the fountain's remaining countdown as life; velocity in
// quarter units per ms from bits 0-4 and 5-9 of one draw, which also give the colour.
void FontaineParticles(Emiter* emiter, Particle* particle, unsigned now, unsigned dt);

// Born in a 32 x 64 grid of 16-unit cells around the emitter, lives 64..319 ms and
// rises 4 units per ms; red to yellow with the birth row.
void FeuParticles(Emiter* emiter, Particle* particle, unsigned now, unsigned dt);

// Born on the +x, +y side of the head, lives 64..575 ms and never moves.
void CometeParticles(Emiter* emiter, Particle* particle, unsigned now, unsigned dt);

// Projects data[0 .. n), the data records of a run of particles, through view, the
// stamps of the visible ones from stamps on, and returns past them: the 2D pass's
// projection.
using Project2DRunFunc = ScreenStamp* (*)(ParticleData* data, uint32_t n, const View2D& view, ScreenStamp* stamps);

// The emitter's particle behaviour on each of its particles in block order, as the 2D
// pass runs it: the three behaviours above are chosen once per emitter and run inlined in
// the loop, any other is called through the pointer. The particles go through in runs of
// kPassRun (pool.h), each projected by project(run, n, view, stamps) right after its
// behaviours, while their records are in the cache; stamps moves on past the stamps.
void Run2DParticles(Emiter* emiter, unsigned now, unsigned dt, Project2DRunFunc project, const View2D& view,
                    ScreenStamp*& stamps);

}  // namespace particles
