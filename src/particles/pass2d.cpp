#include "particles/pass2d.h"

#include <cstdint>

#include "fixedpoint/divide.h"
#include "fixedpoint/wrap.h"
#include "particles/behaviours2d.h"
#include "particles/project_x86.h"

namespace particles {
namespace {

using fixedpoint::add32;
using fixedpoint::shl32;
using fixedpoint::sub32;

// World offset over the zoom as 16.16: at zoom 10.0, ten units make one pixel; the
// division truncates toward zero, so an offset of -1 lands on the centre pixel. The
// zoom's reciprocal is made once a frame; the quotient is exactly the / one.
int32_t Project(int32_t world, int32_t centre, const fixedpoint::SharedDivisor& zoom, int32_t screenCentre) {
  return add32(fixedpoint::Divide32(shl32(sub32(world, centre), 16), zoom), screenCentre);
}

}  // namespace

void Update2DEmiters(Pool2D& pool, const Camera2D& camera, unsigned now, unsigned dt) {
  const fixedpoint::SharedDivisor zoom = fixedpoint::MakeSharedDivisor(camera.zoom.raw());
  const int32_t cx = camera.x;
  const int32_t cy = camera.y;

  pool.visibleCount = 0;
  for (uint32_t e = 0; e < Pool2D::kEmiterSlots; ++e) {
    Emiter& emiter = pool.emiters[e];
    emiter.visible = 0;
    if (pool.emiterUsed[e] == 0) continue;
    if (emiter.emiterFunc != nullptr) emiter.emiterFunc(&emiter, now, dt);

    const int32_t sx = Project(emiter.x, cx, zoom, 160);
    const int32_t sy = Project(emiter.y, cy, zoom, 120);
    // The radius's 16.16 form wraps in 32 bits, as an unsigned shift does.
    const auto r = static_cast<uint32_t>(fixedpoint::Divide(emiter.radius << 16, zoom));
    // -r <= s < size + r as one unsigned test: a sum below 0 wraps to a huge value.
    if (static_cast<uint32_t>(sx) + r < 320u + 2u * r &&
        static_cast<uint32_t>(sy) + r < 240u + 2u * r) {
      emiter.visible = 1;
      pool.visibleEmiters[pool.visibleCount++] = &emiter;
    }
  }

  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    Emiter* emiter = pool.visibleEmiters[i];
    const uint32_t count = emiter->count;
    Run2DParticles(emiter, now, dt);

    ParticleData* const data = emiter->data;
    uint32_t k = 0;
#if defined(__x86_64__)
    if (HaveVectorProjection()) k = Project2DVector(data, count, cx, cy, camera.zoom.raw());
#endif
    for (; k < count; ++k) {
      ParticleData& d = data[k];
      d.screenX = Project(d.x, cx, zoom, 160);
      d.screenY = Project(d.y, cy, zoom, 120);
      // One pixel of margin keeps the 3x3 stamp inside the screen.
      d.visible = (static_cast<uint32_t>(d.screenX) - 1u <= 317u &&
                   static_cast<uint32_t>(d.screenY) - 1u <= 237u)
                      ? 1
                      : 0;
    }
  }
}

}  // namespace particles
