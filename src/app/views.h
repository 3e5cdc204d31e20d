// views.h: the view state stepped once a frame: the 2D view's pan and zoom swing, the
// shared view timer of kViewLegMs legs, and the 3D camera it retargets.
#pragma once

#include <cstdint>

#include "app/scene3d.h"
#include "particles/camera2d.h"

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
