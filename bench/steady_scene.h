// steady_scene.h: the demo brought to a steady state in one display mode on the
// capture tool's scripted clock, for the benchmarks and the ARM instruction counter.
#pragma once

#include <cstdint>
#include <vector>

#include "app/demo.h"
#include "platform/memory_screen.h"
#include "bench/reference_passes.h"
#include "tools/scripted_events.h"

namespace bench {

// One 3x3 stamp as a plot writes it.
struct Stamp {
  int x, y;
  uint16_t colour;
};

// Owns the pools, both scenes and the screen for its lifetime (one at a time). The
// scene starts like particles-capture: start-up, then frames 16 ms apart, the Space
// presses that reach the mode delivered in frame 1, through the demo's RunFrame.
class SteadyScene {
 public:
  SteadyScene(int mode, int warmupFrames);
  ~SteadyScene();
  SteadyScene(const SteadyScene&) = delete;
  SteadyScene& operator=(const SteadyScene&) = delete;

  uint32_t NextTicks() { return ticks_ += 16; }
  void RunFrame();  // the demo's own frame step
  // The frame step built from the given passes; mark(phase) before each phase.
  template <class Mark>
  void RunFrameWith(const FramePasses& passes, Mark&& mark) {
    ::RunFrameWith(passes, demo, NextTicks(), noPresses_, screen, mark);
  }
  // The stamps the last frame drew, in drawing order (2D, then 3D far to near).
  std::vector<Stamp> VisibleStamps() const;
  uint64_t PictureHash() const;  // FNV-1a over the last frame's pixels

  Demo demo;
  MemoryScreen screen;

 private:
  uint32_t ticks_ = 0;
  ScriptedEvents noPresses_{{}};  // the frames after the first
};

}  // namespace bench
