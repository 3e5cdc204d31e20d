// scene3d.h: the 3D scene's twelve emitters and the camera that looks at them:
// the fixed perspective, the glide between random targets and the frame's viewProj.
#pragma once

#include <cstdint>

#include "particles/pools.h"
#include "vmath/vmath.h"

// One view leg: a pan of the 2D view (views.h) and one glide of the 3D camera.
constexpr uint32_t kViewLegMs = 4000;

// The 3D camera. Its eye glides on a straight line from camFrom to camTo, one
// glide per view leg, always looking at the world origin with world +z up the
// screen. Zero until StartCamera3D and BuildProjection set it up; a zero
// camera only gives frames with nothing in view.
struct Camera3D {
  vmath::vec3<fixedpoint::fixed> eye{};         // world position, 16.16
  vmath::vec3<fixedpoint::fixed> camFrom{};     // where the current glide starts
  vmath::vec3<fixedpoint::fixed> camTo{};       // where it ends: the current target
  vmath::mat4<fixedpoint::fixed> projection{};  // built once by BuildProjection
  vmath::mat4<fixedpoint::fixed> view{};        // look-at of the current frame
  vmath::mat4<fixedpoint::fixed> viewProj{};    // projection x view, for the 3D pass
};

// Indexes 0-9 the fountains, 10 the fire, 11 the comet.
constexpr int kScene3DEmiters = 12;

// Ten fountains in two rows (x = -1 and +1, y = 0, 2, .. 8), the fire and the
// comet, taken from a fresh pool (together exactly its 3000 particle slots) and
// stored in creation order. Draws no random numbers.
void CreateScene3D(particles::Pool3D& pool, particles::Emiter3D* (&emiters)[kScene3DEmiters]);

// Fills camera.projection: 60 degree field of view, 4:3, near 0.1, far 100.
void BuildProjection(Camera3D& camera);

// Sets eye, camFrom and camTo to the start position, 13 units out along
// (0.125, 1.0, 0.5). view and viewProj are left for the first frame to build.
void StartCamera3D(Camera3D& camera);

// On a due view leg: the glide restarts from the current target towards a new
// random point 25 units from the origin (three draws, x then y then z).
void RetargetCamera3D(Camera3D& camera);

// Every frame, with the leg's remaining milliseconds (kViewLegMs at its start,
// down to 1): places the eye on the glide and rebuilds view and viewProj.
void UpdateCamera3D(Camera3D& camera, unsigned remaining);
