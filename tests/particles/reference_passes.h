// reference_passes.h: the straightforward 2D and 3D passes and plots (one division per
// quotient), kept as the reference the optimised ones in src/ must equal bit for bit,
// and the frame step's phases with either set of passes, for tests and benchmarks.
#pragma once

#include <cstdint>

#include "app/demo.h"
#include "app/render.h"
#include "particles/camera2d.h"
#include "particles/pass2d.h"
#include "particles/pass3d.h"
#include "particles/pools.h"
#include "platform/fps.h"
#include "platform/screen.h"
#include "vmath/vmath.h"

namespace reference {

void Update2DEmiters(particles::Pool2D& pool, const particles::Camera2D& camera, unsigned now,
                     unsigned dt);
void Update3DEmiters(particles::Pool3D& pool, const vmath::mat4<particles::fixed>& viewProj,
                     unsigned now, unsigned frameMs);
// Both plots stamp with the demo's PlotStamp, which works its row offset out per call.
void Plot2DParticles(const particles::Pool2D& pool, PixelBuffer buffer);
void Plot3DParticles(const particles::Pool3D& pool, PixelBuffer buffer);

// Where the 3D plot centres a visible particle's stamp, in 16.16 arithmetic.
struct ScreenPoint {
  int x, y;
};
ScreenPoint StampCentre(const particles::Particle3DData& d);

// One version of the four routines the optimisation touches.
struct FramePasses {
  void (*update2D)(particles::Pool2D&, const particles::Camera2D&, unsigned, unsigned);
  void (*update3D)(particles::Pool3D&, const vmath::mat4<particles::fixed>&, unsigned, unsigned);
  void (*plot2D)(const particles::Pool2D&, PixelBuffer);
  void (*plot3D)(const particles::Pool3D&, PixelBuffer);
};
inline constexpr FramePasses kOptimised{particles::Update2DEmiters, particles::Update3DEmiters,
                                        ::Plot2DParticles, ::Plot3DParticles};
inline constexpr FramePasses kStraightforward{Update2DEmiters, Update3DEmiters, Plot2DParticles,
                                              Plot3DParticles};

// The frame step's phases, in its order.
enum Phase { kViews, kUpdate2D, kUpdate3D, kClear, kPlot2D, kPlot3D, kPresent, kPhaseCount };
inline constexpr const char* kPhaseNames[kPhaseCount] = {
    "view step", "Update2DEmiters", "Update3DEmiters", "ClearScreen",
    "2D plot",   "3D plot",         "unlock, flip, FPS"};

// RunFrame without an event drain, built from the given passes; mark(phase) is called
// before each phase (a phase the display mode skips is still marked).
template <class Mark>
void RunFrameWith(const FramePasses& passes, Demo& demo, uint32_t ticks, Screen& screen,
                  Mark&& mark) {
  const uint32_t now = ticks;
  const uint32_t dt = now - demo.lastTicks;
  demo.lastTicks = now;
  const bool show2D = (demo.displayMode & 1) != 0;
  const bool show3D = (demo.displayMode & 2) != 0;
  mark(kViews);
  UpdateViews(demo.views, now, dt);
  mark(kUpdate2D);
  if (show2D) passes.update2D(*particles::g_2DPool, demo.views.camera, now, dt);
  mark(kUpdate3D);
  if (show3D) passes.update3D(*particles::g_3DPool, demo.views.camera3D.viewProj, now, dt);
  mark(kClear);
  ClearScreen(screen, demo.color);
  const PixelBuffer pixels = screen.Lock();
  mark(kPlot2D);
  if (show2D) passes.plot2D(*particles::g_2DPool, pixels);
  mark(kPlot3D);
  if (show3D) passes.plot3D(*particles::g_3DPool, pixels);
  mark(kPresent);
  screen.Unlock();
  screen.Flip();
  UpdateFPS(dt);
}

inline void RunFrameWith(const FramePasses& passes, Demo& demo, uint32_t ticks, Screen& screen) {
  RunFrameWith(passes, demo, ticks, screen, [](Phase) {});
}

}  // namespace reference
