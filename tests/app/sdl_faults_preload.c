/* sdl_faults_preload.c: preloaded into the demo by the end-to-end tests to make
   SDL fail where a real machine rarely does: PARTICLES_FAULT=video makes the
   320x240x16 mode unavailable; PARTICLES_FAULT=joystick reports one joystick
   that cannot be opened. Anything else passes through to SDL. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

/* SDL's own function of that name, called with the arguments. */
#define REAL(name, ...) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))(__VA_ARGS__)

static int Fault(const char* name) {
  const char* fault = getenv("PARTICLES_FAULT");
  return fault != NULL && strcmp(fault, name) == 0;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  if (!Fault("video")) return REAL(SDL_SetVideoMode, width, height, bpp, flags);
  SDL_SetError("no such mode on this test display");
  return NULL;
}

int SDL_NumJoysticks(void) { return Fault("joystick") ? 1 : REAL(SDL_NumJoysticks); }

SDL_Joystick* SDL_JoystickOpen(int index) {
  if (!Fault("joystick")) return REAL(SDL_JoystickOpen, index);
  SDL_SetError("test joystick %d is unplugged", index);
  return NULL;
}
