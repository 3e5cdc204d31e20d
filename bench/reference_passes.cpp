#include "bench/reference_passes.h"

#include <cstdint>

#include "fixedpoint/divide.h"
#include "particles/projection.h"

namespace reference {

using fixedpoint::MakeNativeDivisor;  // the / operator's quotient, one division each
using fixedpoint::add32;
using fixedpoint::shl32;
using fixedpoint::sub32;
using particles::fixed;

void Update2DEmiters(particles::Pool2D& pool, const particles::Camera2D& camera, unsigned now,
                     unsigned dt) {
  particles::List2DEmiters<MakeNativeDivisor>(pool, camera, now, dt);
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    particles::Emiter& e = *pool.visibleEmiters[i];
    for (uint32_t k = 0; k < e.count; ++k) e.particleFunc(&e, e.particles + k, now, dt);
    for (uint32_t k = 0; k < e.count; ++k) {
      particles::ParticleData& d = e.data[k];
      // The offset's 16.16 form wraps in 32 bits; the zoom is above 0.
      d.screenX = add32(shl32(sub32(d.x, camera.x), 16) / camera.zoom.raw(), particles::kScreenCentreX);
      d.screenY = add32(shl32(sub32(d.y, camera.y), 16) / camera.zoom.raw(), particles::kScreenCentreY);
      d.visible = particles::StampFits(d.screenX, d.screenY) ? 1 : 0;
    }
  }
}

void Update3DEmiters(particles::Pool3D& pool, const vmath::mat4<fixed>& viewProj, unsigned now,
                     unsigned frameMs) {
  const fixed dt = particles::FrameSeconds(frameMs);
  particles::List3DEmiters<MakeNativeDivisor>(pool, viewProj, now, dt);
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    particles::Emiter3D& e = *pool.visibleEmiters[i];
    for (uint32_t k = 0; k < e.count; ++k) e.particleFunc(&e, e.particles + k, now, dt);
    for (uint32_t k = 0; k < e.count; ++k) {
      particles::Particle3DData& d = e.data[k];
      const particles::vec4 c = viewProj * d.position;
      d.clip = {c.x, c.y};
      d.visible = 0;
      if (c.w.raw() <= 0) continue;  // behind the camera or on its plane
      d.clip = {c.x / c.w, c.y / c.w};
      if (!particles::OnScreen(d.clip.x) || !particles::OnScreen(d.clip.y)) continue;
      d.shadedColour = particles::Shade(d.colour, particles::DepthFade(c.w));
      d.visible = 1;
    }
  }
}

ScreenPoint StampCentre(const particles::Particle3DData& d) {
  constexpr fixed kOne = fixed::from_raw(65536);  // 1.0
  constexpr fixed kHalfWidth(particles::kStampHalfSpanX);
  constexpr fixed kHalfHeight(particles::kStampHalfSpanY);
  return {((d.clip.x + kOne) * kHalfWidth + kOne).to_int(),
          ((d.clip.y + kOne) * kHalfHeight + kOne).to_int()};
}

void Plot2DParticles(const particles::Pool2D& pool, PixelBuffer buffer) {
  particles::ForEachVisibleParticle(pool, [&](const particles::ParticleData& d) {
    PlotStamp(buffer, d.screenX, d.screenY, d.colour);
  });
}

void Plot3DParticles(const particles::Pool3D& pool, PixelBuffer buffer) {
  particles::ForEachVisibleParticle(pool, [&](const particles::Particle3DData& d) {
    const ScreenPoint p = StampCentre(d);
    PlotStamp(buffer, p.x, p.y, d.shadedColour);
  });
}

}  // namespace reference
