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
