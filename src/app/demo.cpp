#include "app/demo.h"

#include <SDL_events.h>

#include "particles/pools.h"
#include "platform/log.h"

namespace {

constexpr int kQuitButton = 8;   // the console's Start button
constexpr int kCycleButton = 9;  // the console's Select button
constexpr unsigned kCtrlMask = KMOD_LCTRL | KMOD_RCTRL;  // 0x0040 | 0x0080

void CycleDisplayMode(Demo& demo) { demo.displayMode = demo.displayMode % 3 + 1; }

}  // namespace

void HandleEvent(Demo& demo, const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      if (event.key.keysym.sym == SDLK_c && (event.key.keysym.mod & kCtrlMask) != 0) {
        demo.quitGame = true;
        LogSystemOut("Quit game from KeyDown !");
      } else if (event.key.keysym.sym == SDLK_SPACE) {
        CycleDisplayMode(demo);
      }
      break;
    case SDL_JOYBUTTONDOWN:
      if (event.jbutton.button == kQuitButton) {
        demo.quitGame = true;
        LogSystemOut("Quit game from Start Button !");
      } else if (event.jbutton.button == kCycleButton) {
        CycleDisplayMode(demo);
      }
      break;
    case SDL_QUIT:
      demo.quitGame = true;
      LogSystemOut("Quit game from SDL_QUIT !");
      break;
    default:
      break;
  }
}

void BuildScenes(Demo& demo) {
  CreateScene2D(*particles::g_2DPool, demo.emiters2D);
  CreateScene3D(*particles::g_3DPool, demo.emiters3D);
  BuildProjection(demo.views.camera3D);
  StartCamera3D(demo.views.camera3D);
}

void StartClock(Demo& demo, uint32_t ticks) {
  demo.lastTicks = ticks;
  InitViews(demo.views, ticks);  // the first frame always starts a pan leg
}

void ReleaseScenes(Demo& demo) {
  LogSystemOut("Quitting...");
  // Each pool gets its own emitters back in creation order.
  for (particles::Emiter*& emiter : demo.emiters2D) {
    particles::g_2DPool->ReleaseEmiter(emiter);
    emiter = nullptr;
  }
  for (particles::Emiter3D*& emiter : demo.emiters3D) {
    particles::g_3DPool->ReleaseEmiter(emiter);
    emiter = nullptr;
  }
  LogSystemOut("Quit !");
}

void RunFrame(Demo& demo, uint32_t ticks, EventSource& events, Screen& screen) {
  RunFrameWith(kDemoPasses, demo, ticks, events, screen, [](FramePhase) {});
}
