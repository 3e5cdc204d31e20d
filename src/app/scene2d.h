// scene2d.h: the 2D scene's twelve emitters and the view state stepped once a frame:
// the 2D view's pan and zoom swing and the shared 4000 ms view timer.
#pragma once

#include <cstdint>

#include "app/scene3d.h"
#include "particles/camera2d.h"
#include "particles/records2d.h"

// Indexes 0-9 the fountains, 10 the fire, 11 the comet.
constexpr int kScene2DEmiters = 12;

// Takes the scene's emitters from g_2DPool and sets them up with their behaviours
// and velocity arrays; the first twenty draws of particles::Rand() place the
// fountains. An emitter the pool cannot give stays null in emiters2D (a null is
// safe to hand back to ReleaseEmiter).
void CreateScene2D(particles::Emiter* (&emiters2D)[kScene2DEmiters]);

struct WorldPoint {
  int32_t x;
  int32_t y;
};

// Everything the view step keeps from frame to frame.
struct Views {
  particles::Camera2D camera;  // the 2D view
  WorldPoint panFrom;          // where the current pan leg starts
  WorldPoint panTo;            // where it ends
  int32_t sensZ;               // zoom swing direction, +1 or -1
  uint32_t nextMoveTime;       // ms time stamp of the next pan leg and 3D target
  Camera3D camera3D;           // the 3D camera, retargeted on the same timer
};

// The state before the first frame; startTicks is the tick reading taken just
// before it, so the first frame always starts a pan leg.
void InitViews(Views& views, uint32_t startTicks);

// Once per frame, in every display mode, before the emitter passes.
void UpdateViews(Views& views, unsigned now, unsigned dt);
