#include "tools/scripted_events.h"

#include <SDL_events.h>

#include <algorithm>
#include <utility>

ScriptedEvents::ScriptedEvents(std::vector<Press> presses) : presses_(std::move(presses)) {
  std::stable_sort(presses_.begin(), presses_.end(),
                   [](const Press& a, const Press& b) { return a.frame < b.frame; });
}

bool ScriptedEvents::Poll(SDL_Event* event) {
  if (next_ >= presses_.size() || presses_[next_].frame != frame_) return false;
  const Press& p = presses_[next_++];
  *event = SDL_Event{};
  // The key and modifier fields are enums in the desktop's SDL headers and plain
  // integers in the browser's: cast to whatever the field is.
  switch (p.kind) {
    case Press::Key:
      event->type = SDL_KEYDOWN;
      event->key.state = SDL_PRESSED;
      event->key.keysym.sym = static_cast<decltype(event->key.keysym.sym)>(p.sym);
      event->key.keysym.mod = static_cast<decltype(event->key.keysym.mod)>(p.mod);
      break;
    case Press::Button:
      event->type = SDL_JOYBUTTONDOWN;
      event->jbutton.state = SDL_PRESSED;
      event->jbutton.button = static_cast<Uint8>(p.button);
      break;
    case Press::Quit:
      event->type = SDL_QUIT;
      break;
  }
  return true;
}
