#include "platform/sdl_shell.h"

#include <SDL.h>

#include <cstddef>
#include <cstring>

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
  // Every RGB565 value once, converted by SDL's own blit to the window's format: the
  // enlarged window shows exactly the colours SDL shows for the 320x240 one.
  colours_.assign(65536, 0);
  SDL_Surface* all = SDL_CreateRGBSurface(SDL_SWSURFACE, 256, 256, 16, 0xF800, 0x07E0, 0x001F, 0);
  if (all == nullptr) return;  // no memory for it: the window stays black, the demo runs on
  for (int y = 0; y < 256; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(all->pixels) + y * all->pitch);
    for (int x = 0; x < 256; ++x) row[x] = static_cast<uint16_t>(y * 256 + x);
  }
  SDL_Surface* mapped = SDL_ConvertSurface(all, window->format, SDL_SWSURFACE);
  if (mapped != nullptr) {
    for (int y = 0; y < 256; ++y) {
      std::memcpy(&colours_[static_cast<size_t>(y) * 256],
                  static_cast<uint8_t*>(mapped->pixels) + y * mapped->pitch, 256 * sizeof(uint32_t));
    }
    SDL_FreeSurface(mapped);
  }
  SDL_FreeSurface(all);
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
