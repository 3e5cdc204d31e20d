#include "app/render.h"

#include "fixedpoint/wrap.h"

void ClearScreen(Screen& screen, int32_t& color) {
  const int32_t v = fixedpoint::asr32(color, 8);
  // Unmasked on purpose: past v = 31 the terms spill into the neighbouring fields.
  const int32_t value = fixedpoint::shl32(v, 11) | fixedpoint::shl32(v, 5) | v;
  screen.Fill(static_cast<uint32_t>(value));
  color = fixedpoint::add32(color, 1);
}

namespace {

// The stamp around o, rows `stride` pixels apart, in colour c (RGB565, the upper half
// 0); the caller has hoisted the stride and made the row pointer.
inline void Stamp(uint16_t* const o, const int stride, const uint32_t c) {
  // Each RGB565 channel halved (quartered), its low bits dropped, in one shift: the
  // mask clears the bits that slid in from the channel above.
  const auto half = static_cast<uint16_t>((c >> 1) & 0x7BEF);
  const auto quarter = static_cast<uint16_t>((c >> 2) & 0x39E7);
  // Row by row, left to right: the screen is far larger than the console's data cache,
  // which takes lines in on reads only, so these stores go out through its write
  // buffer, where stores to consecutive addresses make one memory transfer: three a
  // stamp instead of eight.
  uint16_t* const above = o - stride;
  uint16_t* const below = o + stride;
  above[-1] = quarter;
  above[0] = half;
  above[1] = quarter;
  o[-1] = half;
  o[0] = static_cast<uint16_t>(c);
  o[1] = half;
  below[-1] = quarter;
  below[0] = half;
  below[1] = quarter;
}

// Each stamp of stamps[0 .. count).
void PlotStamps(const particles::ScreenStamp* stamps, uint32_t count, PixelBuffer buffer) {
  const int stride = buffer.pitch / 2;
  uint16_t* const pixels = buffer.pixels;
  for (uint32_t k = 0; k < count; ++k) {
    const particles::ScreenStamp& s = stamps[k];
    Stamp(pixels + s.y * stride + s.x, stride, s.colour);
  }
}

}  // namespace

void PlotStamp(PixelBuffer buffer, int px, int py, uint16_t c) {
  const int stride = buffer.pitch / 2;  // pixels from one row to the next
  Stamp(buffer.pixels + py * stride + px, stride, c);
}

void Plot2DParticles(const particles::Pool2D& pool, PixelBuffer buffer) {
  PlotStamps(pool.stamps, pool.stampCount, buffer);
}

void Plot3DParticles(const particles::Pool3D& pool, PixelBuffer buffer) {
  PlotStamps(pool.stamps, pool.stampCount, buffer);
}
