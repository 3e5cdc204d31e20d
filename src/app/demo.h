// demo.h: the demo between start-up and shutdown: its state, the event table and
// the frame step that the demo, the capture tool and the tests all run.
#pragma once

#include <cstdint>

#include "app/scene2d.h"
#include "app/scene3d.h"
#include "platform/screen.h"

union SDL_Event;

struct Demo {
  int displayMode = 1;     // bit 0: 2D scene, bit 1: 3D scene; cycles 1, 2, 3
  bool quitGame = false;   // set by a quit event, never cleared
  uint32_t lastTicks = 0;  // previous clock reading, milliseconds
  int32_t color = 0;       // background counter, one step per frame
  Views views;             // 2D view, shared view timer and the 3D camera
  particles::Emiter* emiters2D[kScene2DEmiters] = {};  // kept for the shutdown
  particles::Emiter3D* emiters3D[12] = {};             // likewise
};

// Applies one event of the queue (quit requests only set the flag).
void HandleEvent(Demo& demo, const SDL_Event& event);

// Start-up steps after the platform is up: both scenes and the projection.
void BuildScenes(Demo& demo);

// Start-up's last step: the clock reading the first frame's dt is measured from.
void StartClock(Demo& demo, uint32_t ticks);

// Shutdown after the loop: "Quitting...", every emitter back to its pool, "Quit !".
void ReleaseScenes(Demo& demo);

// One frame: clock, events, views, passes, clear, plot, flip, frame-rate counter.
void RunFrame(Demo& demo, uint32_t ticks, EventSource& events, Screen& screen);
