/* sdl_faults_preload.c: preloaded into the demo by the end-to-end tests to make
   SDL fail where a real machine rarely does: PARTICLES_FAULT=video makes the
   320x240x16 mode unavailable; PARTICLES_FAULT=joystick reports one joystick
   that cannot be opened. Anything else passes through to SDL. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

static int Fault(const char* name) {
  const char* fault = getenv("PARTICLES_FAULT");
  return fault != NULL && strcmp(fault, name) == 0;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  if (Fault("video")) {
    SDL_SetError("no such mode on this test display");
    return NULL;
  }
  SDL_Surface* (*real)(int, int, int, Uint32) =
      (SDL_Surface * (*)(int, int, int, Uint32)) dlsym(RTLD_NEXT, "SDL_SetVideoMode");
  return real(width, height, bpp, flags);
}

int SDL_NumJoysticks(void) {
  if (Fault("joystick")) return 1;
  int (*real)(void) = (int (*)(void))dlsym(RTLD_NEXT, "SDL_NumJoysticks");
  return real();
}

SDL_Joystick* SDL_JoystickOpen(int index) {
  if (Fault("joystick")) {
    SDL_SetError("test joystick %d is unplugged", index);
    return NULL;
  }
  SDL_Joystick* (*real)(int) = (SDL_Joystick * (*)(int)) dlsym(RTLD_NEXT, "SDL_JoystickOpen");
  return real(index);
}
