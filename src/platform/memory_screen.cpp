#include "platform/memory_screen.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

MemoryScreen::MemoryScreen(int pitchPixels)
    : pitchPixels_(std::max(pitchPixels, kScreenWidth)),
      pixels_(static_cast<std::size_t>(pitchPixels_) * kScreenHeight, 0) {}

namespace {

// Two pixels per store: a 32-bit word that may overlay the 16-bit pixels.
using PixelPair = uint32_t __attribute__((may_alias));
// Eight words copied as one: the ARM compiler moves it with load- and store-multiple.
struct alignas(4) Run {
  PixelPair words[8];
};

}  // namespace

void MemoryScreen::Fill(uint32_t value) {
  // Like the software surface's fill: the whole surface, low 16 bits of value. The
  // fill is a good part of a frame on the console, so it stores runs of eight words;
  // both halves of a word hold the same pixel, whatever the byte order.
  const uint16_t v = static_cast<uint16_t>(value & 0xFFFFu);
  const uint32_t pair = v | (uint32_t{v} << 16);
  Run run;
  for (PixelPair& w : run.words) w = pair;
  for (int y = 0; y < kScreenHeight; ++y) {
    uint16_t* p = pixels_.data() + static_cast<std::size_t>(y) * pitchPixels_;
    uint16_t* const end = p + kScreenWidth;
    if ((reinterpret_cast<uintptr_t>(p) & 2u) != 0) *p++ = v;  // an odd pitch's rows
    auto* w = static_cast<PixelPair*>(__builtin_assume_aligned(p, 4));
    const std::size_t words = static_cast<std::size_t>(end - p) / 2;
    std::size_t i = 0;
    for (; i + 8 <= words; i += 8) std::memcpy(w + i, &run, sizeof run);
    for (; i < words; ++i) w[i] = pair;
    if (((end - p) & 1) != 0) end[-1] = v;
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
