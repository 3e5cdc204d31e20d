#include "particles/behaviours3d.h"

#include <algorithm>

#include "particles/pool.h"
#include "particles/random.h"
#include "vmath/vmath.h"

namespace particles {
namespace {

using vec3 = vmath::vec3<fixed>;
using mat4 = vmath::mat4<fixed>;

constexpr fixed kZero = fixed::from_raw(0);
constexpr fixed kOne = fixed::from_raw(65536);               // 1.0
constexpr fixed kGravity = fixed::from_raw(-9830400);        // -150.0 units/s^2 along z
constexpr fixed kFountainSpread = fixed::from_raw(19660);    // 0.3 (truncated)
constexpr fixed kFireRise = fixed::from_raw(1048576);        // 16.0 units/s
constexpr fixed kFireCell = fixed::from_raw(3276);           // 0.05 (truncated)
constexpr fixed kCometCell = fixed::from_raw(1966);          // 0.03 (truncated)
constexpr fixed kCometTurnRate = fixed::from_raw(196608);    // 3.0 radians/s
constexpr fixed kCometSpeed = fixed::from_raw(196608);       // 3.0 units/s
// Entry 0 of every 3D emitter's velocities at set-up; only the comet reads it.
constexpr vec4 kStartVelocity{kOne, kZero, kZero, kOne};

// at + a * b, the sum and product in one step as fixmuladd16 makes it.
fixed AddProduct(fixed at, fixed a, fixed b) { return fixed::from_raw(fixedpoint::fixmuladd16(at.raw(), a.raw(), b.raw())); }

// The three five-bit fields of a birth draw and the three-bit field under b2.
struct BirthBits {
  int b0, b1, b2, q;
};

// The shared life rule, decided in this order on every call: an empty slot is born
// (two draws: its life of 64..319 ms, then the bits of born(bits)), a particle past its
// deathTime empties its slot, anything else lives on: moves().
template <class Born, class Moves>
void Live(Particle3D* particle, unsigned now, Born&& born, Moves&& moves) {
  if (particle->deathTime == 0) {
    particle->deathTime = now + static_cast<unsigned>(Rand() % 256) + 64;
    const int r = Rand();
    born(BirthBits{r & 31, (r >> 5) & 31, (r >> 10) & 31, (r >> 10) & 7});
  } else if (particle->deathTime < now) {
    particle->deathTime = 0;
  } else {
    moves();
  }
}

}  // namespace

void Fontaine3DParticlesInit(Emiter3D* emiter) { BindVelocities(*emiter, kStartVelocity); }
void Feu3DParticlesInit(Emiter3D* emiter) { BindVelocities(*emiter, kStartVelocity); }
void Comete3DParticlesInit(Emiter3D* emiter) { BindVelocities(*emiter, kStartVelocity); }

void Fontaine3DParticles(Emiter3D* emiter, Particle3D* particle, unsigned now, const fixed& dt) {
  vec4& v = *particle->velocity;
  vec4& p = particle->data->position;
  Live(
      particle, now,
      [&](const BirthBits& b) {
        p = emiter->position;
        v = vec4{fixed(b.b0 - 15), fixed(b.b1 - 15), fixed(31 - b.q), kZero};
        particle->data->colour = static_cast<uint16_t>((b.b2 << 6) | 0x00FF);
      },
      [&] {
        // Read before written: the compiler cannot tell the velocity from the position.
        const vec4 speed = v, at = p;
        const fixed vz = speed.z + dt * kGravity;
        const fixed h = dt * kFountainSpread;
        v.z = vz;
        p.x = AddProduct(at.x, speed.x, h);  // the sideways drift runs at 0.3 of the stored speed
        p.y = AddProduct(at.y, speed.y, h);
        p.z = AddProduct(at.z, vz, dt);  // the new vertical speed, at full rate
      });
}

void Feu3DParticles(Emiter3D* emiter, Particle3D* particle, unsigned now, const fixed& dt) {
  vec4& v = *particle->velocity;
  vec4& p = particle->data->position;
  Live(
      particle, now,
      [&](const BirthBits& b) {
        v = vec4{kZero, kZero, kFireRise, kZero};
        // b2 sets both the height in the birth cube and the green level: higher is yellower.
        particle->data->colour = static_cast<uint16_t>(0xF800 | (b.b2 << 6));
        p = emiter->position + vec4{fixed(b.b0 - 15) * kFireCell, fixed(b.b1 - 15) * kFireCell,
                                    fixed(b.b2 - 15) * kFireCell, kZero};
      },
      [&] {
        const vec4 speed = v, at = p;  // read before written, as the fountain's
        p.x = AddProduct(at.x, speed.x, dt);
        p.y = AddProduct(at.y, speed.y, dt);
        p.z = AddProduct(at.z, speed.z, dt);
      });
}

void Comete3DParticles(Emiter3D* emiter, Particle3D* particle, unsigned now, const fixed&) {
  Live(
      particle, now,
      [&](const BirthBits& b) {
        // The colour records the birth offset: blue for x, green for y, red for z.
        particle->data->colour = static_cast<uint16_t>(b.b0 | (b.b1 << 6) | (b.b2 << 11));
        const vec4 offset{fixed(b.b0) * kCometCell, fixed(b.b1) * kCometCell,
                          fixed(b.b2) * kCometCell, kZero};
        particle->data->position = emiter->position + offset;
      },
      [] {});  // a live trail particle stays put
}

namespace {

// One behaviour over the emitter's particles, its body flattened into the loop: the
// call per particle would cost more than most of the bodies.
template <auto Behave>
[[gnu::flatten]] void RunEach(Emiter3D* emiter, unsigned now, const fixed& dt, Project3DRunFunc project,
                              const ClipRows& rows, ScreenStamp*& stamps) {
  Particle3D* const particles = emiter->particles;
  const unsigned count = emiter->count;
  // A copy the particles cannot alias, so the products of dt are made once.
  const fixed step = dt;
  for (unsigned k = 0; k < count; k += kPassRun) {
    const unsigned end = std::min(count, k + kPassRun);
    // By pointer alone: an index beside it would hold one more register in a loop
    // that already has too few.
    for (Particle3D *p = particles + k, *const stop = particles + end; p != stop; ++p) Behave(emiter, p, now, step);
    stamps = project(emiter->data + k, end - k, rows, stamps);
  }
}

}  // namespace

void Run3DParticles(Emiter3D* emiter, unsigned now, const fixed& dt, Project3DRunFunc project,
                    const ClipRows& rows, ScreenStamp*& stamps) {
  const Particle3DFunc behave = emiter->particleFunc;
  if (behave == Fontaine3DParticles) return RunEach<Fontaine3DParticles>(emiter, now, dt, project, rows, stamps);
  if (behave == Feu3DParticles) return RunEach<Feu3DParticles>(emiter, now, dt, project, rows, stamps);
  if (behave == Comete3DParticles) return RunEach<Comete3DParticles>(emiter, now, dt, project, rows, stamps);
  for (unsigned k = 0; k < emiter->count; ++k) behave(emiter, emiter->particles + k, now, dt);
  stamps = project(emiter->data, emiter->count, rows, stamps);
}

void Comete3DEmiters(Emiter3D* emiter, unsigned, const fixed& dt) {
  vec4& v = emiter->velocities[0];
  const vec4 a = v * dt;
  const int m = Rand() % 6 + 1;
  emiter->position = emiter->position + a * fixed(m);

  const fixed theta = dt * kCometTurnRate;
  const vec3 axis{kZero, kZero, kOne};
  const mat4 turn = vmath::rotation(theta, axis);
  const vec4 turned = turn * v;
  v.x = turned.x;
  v.y = turned.y;
  v.z = turned.z;

  // w takes part in the step and the normalisation but is not scaled back up,
  // so it decays over the first frames and nudges the head's w a little.
  const vec4 n = vmath::normalize(v);
  v = vec4{kCometSpeed * n.x, kCometSpeed * n.y, kCometSpeed * n.z, n.w};
}

}  // namespace particles
