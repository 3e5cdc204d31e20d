#include "bench/steady_scene.h"

#include <SDL_keysym.h>

#include <vector>

#include "particles/pools.h"
#include "particles/random.h"
#include "platform/log.h"
#include "tools/scripted_events.h"

namespace bench {

SteadyScene::SteadyScene(int mode, int warmupFrames) {
  LogSystemStart("/dev/null");  // the log's writes stay in the frame, as on the console
  ResetFPS();
  particles::ResetRandom();
  particles::CreatePools();
  BuildScenes(demo);
  StartClock(demo, ticks_);
  // particles-capture's --press 1:space, once per mode step.
  const Press space{1, Press::Key, SDLK_SPACE};
  ScriptedEvents toMode(std::vector<Press>(static_cast<size_t>(mode - 1), space));
  toMode.BeginFrame(1);
  ::RunFrame(demo, NextTicks(), toMode, screen);
  for (int k = 1; k < warmupFrames; ++k) RunFrame();
}

SteadyScene::~SteadyScene() {
  ReleaseScenes(demo);
  particles::ReportAndDestroyPools();
  LogSystemEnd();
}

void SteadyScene::RunFrame() { ::RunFrame(demo, NextTicks(), noPresses_, screen); }

std::vector<Stamp> SteadyScene::VisibleStamps() const {
  std::vector<Stamp> stamps;
  if ((demo.displayMode & 1) != 0) {
    particles::ForEachVisibleParticle(*particles::g_2DPool, [&](const particles::ParticleData& d) {
      stamps.push_back({d.screenX, d.screenY, d.colour});
    });
  }
  if ((demo.displayMode & 2) != 0) {
    particles::ForEachVisibleParticle(*particles::g_3DPool, [&](const particles::Particle3DData& d) {
      const reference::ScreenPoint p = reference::StampCentre(d);
      stamps.push_back({p.x, p.y, d.shadedColour});
    });
  }
  return stamps;
}

uint64_t SteadyScene::PictureHash() const {
  std::vector<uint16_t> picture(static_cast<size_t>(kScreenWidth) * kScreenHeight);
  screen.CopyPicture(picture.data());
  uint64_t h = 1469598103934665603u;
  for (uint16_t p : picture) {
    h = (h ^ (p & 0xFFu)) * 1099511628211u;
    h = (h ^ (p >> 8)) * 1099511628211u;
  }
  return h;
}

}  // namespace bench
