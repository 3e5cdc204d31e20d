#include "platform/memory_screen.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

MemoryScreen::MemoryScreen(int pitchPixels)
    : pitchPixels_(std::max(pitchPixels, kScreenWidth)),
      pixels_(static_cast<std::size_t>(pitchPixels_) * kScreenHeight, 0) {}

void MemoryScreen::Fill(uint32_t value) {
  // Like the software surface's fill: the whole surface, low 16 bits of value. The
  // fill is a good part of a frame on the console: one row is written, then copied to
  // the others by the C library's block copy, which moves eight words per instruction.
  const uint16_t v = static_cast<uint16_t>(value & 0xFFFFu);
  uint16_t* const first = pixels_.data();
  std::fill(first, first + kScreenWidth, v);
  for (int y = 1; y < kScreenHeight; ++y) {
    std::memcpy(first + static_cast<std::size_t>(y) * pitchPixels_, first, kScreenWidth * sizeof *first);
  }
}

PixelBuffer MemoryScreen::Lock() {
  return PixelBuffer{pixels_.data(), pitchPixels_ * 2};
}

void MemoryScreen::CopyPicture(uint16_t* out) const {
  for (int y = 0; y < kScreenHeight; ++y) {
    const uint16_t* row = pixels_.data() + static_cast<std::size_t>(y) * pitchPixels_;
    std::copy(row, row + kScreenWidth, out + static_cast<std::size_t>(y) * kScreenWidth);
  }
}
