#include "particles/pass3d.h"

#include <cstdint>

#include "fixedpoint/divide.h"
#include "fixedpoint/trig.h"
#include "particles/behaviours3d.h"
#include "particles/project_x86.h"

namespace particles {
namespace {

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

// a / w as the 16.16 quotient gives it, from w's reciprocal: one reciprocal serves
// every quotient over the same w.
fixed Quotient(fixed a, const fixedpoint::SharedDivisor& w) {
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

    const fixedpoint::SharedDivisor w = fixedpoint::MakeSharedDivisor(c.w.raw());
    const fixed px = Quotient(c.x, w);
    const fixed py = Quotient(c.y, w);
    const fixed r = Quotient(emiter.radius, w);
    const fixed dist = ScreenDistance(px, py);
    if ((dist - r).raw() > kCullMargin) continue;

    emiter.depth = c.w - r;
    emiter.visible = 1;
    InsertByDepth(pool, &emiter);
  }
}

// Clip position, visibility and shade of one particle.
void ProjectParticle(Particle3DData& d, const mat4& viewProj) {
  d.clip = viewProj * d.position;
  d.visible = 0;
  if (d.clip.w.raw() <= 0) return;  // behind the camera or on its plane
  const fixedpoint::SharedDivisor w = fixedpoint::MakeSharedDivisor(d.clip.w.raw());
  d.clip.x = Quotient(d.clip.x, w);
  d.clip.y = Quotient(d.clip.y, w);
  if (static_cast<uint32_t>(d.clip.x.raw()) + kScreenHalf > kScreenSpan) return;
  if (static_cast<uint32_t>(d.clip.y.raw()) + kScreenHalf > kScreenSpan) return;
  d.shadedColour = Shade(d.colour, d.clip.w.raw() / kFadeStep);
  d.visible = 1;
}

void ProjectParticles(Emiter3D& emiter, const mat4& viewProj) {
  Particle3DData* const data = emiter.data;
  const unsigned count = emiter.count;
  unsigned k = 0;
#if defined(__x86_64__)
  if (HaveVectorProjection()) k = Project3DVector(data, count, viewProj);
#endif
  for (; k < count; ++k) ProjectParticle(data[k], viewProj);
}

}  // namespace

void Update3DEmiters(Pool3D& pool, const mat4& viewProj, unsigned now, unsigned frameMs) {
  // Seconds as a 16.16 quotient; frames of 32768 ms or more wrap in the conversion.
  const fixed dt = fixed(static_cast<int>(frameMs)) / fixed(1000);

  CullEmiters(pool, viewProj, now, dt);

  for (unsigned i = 0; i < pool.visibleCount; ++i) {
    Emiter3D& emiter = *pool.visibleEmiters[i];
    Run3DParticles(&emiter, now, dt);
    ProjectParticles(emiter, viewProj);
  }
}

}  // namespace particles
