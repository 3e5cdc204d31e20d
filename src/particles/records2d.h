// records2d.h: the 2D pool's records (emitter, particle, particle data, velocity pair)
// and the two behaviour pointer types the 2D emitters carry.
#pragma once

#include <cstdint>

namespace particles {

// The records keep the program's own names: Emiter is an emitter (one source of
// particles with its behaviours), and the behaviours are named after what they make,
// in French: Fontaine a fountain, Feu a fire, Comete a comet. They are plain records,
// laid out by hand in the pool, which value-initialises every one: all fields 0.

// World units per millisecond (a fountain's particles: quarter units per millisecond).
// Entry 0 of an emitter's array is the emitter's own state, read by its behaviour.
struct EmiterVec2 {
  int32_t x;
  int32_t y;
};

struct ParticleData {
  int32_t x;        // world position, signed world units
  int32_t y;
  int32_t screenX;  // pixel position, written by the 2D pass
  int32_t screenY;
  uint16_t colour;  // RGB565
  uint8_t visible;  // 1 when the 2D pass put the particle on screen
};

struct Particle {
  EmiterVec2* velocity;  // this particle's entry in its emitter's velocities
  uint32_t deathTime;    // ms time stamp; 0 = empty slot, born on the next call
  ParticleData* data;    // the record at the same slot index
};

struct Emiter;

// now: the frame's ms time stamp; dt: ms since the previous frame.
using ParticleFunc = void (*)(Emiter* emiter, Particle* particle, unsigned now, unsigned dt);
using EmiterFunc = void (*)(Emiter* emiter, unsigned now, unsigned dt);

struct Emiter {
  EmiterVec2* velocities;     // count + 1 entries (BindVelocities), owned; freed on release
  uint32_t count;             // particles in the emitter's block
  int32_t x;                  // world position
  int32_t y;
  uint32_t radius;            // world units, for the view test
  uint8_t visible;            // 1 when the 2D pass listed the emitter this frame
  ParticleData* data;         // first data record of the block
  Particle* particles;        // first particle record of the block
  ParticleFunc particleFunc;  // once per particle per frame, never null when allocated
  EmiterFunc emiterFunc;      // once per frame; may be null (the fire)
};

}  // namespace particles
