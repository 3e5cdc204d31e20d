#include "platform/memory_screen.h"

#include <algorithm>

MemoryScreen::MemoryScreen(int pitchPixels)
    : pitchPixels_(std::max(pitchPixels, kScreenWidth)),
      pixels_(static_cast<std::size_t>(pitchPixels_) * kScreenHeight, 0) {}

void MemoryScreen::Fill(uint32_t value) {
  // Like the software surface's fill: the whole surface, low 16 bits of value.
  const uint16_t v = static_cast<uint16_t>(value & 0xFFFFu);
  for (int y = 0; y < kScreenHeight; ++y) {
    uint16_t* row = pixels_.data() + static_cast<std::size_t>(y) * pitchPixels_;
    std::fill(row, row + kScreenWidth, v);
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
