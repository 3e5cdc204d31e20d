#include "bench/steady_scene.h"

#include <SDL_events.h>

#include "particles/pools.h"
#include "particles/random.h"
#include "platform/log.h"

namespace bench {
namespace {

// Delivers `count` Space key-downs, then nothing: the capture tool's --press F:space.
class SpacePresses final : public EventSource {
 public:
  explicit SpacePresses(int count) : left_(count) {}
  bool Poll(SDL_Event* event) override {
    if (left_ <= 0) return false;
    --left_;
    *event = SDL_Event{};
    event->type = SDL_KEYDOWN;
    event->key.state = SDL_PRESSED;
    event->key.keysym.sym = SDLK_SPACE;
    return true;
  }

 private:
  int left_;
};

}  // namespace

SteadyScene::SteadyScene(int mode, int warmupFrames) {
  LogSystemStart("/dev/null");  // the log's writes stay in the frame, as on the console
  ResetFPS();
  particles::ResetRandom();
  particles::CreatePools();
  BuildScenes(demo);
  StartClock(demo, ticks_);
  SpacePresses toMode(mode - 1);
  ::RunFrame(demo, NextTicks(), toMode, screen);
  for (int k = 1; k < warmupFrames; ++k) RunFrame();
}

SteadyScene::~SteadyScene() {
  ReleaseScenes(demo);
  particles::ReportAndDestroyPools();
  LogSystemEnd();
}

void SteadyScene::RunFrame() {
  SpacePresses none(0);
  ::RunFrame(demo, NextTicks(), none, screen);
}

std::vector<Stamp> SteadyScene::VisibleStamps() const {
  std::vector<Stamp> stamps;
  const particles::Pool2D& p2 = *particles::g_2DPool;
  if ((demo.displayMode & 1) != 0) {
    for (uint32_t i = 0; i < p2.visibleCount; ++i) {
      const particles::Emiter& e = *p2.visibleEmiters[i];
      for (uint32_t k = 0; k < e.count; ++k) {
        const particles::ParticleData& d = e.data[k];
        if (d.visible != 0) stamps.push_back({d.screenX, d.screenY, d.colour});
      }
    }
  }
  const particles::Pool3D& p3 = *particles::g_3DPool;
  if ((demo.displayMode & 2) != 0) {
    for (uint32_t i = 0; i < p3.visibleCount; ++i) {
      const particles::Emiter3D& e = *p3.visibleEmiters[i];
      for (uint32_t k = 0; k < e.count; ++k) {
        const particles::Particle3DData& d = e.data[k];
        if (d.visible == 0) continue;
        const reference::ScreenPoint p = reference::StampCentre(d);
        stamps.push_back({p.x, p.y, d.shadedColour});
      }
    }
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
