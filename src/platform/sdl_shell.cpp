#include "platform/sdl_shell.h"

#include <SDL.h>

// Results of fill, lock and flip are not looked at: drawing goes on regardless.
void SdlScreen::Fill(uint32_t value) { SDL_FillRect(surface_, nullptr, value); }

PixelBuffer SdlScreen::Lock() {
  SDL_LockSurface(surface_);
  return PixelBuffer{static_cast<uint16_t*>(surface_->pixels), surface_->pitch};
}

void SdlScreen::Unlock() { SDL_UnlockSurface(surface_); }

void SdlScreen::Flip() { SDL_Flip(surface_); }

bool SdlEvents::Poll(SDL_Event* event) { return SDL_PollEvent(event) != 0; }

void SetWindowCaption(const char* title) { SDL_WM_SetCaption(title, nullptr); }
