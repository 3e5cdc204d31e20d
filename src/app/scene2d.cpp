#include "app/scene2d.h"

#include "particles/behaviours2d.h"
#include "particles/random.h"

namespace {

using particles::Emiter;
using particles::EmiterVec2;

// Takes one emitter from the pool and gives it its place, behaviours and velocities,
// entry 0 starting at start.
Emiter* MakeEmiter(particles::Pool2D& pool, uint32_t count, int32_t x, int32_t y, uint32_t radius,
                   particles::ParticleFunc particleFunc, particles::EmiterFunc emiterFunc,
                   EmiterVec2 start) {
  Emiter* e = pool.AllocateEmiter(count);
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

void CreateScene2D(particles::Pool2D& pool, Emiter* (&emiters2D)[kScene2DEmiters]) {
  for (int pair = 0; pair < 5; ++pair) {
    for (int i = 2 * pair; i < 2 * pair + 2; ++i) {
      // Column, then row: separate statements keep the draws in that order.
      const int column = particles::Rand() % 320;
      const int row = particles::Rand() % 240;
      // Countdown 0: each fountain jumps to a fresh spot on its first update.
      emiters2D[i] = MakeEmiter(pool, 100, column * 10, row * 10, 300, particles::FontaineParticles,
                                particles::FontaineEmiters, EmiterVec2{0, 0});
    }
  }
  // The fire stays at the bottom centre; its entry 0 is never read.
  emiters2D[10] =
      MakeEmiter(pool, 1000, 1600, 2390, 500, particles::FeuParticles, nullptr, EmiterVec2{1, 0});
  // The comet starts at the centre heading right and down.
  emiters2D[11] = MakeEmiter(pool, 500, 1600, 1200, 500, particles::CometeParticles,
                             particles::CometeEmiters, EmiterVec2{1, 1});
}
