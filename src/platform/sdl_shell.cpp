#include "platform/sdl_shell.h"

#include <SDL.h>

#include "platform/window_scale.h"

// Results of fill, lock and flip are not looked at: drawing goes on regardless.
void SdlScreen::Fill(uint32_t value) { SDL_FillRect(surface_, nullptr, value); }

PixelBuffer SdlScreen::Lock() {
  SDL_LockSurface(surface_);
  return PixelBuffer{static_cast<uint16_t*>(surface_->pixels), surface_->pitch};
}

void SdlScreen::Unlock() { SDL_UnlockSurface(surface_); }

void SdlScreen::Flip() { SDL_Flip(surface_); }

int ScaledWindowBits() {
  const SDL_VideoInfo* info = SDL_GetVideoInfo();
  return info != nullptr && info->vfmt->BytesPerPixel == 4 ? 32 : 16;
}

ScaledSdlScreen::ScaledSdlScreen(SDL_Surface* window, int scale) : window_(window), scale_(scale) {
  if (window->format->BytesPerPixel != 4) return;
  // Each RGB565 value in the window's format with its channels shifted up, low bits
  // clear: the colours SDL's own conversion gives a 16-bit window on such a display.
  colours_.resize(65536);
  for (uint32_t v = 0; v < colours_.size(); ++v) {
    colours_[v] = SDL_MapRGB(window->format, static_cast<Uint8>(v >> 11 << 3),
                             static_cast<Uint8>((v >> 5 & 0x3F) << 2), static_cast<Uint8>((v & 0x1F) << 3));
  }
}

void ScaledSdlScreen::Flip() {
  picture_.Flip();
  // A surface that will not lock has no pixels to write to: that frame is not
  // enlarged, and the demo goes on.
  if (SDL_LockSurface(window_) == 0) {
    const WindowPixels to{window_->pixels, window_->pitch, window_->format->BytesPerPixel,
                          colours_.data()};
    EnlargePicture(picture_.Lock(), to, scale_);
    SDL_UnlockSurface(window_);
  }
  SDL_Flip(window_);
}

bool SdlEvents::Poll(SDL_Event* event) {
  if (SDL_PollEvent(event) == 0) return false;
  // The frame still sees the key (it means nothing there). Where the display
  // cannot go full screen the toggle fails and the window stays as it was.
  if (fullScreen_ != nullptr && event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_F11) {
    SDL_WM_ToggleFullScreen(fullScreen_);
  }
  return true;
}

void SetWindowCaption(const char* title) { SDL_WM_SetCaption(title, nullptr); }
