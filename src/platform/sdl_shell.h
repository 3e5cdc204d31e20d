// sdl_shell.h: the SDL 1.2 edge of the demo: the video surface and the event
// queue behind the frame's Screen and EventSource, and the caption.
#pragma once

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

class SdlEvents final : public EventSource {
 public:
  bool Poll(SDL_Event* event) override;
};

// The caption sink of the frame-rate counter: sets the window caption.
void SetWindowCaption(const char* title);
