// sdl_shell.h: the SDL 1.2 edge of the demo: the video surface and the event
// queue behind the frame's Screen and EventSource, and the caption.
#pragma once

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
// the flip writes it into the window's 16-bit surface as scale x scale blocks.
class ScaledSdlScreen final : public Screen {
 public:
  // window: the 320 * scale by 240 * scale, 16 bits per pixel video surface.
  ScaledSdlScreen(SDL_Surface* window, int scale) : window_(window), scale_(scale) {}
  void Fill(uint32_t value) override { picture_.Fill(value); }
  PixelBuffer Lock() override { return picture_.Lock(); }
  void Unlock() override { picture_.Unlock(); }
  void Flip() override;

 private:
  MemoryScreen picture_;
  SDL_Surface* window_;
  int scale_;
};

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
