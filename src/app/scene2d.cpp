#include "app/scene2d.h"

#include "fixedpoint/wrap.h"
#include "particles/behaviours2d.h"
#include "particles/pools.h"
#include "particles/random.h"

namespace {

using particles::Emiter;
using particles::EmiterVec2;

constexpr uint32_t kLegMs = 4000;

// Takes one emitter from the 2D pool and gives it its place, behaviours and velocities,
// entry 0 starting at start.
Emiter* MakeEmiter(uint32_t count, int32_t x, int32_t y, uint32_t radius,
                   particles::ParticleFunc particleFunc, particles::EmiterFunc emiterFunc,
                   EmiterVec2 start) {
  if (particles::g_2DPool == nullptr) return nullptr;
  Emiter* e = particles::g_2DPool->AllocateEmiter(count);
  if (e == nullptr) return nullptr;
  e->x = x;
  e->y = y;
  e->particleFunc = particleFunc;
  e->emiterFunc = emiterFunc;
  e->radius = radius;
  particles::BindVelocities(*e, start);
  return e;
}

}  // namespace

void CreateScene2D(Emiter* (&emiters2D)[kScene2DEmiters]) {
  for (int pair = 0; pair < 5; ++pair) {
    for (int i = 2 * pair; i < 2 * pair + 2; ++i) {
      // Column, then row: separate statements keep the draws in that order.
      const int column = particles::Rand() % 320;
      const int row = particles::Rand() % 240;
      // Countdown 0: each fountain jumps to a fresh spot on its first update.
      emiters2D[i] = MakeEmiter(100, column * 10, row * 10, 300, particles::FontaineParticles,
                                particles::FontaineEmiters, EmiterVec2{0, 0});
    }
  }
  // The fire stays at the bottom centre; its entry 0 is never read.
  emiters2D[10] =
      MakeEmiter(1000, 1600, 2390, 500, particles::FeuParticles, nullptr, EmiterVec2{1, 0});
  // The comet starts at the centre heading right and down.
  emiters2D[11] = MakeEmiter(500, 1600, 1200, 500, particles::CometeParticles,
                             particles::CometeEmiters, EmiterVec2{1, 1});
}

void InitViews(Views& views, uint32_t startTicks) {
  views.camera = particles::Camera2D{0, 0, particles::fixed::from_raw(655360)};  // 10.0
  views.panFrom = WorldPoint{10, 10};
  views.panTo = WorldPoint{10, 10};
  views.sensZ = 1;
  views.nextMoveTime = startTicks;
}

void UpdateViews(Views& views, unsigned now, unsigned dt) {
  // Due once now has reached nextMoveTime, read through the difference so that the
  // tick counter crossing 2^31 cannot make every frame of a leg look due.
  if (static_cast<int32_t>(now - views.nextMoveTime) >= 0) {
    views.panFrom = views.panTo;
    views.panTo = WorldPoint{3200 - views.panTo.x, 2400 - views.panTo.y};
    RetargetCamera3D(views.camera3D);  // before nextMoveTime advances
    views.nextMoveTime = now + kLegMs;  // one leg only, however late the frame
  }
  const uint32_t remaining = views.nextMoveTime - now;  // 1..4000

  using fixedpoint::add32;
  using fixedpoint::mul32;
  const auto from = static_cast<int32_t>(remaining);
  const auto to = static_cast<int32_t>(kLegMs - remaining);
  views.camera.x = add32(mul32(from, views.panFrom.x), mul32(to, views.panTo.x)) / 4000;
  views.camera.y = add32(mul32(from, views.panFrom.y), mul32(to, views.panTo.y)) / 4000;

  // 1.0 of zoom per 256 ms of frame time.
  int32_t zoom =
      add32(views.camera.zoom.raw(), mul32(mul32(views.sensZ, static_cast<int32_t>(dt)), 256));
  // A long frame while falling (over 1280 ms near 5.0) would reach zero or below and
  // the pass would divide by it: restart the swing at its lower turn instead.
  if (zoom <= 0) zoom = 0x50000;                                   // 5.0
  if (static_cast<uint32_t>(zoom) >= 0x140000u) views.sensZ = -1;  // 20.0
  if (static_cast<uint32_t>(zoom) <= 0x50000u) views.sensZ = 1;    // 5.0
  views.camera.zoom = particles::fixed::from_raw(zoom);

  UpdateCamera3D(views.camera3D, remaining);  // the frame's view and viewProj
}
