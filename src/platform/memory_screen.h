// memory_screen.h: an in-memory 320x240 RGB565 screen for the capture tool and the
// tests; behaves as the demo's 16-bit software surface (fill keeps the low 16 bits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/screen.h"

class MemoryScreen final : public Screen {
 public:
  // pitchPixels >= 320: a wider pitch checks that drawing follows the pitch.
  explicit MemoryScreen(int pitchPixels = kScreenWidth);

  void Fill(uint32_t value) override;
  PixelBuffer Lock() override;
  void Unlock() override {}
  void Flip() override { ++flips_; }

  uint16_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * pitchPixels_ + x]; }
  // The visible 320x240 picture, row-major, without the pitch's padding.
  void CopyPicture(uint16_t* out) const;
  int PitchPixels() const { return pitchPixels_; }
  long Flips() const { return flips_; }

 private:
  int pitchPixels_;
  std::vector<uint16_t> pixels_;
  long flips_ = 0;
};
