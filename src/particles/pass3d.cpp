#include "particles/pass3d.h"

#include <cstdint>

#include "fixedpoint/divide.h"
#include "fixedpoint/trig.h"
#include "particles/behaviours3d.h"
#include "particles/project_arm.h"
#include "particles/project_x86.h"
#include "particles/projection.h"

namespace particles {
namespace {

using mat4 = vmath::mat4<fixed>;

constexpr uint32_t kFarLimit = 65536000;  // 1000.0: emitters beyond are not drawn
constexpr int32_t kCullMargin = 65536;    // 1.0: slack around the screen centre

// Distance of a projected centre from the screen centre.
fixed ScreenDistance(fixed px, fixed py) {
  return fixed::from_raw(fixedpoint::fixsqrt16(vmath::dot2(px, py, px, py).raw()));
}

// a / w as the 16.16 quotient gives it, from w's divisor: one divisor serves every
// quotient over the same w.
template <class Divisor>
fixed Quotient(fixed a, const Divisor& w) {
  return fixed::from_raw(fixedpoint::Quotient16(a.raw(), w));
}

// Puts the emitter after every listed one at least as deep: farthest first, and
// among equal depths the lower slot first.
void InsertByDepth(Pool3D& pool, Emiter3D* emiter) {
  const unsigned count = pool.visibleCount;
  unsigned at = 0;
  while (at < count && !(pool.visibleEmiters[at]->depth < emiter->depth)) ++at;
  for (unsigned i = count; i > at; --i) pool.visibleEmiters[i] = pool.visibleEmiters[i - 1];
  pool.visibleEmiters[at] = emiter;
  pool.visibleCount = count + 1;
}

}  // namespace

fixed FrameSeconds(unsigned frameMs) { return fixed(static_cast<int>(frameMs)) / fixed(1000); }

template <auto MakeDivisor>
void List3DEmiters(Pool3D& pool, const mat4& viewProj, unsigned now, const fixed& dt) {
  pool.visibleCount = 0;
  for (unsigned e = 0; e < Pool3D::kEmiterSlots; ++e) {
    Emiter3D& emiter = pool.emiters[e];
    emiter.visible = 0;
    if (pool.emiterUsed[e] == 0) continue;
    if (emiter.emiterFunc != nullptr) emiter.emiterFunc(&emiter, now, dt);

    const vec4 c = viewProj * emiter.position;
    // One unsigned test keeps 0 <= w <= 1000.0.
    if (static_cast<uint32_t>(c.w.raw()) > kFarLimit) continue;
    // An emitter exactly on the camera plane (w = 0) cannot be projected; it is
    // out of view, as a particle there is, rather than a division by zero.
    if (c.w.raw() == 0) continue;

    const auto w = MakeDivisor(c.w.raw());
    const fixed r = Quotient(emiter.radius, w);
    const fixed dist = ScreenDistance(Quotient(c.x, w), Quotient(c.y, w));
    if ((dist - r).raw() > kCullMargin) continue;

    emiter.depth = c.w - r;
    emiter.visible = 1;
    InsertByDepth(pool, &emiter);
  }
}

using fixedpoint::MakeNativeDivisor;
using fixedpoint::MakeSharedDivisor;
template void List3DEmiters<MakeSharedDivisor>(Pool3D&, const mat4&, unsigned, const fixed&);
template void List3DEmiters<MakeNativeDivisor>(Pool3D&, const mat4&, unsigned, const fixed&);

namespace {

// The pass's Project3DRunFunc: the console's assembly loop; eight particles at a time
// with AVX-512 and four with AVX2; the C++ projection of one particle for the rest.
ScreenStamp* Project3DParticles(Particle3DData* data, unsigned n, const ClipRows& rows, ScreenStamp* stamps) {
#if defined(PARTICLES_ARM_PROJECTION)
  return Project3DParticlesArm(data, n, rows, stamps);
#else
  unsigned k = 0;
#if defined(__x86_64__)
  const int lanes = VectorProjectionLanes();
  if (lanes == 8) k = Project3DWide(data, n, rows, stamps);
  if (lanes >= 4) k += Project3DVector(data + k, n - k, rows, stamps);
#endif
  for (; k < n; ++k) Project3DParticle(data[k], rows, stamps);
  return stamps;
#endif
}

}  // namespace

void Update3DEmiters(Pool3D& pool, const mat4& viewProj, unsigned now, unsigned frameMs) {
  const fixed dt = FrameSeconds(frameMs);
  List3DEmiters<MakeSharedDivisor>(pool, viewProj, now, dt);
  const ClipRows rows = ClipRowsOf(viewProj);
  ScreenStamp* stamps = pool.stamps;
  for (unsigned i = 0; i < pool.visibleCount; ++i) {
    Run3DParticles(pool.visibleEmiters[i], now, dt, Project3DParticles, rows, stamps);
  }
  pool.stampCount = static_cast<uint32_t>(stamps - pool.stamps);
}

}  // namespace particles
