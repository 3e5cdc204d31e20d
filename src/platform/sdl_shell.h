// sdl_shell.h: the SDL 1.2 edge of the demo: the video surface and the event
// queue behind the frame's Screen and EventSource, and the caption.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory_screen.h"
#include "platform/screen.h"

struct SDL_Surface;

class SdlScreen final : public Screen {
 public:
  explicit SdlScreen(SDL_Surface* surface) : surface_(surface) {}
  void Fill(uint32_t value) override;
  PixelBuffer Lock() override;
  void Unlock() override;
  void Flip() override;

 private:
  SDL_Surface* surface_;
};

// An enlarged desktop window: the frame draws its 320x240 picture in memory, and
// the flip writes it into the window's surface as scale x scale blocks.
class ScaledSdlScreen final : public Screen {
 public:
  // window: the 320 * scale by 240 * scale video surface, RGB565 or 32 bits per
  // pixel (ScaledWindowBits).
  ScaledSdlScreen(SDL_Surface* window, int scale);
  void Fill(uint32_t value) override { picture_.Fill(value); }
  PixelBuffer Lock() override { return picture_.Lock(); }
  void Unlock() override { picture_.Unlock(); }
  void Flip() override;

 private:
  MemoryScreen picture_;
  SDL_Surface* window_;
  int scale_;
  std::vector<uint32_t> colours_;  // 32-bit windows: the window's pixel for each RGB565 value
};

// The bits per pixel to ask for an enlarged window: the display's own 32 when it has
// them, which spares SDL a conversion of the whole enlarged window at every flip;
// otherwise 16 (RGB565, converted by SDL where the display differs).
int ScaledWindowBits();

class SdlEvents final : public EventSource {
 public:
  // fullScreen: the video surface that F11 toggles in and out of full screen;
  // null, as on the console, for none.
  explicit SdlEvents(SDL_Surface* fullScreen = nullptr) : fullScreen_(fullScreen) {}
  bool Poll(SDL_Event* event) override;

 private:
  SDL_Surface* fullScreen_;
};

// The caption sink of the frame-rate counter: sets the window caption.
void SetWindowCaption(const char* title);
