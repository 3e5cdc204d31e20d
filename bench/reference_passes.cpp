// reference_passes.cpp: the first, straightforward passes and plots, one division
// per quotient, kept unchanged as the reference the optimised ones must equal.
#include "bench/reference_passes.h"

#include <cstdint>

#include "fixedpoint/trig.h"
#include "fixedpoint/wrap.h"

namespace reference {
using namespace ::particles;
using mat4 = vmath::mat4<fixed>;

namespace pass2d {

using fixedpoint::add32;
using fixedpoint::shl32;
using fixedpoint::sub32;

// World offset over the zoom as 16.16: at zoom 10.0, ten units make one pixel; the
// division truncates toward zero, so an offset of -1 lands on the centre pixel.
int32_t Project(int32_t world, int32_t centre, int32_t zoomRaw, int32_t screenCentre) {
  return add32(shl32(sub32(world, centre), 16) / zoomRaw, screenCentre);
}

}  // namespace pass2d

using namespace pass2d;
void Update2DEmiters(Pool2D& pool, const Camera2D& camera, unsigned now, unsigned dt) {
  const int32_t zoomRaw = camera.zoom.raw();
  const auto zoomUnsigned = static_cast<uint32_t>(zoomRaw);

  pool.visibleCount = 0;
  for (uint32_t e = 0; e < Pool2D::kEmiterSlots; ++e) {
    Emiter& emiter = pool.emiters[e];
    emiter.visible = 0;
    if (pool.emiterUsed[e] == 0) continue;
    if (emiter.emiterFunc != nullptr) emiter.emiterFunc(&emiter, now, dt);

    const int32_t sx = Project(emiter.x, camera.x, zoomRaw, 160);
    const int32_t sy = Project(emiter.y, camera.y, zoomRaw, 120);
    const uint32_t r = (emiter.radius << 16) / zoomUnsigned;
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
    const ParticleFunc behaviour = emiter->particleFunc;
    Particle* const particles = emiter->particles;
    for (uint32_t k = 0; k < count; ++k) behaviour(emiter, particles + k, now, dt);

    ParticleData* const data = emiter->data;
    for (uint32_t k = 0; k < count; ++k) {
      ParticleData& d = data[k];
      d.screenX = Project(d.x, camera.x, zoomRaw, 160);
      d.screenY = Project(d.y, camera.y, zoomRaw, 120);
      // One pixel of margin keeps the 3x3 stamp inside the screen.
      d.visible = (static_cast<uint32_t>(d.screenX) - 1u <= 317u &&
                   static_cast<uint32_t>(d.screenY) - 1u <= 237u)
                      ? 1
                      : 0;
    }
  }
}

namespace pass3d {

using mat4 = vmath::mat4<fixed>;

constexpr uint32_t kFarLimit = 65536000;        // 1000.0: emitters beyond are not drawn
constexpr int32_t kCullMargin = 65536;          // 1.0: slack around the screen centre
constexpr uint32_t kScreenSpan = 131072;        // 2.0: width of the -1.0..1.0 square
constexpr uint32_t kScreenHalf = 65536;         // 1.0
constexpr int32_t kFadeStep = 70000;            // raw w per step of darkening (about 1.068)

// Distance of a projected centre from the screen centre. The two squares may add
// up to 2^63, past the signed 64-bit range, so they are summed unsigned; only bits
// 16..47 of the sum are kept, which signedness does not affect.
fixed ScreenDistance(fixed px, fixed py) {
  const int64_t x = px.raw();
  const int64_t y = py.raw();
  const uint64_t sum = static_cast<uint64_t>(x * x) + static_cast<uint64_t>(y * y);
  return fixed::from_raw(fixedpoint::fixsqrt16(static_cast<int32_t>(static_cast<uint32_t>(sum >> 16))));
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

// Each channel loses fade steps (floored at 0); green is kept as its top five
// bits at 6..10, so the lowest green bit of the result is always 0.
uint16_t Shade(uint16_t colour, int32_t fade) {
  int red = ((colour >> 11) & 31) - fade;
  int green = ((colour >> 6) & 31) - fade;
  int blue = (colour & 31) - fade;
  if (red < 0) red = 0;
  if (green < 0) green = 0;
  if (blue < 0) blue = 0;
  return static_cast<uint16_t>((red << 11) | (green << 6) | blue);
}

void CullEmiters(Pool3D& pool, const mat4& viewProj, unsigned now, const fixed& dt) {
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

    const fixed px = c.x / c.w;
    const fixed py = c.y / c.w;
    const fixed r = emiter.radius / c.w;
    const fixed dist = ScreenDistance(px, py);
    if ((dist - r).raw() > kCullMargin) continue;

    emiter.depth = c.w - r;
    emiter.visible = 1;
    InsertByDepth(pool, &emiter);
  }
}

void ProjectParticles(Emiter3D& emiter, const mat4& viewProj) {
  Particle3DData* data = emiter.data;
  const unsigned count = emiter.count;
  for (unsigned k = 0; k < count; ++k) {
    Particle3DData& d = data[k];
    d.clip = viewProj * d.position;
    d.visible = 0;
    if (d.clip.w.raw() <= 0) continue;  // behind the camera or on its plane
    d.clip.x = d.clip.x / d.clip.w;
    d.clip.y = d.clip.y / d.clip.w;
    if (static_cast<uint32_t>(d.clip.x.raw()) + kScreenHalf > kScreenSpan) continue;
    if (static_cast<uint32_t>(d.clip.y.raw()) + kScreenHalf > kScreenSpan) continue;
    d.shadedColour = Shade(d.colour, d.clip.w.raw() / kFadeStep);
    d.visible = 1;
  }
}

}  // namespace pass3d

using namespace pass3d;
void Update3DEmiters(Pool3D& pool, const mat4& viewProj, unsigned now, unsigned frameMs) {
  // Seconds as a 16.16 quotient; frames of 32768 ms or more wrap in the conversion.
  const fixed dt = fixed(static_cast<int>(frameMs)) / fixed(1000);

  CullEmiters(pool, viewProj, now, dt);

  for (unsigned i = 0; i < pool.visibleCount; ++i) {
    Emiter3D& emiter = *pool.visibleEmiters[i];
    const Particle3DFunc behave = emiter.particleFunc;
    for (unsigned k = 0; k < emiter.count; ++k) behave(&emiter, emiter.particles + k, now, dt);
    ProjectParticles(emiter, viewProj);
  }
}

ScreenPoint StampCentre(const ::particles::Particle3DData& d) {
  using ::particles::fixed;
  constexpr fixed kOne = fixed::from_raw(65536);            // 1.0
  constexpr fixed kHalfWidth = fixed::from_raw(10354688);   // 158.0
  constexpr fixed kHalfHeight = fixed::from_raw(7733248);   // 118.0
  return {((d.clip.x + kOne) * kHalfWidth + kOne).to_int(),
          ((d.clip.y + kOne) * kHalfHeight + kOne).to_int()};
}

void Plot2DParticles(const ::particles::Pool2D& pool, PixelBuffer buffer) {
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    const ::particles::Emiter* emiter = pool.visibleEmiters[i];
    const ::particles::ParticleData* const data = emiter->data;
    const uint32_t count = emiter->count;
    for (uint32_t k = 0; k < count; ++k) {
      if (data[k].visible != 0) PlotStamp(buffer, data[k].screenX, data[k].screenY, data[k].colour);
    }
  }
}

void Plot3DParticles(const ::particles::Pool3D& pool, PixelBuffer buffer) {
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    const ::particles::Emiter3D* emiter = pool.visibleEmiters[i];
    const ::particles::Particle3DData* const data = emiter->data;
    const uint32_t count = emiter->count;
    for (uint32_t k = 0; k < count; ++k) {
      if (data[k].visible == 0) continue;
      const ScreenPoint p = StampCentre(data[k]);
      PlotStamp(buffer, p.x, p.y, data[k].shadedColour);
    }
  }
}

}  // namespace reference
