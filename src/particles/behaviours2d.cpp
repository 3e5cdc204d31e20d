#include "particles/behaviours2d.h"

#include <algorithm>
#include <cstdint>

#include "fixedpoint/wrap.h"
#include "particles/pool.h"
#include "particles/random.h"

namespace particles {
namespace {

using fixedpoint::add32;
using fixedpoint::mul32;

// dt is unsigned milliseconds; the motion rules multiply it as a signed 32-bit value.
int32_t Signed(unsigned v) { return static_cast<int32_t>(v); }

}  // namespace

void FontaineEmiters(Emiter* emiter, unsigned /*now*/, unsigned dt) {
  EmiterVec2& state = emiter->velocities[0];
  state.x = fixedpoint::sub32(state.x, Signed(dt));
  if (state.x > 0) return;
  state.x = Rand() % 64 + 256;
  emiter->x = (Rand() % 320) * 10;
  emiter->y = (Rand() % 240) * 10;
}

void CometeEmiters(Emiter* emiter, unsigned /*now*/, unsigned dt) {
  EmiterVec2& direction = emiter->velocities[0];
  emiter->x = add32(emiter->x, mul32(Signed(dt), direction.x));
  emiter->y = add32(emiter->y, mul32(Signed(dt), direction.y));
  if (emiter->x < 0) direction.x = 1;
  if (emiter->x > 3200) direction.x = -1;
  if (emiter->y < 0) direction.y = 1;
  if (emiter->y > 2400) direction.y = -1;
}

void FontaineParticles(Emiter* emiter, Particle* particle, unsigned now, unsigned dt) {
  ParticleData& d = *particle->data;
  EmiterVec2& v = *particle->velocity;
  if (particle->deathTime == 0) {
    d.x = emiter->x;
    d.y = emiter->y;
    // The whole burst dies when the fountain is due to jump.
    particle->deathTime = now + static_cast<uint32_t>(emiter->velocities[0].x);
    const int r = Rand();
    v.x = (r & 0x1F) % 21 - 10;
    v.y = ((r >> 5) & 0x1F) % 21 - 10;
    d.colour = static_cast<uint16_t>(r & 0x3FF);
    return;
  }
  if (particle->deathTime < now) {
    particle->deathTime = 0;
    return;
  }
  // Quarter units: the division truncates toward zero, so slow particles creep.
  d.x = add32(d.x, mul32(Signed(dt), v.x) / 4);
  d.y = add32(d.y, mul32(Signed(dt), v.y) / 4);
}

void FeuParticles(Emiter* emiter, Particle* particle, unsigned now, unsigned dt) {
  ParticleData& d = *particle->data;
  EmiterVec2& v = *particle->velocity;
  if (particle->deathTime == 0) {
    particle->deathTime = now + static_cast<uint32_t>(Rand() % 256 + 64);
    const int r = Rand();
    v.x = 0;
    v.y = -4;
    const int row = (r >> 5) & 0x3F;
    d.x = add32(emiter->x, (r & 0x1F) * 16 - 240);
    d.y = add32(emiter->y, row * 16 - 240);
    d.colour = static_cast<uint16_t>(0xF800 | (row << 5));
    return;
  }
  if (particle->deathTime < now) {
    particle->deathTime = 0;
    return;
  }
  d.x = add32(d.x, mul32(Signed(dt), v.x));
  d.y = add32(d.y, mul32(Signed(dt), v.y));
}

void CometeParticles(Emiter* emiter, Particle* particle, unsigned now, unsigned /*dt*/) {
  ParticleData& d = *particle->data;
  if (particle->deathTime == 0) {
    particle->deathTime = now + static_cast<uint32_t>(Rand() % 512 + 64);
    const int r = Rand();
    d.x = add32(emiter->x, (r & 0x1F) * 4);
    d.y = add32(emiter->y, ((r >> 5) & 0x3F) * 4);
    // The low 16 bits of r with the red and blue fields exchanged.
    d.colour = static_cast<uint16_t>(((r & 0x1F) << 11) | (r & 0x7E0) | ((r >> 11) & 0x1F));
    return;
  }
  if (particle->deathTime < now) particle->deathTime = 0;
  // A living comet particle stays where it was born: the head's trail fades by expiry.
}

namespace {

// One behaviour over the emitter's particles, its body flattened into the loop: the
// call per particle would cost more than most of the bodies.
template <auto Behave>
[[gnu::flatten]] void RunEach(Emiter* emiter, unsigned now, unsigned dt, Project2DRunFunc project,
                              const View2D& view, ScreenStamp*& stamps) {
  Particle* const particles = emiter->particles;
  const uint32_t count = emiter->count;
  for (uint32_t k = 0; k < count; k += kPassRun) {
    const uint32_t end = std::min(count, k + kPassRun);
    for (Particle *p = particles + k, *const stop = particles + end; p != stop; ++p) Behave(emiter, p, now, dt);
    stamps = project(emiter->data + k, end - k, view, stamps);
  }
}

}  // namespace

void Run2DParticles(Emiter* emiter, unsigned now, unsigned dt, Project2DRunFunc project, const View2D& view,
                    ScreenStamp*& stamps) {
  const ParticleFunc behave = emiter->particleFunc;
  if (behave == FontaineParticles) return RunEach<FontaineParticles>(emiter, now, dt, project, view, stamps);
  if (behave == FeuParticles) return RunEach<FeuParticles>(emiter, now, dt, project, view, stamps);
  if (behave == CometeParticles) return RunEach<CometeParticles>(emiter, now, dt, project, view, stamps);
  for (uint32_t k = 0; k < emiter->count; ++k) behave(emiter, emiter->particles + k, now, dt);
  stamps = project(emiter->data, emiter->count, view, stamps);
}

}  // namespace particles
