// Catches an optimised pass or plot that differs from the straightforward reference
// by a single bit anywhere in a long scripted run of the real scenes: a reciprocal
// quotient off by one, a hoisted value that should have changed within the frame, a
// visible flag, shade or listing order that drifts. Every frame's picture and pass
// output is fingerprinted under both versions and the sequences must be equal.
#include "bench/reference_passes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "particles/pools.h"
#include "particles/project_x86.h"
#include "particles/random.h"
#include "platform/fps.h"
#include "platform/memory_screen.h"
#include "tests/particles/test_support.h"

namespace {

constexpr int kFrames = 1600;

struct NoEvents final : EventSource {
  bool Poll(SDL_Event*) override { return false; }
};

// FNV-1a over the bytes of each value fed in.
struct Fingerprint {
  uint64_t h = 1469598103934665603u;
  template <typename T>
  void Add(const T& v) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    for (unsigned char c : b) h = (h ^ c) * 1099511628211u;
  }
};

uint64_t PassOutput(const particles::Pool2D& p2, const particles::Pool3D& p3, const MemoryScreen& screen) {
  Fingerprint f;
  std::vector<uint16_t> picture(320 * 240);
  screen.CopyPicture(picture.data());
  for (uint16_t px : picture) f.Add(px);
  f.Add(p2.visibleCount);
  for (uint32_t i = 0; i < p2.visibleCount; ++i) {
    const particles::Emiter* e = p2.visibleEmiters[i];
    f.Add(e - p2.emiters);
    for (uint32_t k = 0; k < e->count; ++k) {
      f.Add(e->data[k].screenX), f.Add(e->data[k].screenY), f.Add(e->data[k].visible);
    }
  }
  f.Add(p3.visibleCount);
  for (uint32_t i = 0; i < p3.visibleCount; ++i) {
    const particles::Emiter3D* e = p3.visibleEmiters[i];
    f.Add(e - p3.emiters), f.Add(e->depth.raw());
    for (uint32_t k = 0; k < e->count; ++k) {
      const particles::Particle3DData& d = e->data[k];
      f.Add(d.clip.x.raw()), f.Add(d.clip.y.raw()), f.Add(d.clip.z.raw()), f.Add(d.clip.w.raw());
      f.Add(d.visible);
      if (d.visible) f.Add(d.shadedColour);
    }
  }
  return f.h;
}

// The clock of the run: 16 and 17 ms frames, a five-second stall (the views jump and
// every particle dies at once) and a tick counter that wraps during the run.
uint32_t Ticks(int k) { return 0xFFFFC000u + 16u * k + (k % 3 == 0) + (k >= 700 ? 5000u : 0u); }
int Mode(int k) { return k < 300 ? 3 : k < 500 ? 1 : k < 900 ? 3 : k < 1100 ? 2 : 3; }

// One whole run from start-up: the frame step with either version of the passes.
std::vector<uint64_t> RunDemo(bool useReference) {
  test_support::LogCapture log;
  ResetFPS();
  particles::ResetRandom();
  particles::CreatePools();
  MemoryScreen screen;
  NoEvents events;
  Demo demo;
  BuildScenes(demo);
  StartClock(demo, Ticks(0));
  std::vector<uint64_t> prints;
  for (int k = 1; k <= kFrames; ++k) {
    demo.displayMode = Mode(k);
    if (!useReference) {
      RunFrame(demo, Ticks(k), events, screen);
    } else {
      RunFrameWith(reference::kStraightforward, demo, Ticks(k), events, screen, [](FramePhase) {});
    }
    prints.push_back(PassOutput(*particles::g_2DPool, *particles::g_3DPool, screen));
  }
  ReleaseScenes(demo);
  particles::ReportAndDestroyPools();
  return prints;
}

TEST(ReferencePasses, WholeRunsAreEqualFrameByFrame) {
  const std::vector<uint64_t> expected = RunDemo(true);
  const std::vector<uint64_t> got = RunDemo(false);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t k = 0; k < got.size(); ++k) {
    ASSERT_EQ(got[k], expected[k]) << "first difference in frame " << k + 1;
  }
#if defined(__x86_64__)
  // And with the scalar projections that CPUs without AVX2 run.
  particles::AllowVectorProjection(false);
  const std::vector<uint64_t> scalar = RunDemo(false);
  particles::AllowVectorProjection(true);
  for (size_t k = 0; k < scalar.size(); ++k) {
    ASSERT_EQ(scalar[k], expected[k]) << "scalar: first difference in frame " << k + 1;
  }
#endif
  // A run that never draws anything would pass trivially: the scenes must be live.
  EXPECT_NE(expected[10], expected[11]);
}

}  // namespace
