// main.cpp: the shell of the demo: start-up, the frame loop and shutdown around
// the frame step, with SDL's video, timer and joystick.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/demo.h"
#include "particles/pools.h"
#include "platform/fps.h"
#include "platform/hardware.h"
#include "platform/log.h"
#include "platform/sdl_shell.h"
#include "platform/std_descriptors.h"
#include "platform/terminate.h"

namespace {

constexpr Uint32 kInitFlags = SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;  // 0x230

SDL_Surface* screen = nullptr;
SDL_Joystick* joy = nullptr;  // kept open so that its button events arrive

}  // namespace

int main(int, char**) {
  OpenMissingStandardDescriptors();    // so that the log cannot take a closed one's number
  LogSystemStart("ParticlesLog.txt");  // exits with status 2 if it cannot be created
  particles::CreatePools();            // 2D, then 3D

  if (SDL_Init(kInitFlags) < 0) {
    std::fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
    std::exit(1);
  }
  SetSdlQuit(&SDL_Quit);
  std::atexit(Terminate);  // from here on every way out runs the exit handler

  SDL_ShowCursor(0);
  screen = SDL_SetVideoMode(320, 240, 16, 0);
  if (screen == nullptr) {
    std::fprintf(stderr, "Couldn't set 320x240x16 video mode: %s\n", SDL_GetError());
    std::exit(2);
  }
  if (SDL_NumJoysticks() > 0) {
    joy = SDL_JoystickOpen(0);
    if (joy == nullptr) std::fprintf(stderr, "Couldn't open joystick 0: %s\n", SDL_GetError());
  }
  mmuhack();            // the console's set-up; on a desktop both simply fail
  mmsp2_regs_init();
  SetCaptionSink(&SetWindowCaption);

  Demo demo;
  BuildScenes(demo);
  StartClock(demo, SDL_GetTicks());

  SdlScreen video(screen);
  SdlEvents events;
  while (!demo.quitGame) RunFrame(demo, SDL_GetTicks(), events, video);

  ReleaseScenes(demo);
  return 0;  // the exit handler does the rest
}
