// demo.h: the demo between start-up and shutdown: its state, the event table and
// the frame step that the demo, the capture tool and the tests all run.
#pragma once

#include <SDL_events.h>

#include <cstdint>

#include "app/render.h"
#include "app/scene2d.h"
#include "app/scene3d.h"
#include "app/views.h"
#include "particles/pass2d.h"
#include "particles/pass3d.h"
#include "platform/fps.h"
#include "platform/screen.h"

struct Demo {
  int displayMode = 1;     // bit 0: 2D scene, bit 1: 3D scene; cycles 1, 2, 3
  bool quitGame = false;   // set by a quit event, never cleared
  uint32_t lastTicks = 0;  // previous clock reading, milliseconds
  int32_t color = 0;       // background counter, one step per frame
  Views views;             // 2D view, shared view timer and the 3D camera
  particles::Emiter* emiters2D[kScene2DEmiters] = {};    // kept for the shutdown
  particles::Emiter3D* emiters3D[kScene3DEmiters] = {};  // likewise
};

// Applies one event of the queue (quit requests only set the flag).
void HandleEvent(Demo& demo, const SDL_Event& event);

// Start-up steps after the platform is up: both scenes from their pools, the
// projection and the 3D camera's start position.
void BuildScenes(Demo& demo);

// Start-up's last step: the clock reading the first frame's dt is measured from,
// and the views' timer started on it.
void StartClock(Demo& demo, uint32_t ticks);

// Shutdown after the loop: "Quitting...", every emitter back to its pool, "Quit !".
void ReleaseScenes(Demo& demo);

// The four routines of a frame that the display mode switches on and off: the
// demo's are the optimised passes and plots; the benchmarks and the tests run the
// same frame with the straightforward ones in their place.
struct FramePasses {
  void (*update2D)(particles::Pool2D&, const particles::Camera2D&, unsigned now, unsigned dt);
  void (*update3D)(particles::Pool3D&, const vmath::mat4<particles::fixed>&, unsigned now,
                   unsigned dt);
  void (*plot2D)(const particles::Pool2D&, PixelBuffer);
  void (*plot3D)(const particles::Pool3D&, PixelBuffer);
};
inline constexpr FramePasses kDemoPasses{particles::Update2DEmiters, particles::Update3DEmiters,
                                         Plot2DParticles, Plot3DParticles};

// The phases of a frame after its event drain, in order, as the speed measurements
// name them.
enum FramePhase { kViews, kUpdate2D, kUpdate3D, kClear, kPlot2D, kPlot3D, kPresent, kPhaseCount };
inline constexpr const char* kPhaseNames[kPhaseCount] = {
    "view step", "Update2DEmiters", "Update3DEmiters", "ClearScreen",
    "2D plot",   "3D plot",         "unlock, flip, FPS"};

// One frame with the given passes: clock, events, views, passes, clear, plot, flip,
// frame-rate counter. mark(phase) is called before each phase, also before one that
// the display mode skips.
template <class Mark>
void RunFrameWith(const FramePasses& passes, Demo& demo, uint32_t ticks, EventSource& events,
                  Screen& screen, Mark&& mark) {
  // Clock: unsigned difference, right across the tick counter's wrap.
  const uint32_t now = ticks;
  const uint32_t dt = now - demo.lastTicks;
  demo.lastTicks = now;

  SDL_Event event;  // drain the queue; a quit only sets the flag
  while (events.Poll(&event)) HandleEvent(demo, event);

  mark(kViews);
  UpdateViews(demo.views, now, dt);  // pan, zoom, camera: in every mode
  const bool show2D = (demo.displayMode & 1) != 0;
  const bool show3D = (demo.displayMode & 2) != 0;
  mark(kUpdate2D);
  if (show2D) passes.update2D(*particles::g_2DPool, demo.views.camera, now, dt);
  mark(kUpdate3D);
  if (show3D) passes.update3D(*particles::g_3DPool, demo.views.camera3D.viewProj, now, dt);

  mark(kClear);
  ClearScreen(screen, demo.color);  // background of this frame
  const PixelBuffer pixels = screen.Lock();
  mark(kPlot2D);
  if (show2D) passes.plot2D(*particles::g_2DPool, pixels);
  mark(kPlot3D);
  if (show3D) passes.plot3D(*particles::g_3DPool, pixels);  // over the 2D stamps
  mark(kPresent);
  screen.Unlock();
  screen.Flip();  // show the frame
  UpdateFPS(dt);  // caption and log about once a second
}

// The demo's frame: RunFrameWith its own passes, unmarked.
void RunFrame(Demo& demo, uint32_t ticks, EventSource& events, Screen& screen);
