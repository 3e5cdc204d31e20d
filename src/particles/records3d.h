// records3d.h: the 3D pool's records (emitter, particle, particle data) over 16.16
// vectors, and the two behaviour pointer types the 3D emitters carry.
#pragma once

#include <cstdint>

#include "fixedpoint/fixed_point.h"
#include "vmath/vmath.h"

namespace particles {

// Named and laid out as the 2D records are (records2d.h says what the names mean).
using fixedpoint::fixed;
using vec4 = vmath::vec4<fixed>;

// Where a particle lands: x and y of viewProj x position, each divided by its w when w > 0.
// (Its z is never used, and its w only decides the division and the shade.)
struct ClipXY {
  fixed x, y;
};

// 32 bytes on the console, what the 3D pass and plot read of a particle in one cache line
// when its record starts one.
struct Particle3DData {
  vec4 position;          // world position, 16.16; w follows the emitter's
  ClipXY clip;            // written by the 3D pass
  uint16_t colour;        // RGB565
  uint16_t shadedColour;  // colour darkened by depth, written by the 3D pass
  uint8_t visible;        // 1 when the 3D pass put the particle on screen
};

struct Particle3D {
  vec4* velocity;        // this particle's entry in its emitter's velocities
  uint32_t deathTime;    // ms time stamp; 0 = empty slot, born on the next call
  Particle3DData* data;  // the record at the same slot index
};

struct Emiter3D;

// now: the frame's ms time stamp; dt: the frame time in seconds, 16.16.
using Particle3DFunc = void (*)(Emiter3D* emiter, Particle3D* particle, unsigned now,
                                const fixed& dt);
using Emiter3DFunc = void (*)(Emiter3D* emiter, unsigned now, const fixed& dt);

struct Emiter3D {
  vec4* velocities;             // count + 1 entries (BindVelocities), owned; freed on release
  uint32_t count;               // particles in the emitter's block
  vec4 position;                // world position, w = 1.0 from the scene
  fixed radius;                 // world units, for the view test
  fixed depth;                  // sort key (w minus projected radius), written by the pass
  uint8_t visible;              // 1 when the 3D pass listed the emitter this frame
  Particle3DData* data;         // first data record of the block
  Particle3D* particles;        // first particle record of the block
  Particle3DFunc particleFunc;  // once per particle per frame, never null when allocated
  Emiter3DFunc emiterFunc;      // once per frame; may be null
};

}  // namespace particles
