#include "app/render.h"

#include "fixedpoint/wrap.h"

void ClearScreen(Screen& screen, int32_t& color) {
  const int32_t v = fixedpoint::asr32(color, 8);
  // Unmasked on purpose: past v = 31 the terms spill into the neighbouring fields.
  const int32_t value = fixedpoint::shl32(v, 11) | fixedpoint::shl32(v, 5) | v;
  screen.Fill(static_cast<uint32_t>(value));
  color = fixedpoint::add32(color, 1);
}

void PlotStamp(PixelBuffer buffer, int px, int py, uint16_t c) {
  // Each RGB565 channel halved (quartered), its low bits dropped, in one shift: the
  // mask clears the bits that slid in from the channel above.
  const auto half = static_cast<uint16_t>((c >> 1) & 0x7BEF);
  const auto quarter = static_cast<uint16_t>((c >> 2) & 0x39E7);
  const int stride = buffer.pitch / 2;  // pixels from one row to the next
  uint16_t* const o = buffer.pixels + py * stride + px;
  o[0] = c;
  o[1] = half;
  o[-1] = half;
  o[stride] = half;
  o[-stride] = half;
  o[-stride - 1] = quarter;
  o[-stride + 1] = quarter;
  o[stride - 1] = quarter;
  o[stride + 1] = quarter;
}

void Plot2DParticles(const particles::Pool2D& pool, PixelBuffer buffer) {
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    const particles::Emiter* emiter = pool.visibleEmiters[i];
    const particles::ParticleData* const data = emiter->data;
    const uint32_t count = emiter->count;
    for (uint32_t k = 0; k < count; ++k) {
      if (data[k].visible != 0) PlotStamp(buffer, data[k].screenX, data[k].screenY, data[k].colour);
    }
  }
}

void Plot3DParticles(const particles::Pool3D& pool, PixelBuffer buffer) {
  using particles::fixed;
  constexpr fixed kOne = fixed::from_raw(65536);            // 1.0
  constexpr fixed kHalfWidth = fixed::from_raw(10354688);   // 158.0
  constexpr fixed kHalfHeight = fixed::from_raw(7733248);   // 118.0
  for (uint32_t i = 0; i < pool.visibleCount; ++i) {
    const particles::Emiter3D* emiter = pool.visibleEmiters[i];
    const particles::Particle3DData* const data = emiter->data;
    const uint32_t count = emiter->count;
    for (uint32_t k = 0; k < count; ++k) {
      if (data[k].visible == 0) continue;
      const int px = ((data[k].clip.x + kOne) * kHalfWidth + kOne).to_int();
      const int py = ((data[k].clip.y + kOne) * kHalfHeight + kOne).to_int();
      PlotStamp(buffer, px, py, data[k].shadedColour);
    }
  }
}
