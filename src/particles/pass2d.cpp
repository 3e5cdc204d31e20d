#include "particles/pass2d.h"

#include <cstdint>

#include "fixedpoint/divide.h"
#include "fixedpoint/wrap.h"
#include "particles/behaviours2d.h"
#include "particles/project_x86.h"
#include "particles/projection.h"

namespace particles {
namespace {

using fixedpoint::add32;
using fixedpoint::shl32;
using fixedpoint::sub32;

// World offset over the zoom as 16.16: at zoom 10.0, ten units make one pixel; the
// division truncates toward zero, so an offset of -1 lands on the centre pixel.
template <class Divisor>
int32_t Project(int32_t world, int32_t centre, const Divisor& zoom, int32_t screenCentre) {
  return add32(fixedpoint::Divide32(shl32(sub32(world, centre), 16), zoom), screenCentre);
}

}  // namespace

template <auto MakeDivisor>
void List2DEmiters(Pool2D& pool, const Camera2D& camera, unsigned now, unsigned dt) {
  const auto zoom = MakeDivisor(camera.zoom.raw());
  pool.visibleCount = 0;
  for (uint32_t e = 0; e < Pool2D::kEmiterSlots; ++e) {
    Emiter& emiter = pool.emiters[e];
    emiter.visible = 0;
    if (pool.emiterUsed[e] == 0) continue;
    if (emiter.emiterFunc != nullptr) emiter.emiterFunc(&emiter, now, dt);

    const int32_t sx = Project(emiter.x, camera.x, zoom, kScreenCentreX);
    const int32_t sy = Project(emiter.y, camera.y, zoom, kScreenCentreY);
    // The radius's 16.16 form wraps in 32 bits, as an unsigned shift does.
    const auto r = static_cast<uint32_t>(fixedpoint::Divide(emiter.radius << 16, zoom));
    // -r <= s < size + r as one unsigned test: a sum below 0 wraps to a huge value.
    if (static_cast<uint32_t>(sx) + r < kScreenWidth + 2u * r &&
        static_cast<uint32_t>(sy) + r < kScreenHeight + 2u * r) {
      emiter.visible = 1;
      pool.visibleEmiters[pool.visibleCount++] = &emiter;
    }
  }
}

using fixedpoint::MakeNativeDivisor;
using fixedpoint::MakeSharedDivisor;
template void List2DEmiters<MakeSharedDivisor>(Pool2D&, const Camera2D&, unsigned, unsigned);
template void List2DEmiters<MakeNativeDivisor>(Pool2D&, const Camera2D&, unsigned, unsigned);

namespace {

// The pass's Project2DRunFunc: eight particles at a time with AVX-512 and four with
// AVX2, the C++ projection of one particle for the rest.
ScreenStamp* Project2DParticles(ParticleData* data, uint32_t n, const View2D& frameView, ScreenStamp* stamps) {
  const View2D view = frameView;  // a copy the records' stores cannot alias, kept out of memory
  uint32_t k = 0;
#if defined(__x86_64__)
  const int lanes = VectorProjectionLanes();
  if (lanes == 8) k = Project2DWide(data, n, view.x, view.y, view.zoom, stamps);
  if (lanes >= 4) k += Project2DVector(data + k, n - k, view.x, view.y, view.zoom, stamps);
#endif
  for (; k < n; ++k) Project2DParticle(data[k], view, stamps);
  return stamps;
}

}  // namespace

void Update2DEmiters(Pool2D& pool, const Camera2D& camera, unsigned now, unsigned dt) {
  List2DEmiters<MakeSharedDivisor>(pool, camera, now, dt);
  const View2D view = View2DOf(camera);
  ScreenStamp* stamps = pool.stamps;
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    Run2DParticles(pool.visibleEmiters[i], now, dt, Project2DParticles, view, stamps);
  }
  pool.stampCount = static_cast<uint32_t>(stamps - pool.stamps);
}

}  // namespace particles
