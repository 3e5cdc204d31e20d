// main.cpp: the shell of the demo: start-up, the frame loop and shutdown around
// the frame step, with SDL's video, timer and joystick.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/demo.h"
#include "particles/pools.h"
#include "platform/fps.h"
#include "platform/console/hardware.h"
#include "platform/log.h"
#include "platform/sdl_shell.h"
#include "platform/std_descriptors.h"
#include "platform/console/terminate.h"
#include "platform/window_scale.h"

namespace {

constexpr Uint32 kInitFlags = SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK;  // 0x230
constexpr int kExitUsage = 64;  // bad arguments, as particles-capture: nothing run, no log
#if PARTICLES_DESKTOP_WINDOW
constexpr bool kDesktopWindow = true;  // --scale N and the F11 full-screen key
#else
constexpr bool kDesktopWindow = false;  // the console's panel: no command line, no keys of its own
#endif

SDL_Surface* screen = nullptr;
SDL_Joystick* joy = nullptr;  // kept open so that its button events arrive

}  // namespace

int main(int argc, char** argv) {
  OpenMissingStandardDescriptors();  // so that the log cannot take a closed one's number
  int scale = 1;  // 1: the frame draws straight into the 320x240 window, as on the console
  std::string error;
  if (kDesktopWindow && !ReadWindowScale(argc - 1, argv + 1, &scale, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return kExitUsage;
  }
  LogSystemStart("ParticlesLog.txt");  // exits with status 2 if it cannot be created
  particles::CreatePools();            // 2D, then 3D

  if (SDL_Init(kInitFlags) < 0) {
    std::fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
    std::exit(1);
  }
  SetExitSteps({&particles::ReportAndDestroyPools, &SDL_Quit});
  std::atexit(Terminate);  // from here on every way out runs the exit handler

  SDL_ShowCursor(0);
  const int bits = scale > 1 ? ScaledWindowBits() : 16;  // 16: SDL converts for the display
  screen = SDL_SetVideoMode(kScreenWidth * scale, kScreenHeight * scale, bits, 0);
  if (screen == nullptr) {
    std::fprintf(stderr, "Couldn't set %dx%dx%d video mode: %s\n", kScreenWidth * scale,
                 kScreenHeight * scale, bits, SDL_GetError());
    std::exit(2);
  }
  if (SDL_NumJoysticks() > 0) {
    joy = SDL_JoystickOpen(0);
    if (joy == nullptr) std::fprintf(stderr, "Couldn't open joystick 0: %s\n", SDL_GetError());
  }
  mmuhack();            // the console's set-up; on a desktop both simply fail
  mmsp2_regs_init();
  SetCaptionSink(&SetWindowCaption);

  SdlScreen window(screen);
  std::optional<ScaledSdlScreen> enlarged;  // the picture in memory, enlarged at each flip
  if (scale > 1) enlarged.emplace(screen, scale);
  Screen& video = enlarged ? static_cast<Screen&>(*enlarged) : window;
  SdlEvents events(kDesktopWindow ? screen : nullptr);  // F11: full screen where the display can

  Demo demo;
  BuildScenes(demo);
  StartClock(demo, SDL_GetTicks());

  while (!demo.quitGame) RunFrame(demo, SDL_GetTicks(), events, video);

  ReleaseScenes(demo);
  return 0;  // the exit handler does the rest
}
