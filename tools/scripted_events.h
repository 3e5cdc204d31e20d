// scripted_events.h: the scripted input of particles-capture's --press options:
// each press becomes one SDL event in the event drain of its frame. The capture
// tool and the web page's scripted runs share it, so a press means the same in both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/screen.h"
#include "tools/capture_options.h"

class ScriptedEvents final : public EventSource {
 public:
  // Presses of one frame keep their command-line order.
  explicit ScriptedEvents(std::vector<Press> presses);

  // Frame k (1..N) is about to run: its presses are what Poll hands out.
  void BeginFrame(uint64_t frame) { frame_ = frame; }
  bool Poll(SDL_Event* event) override;

 private:
  std::vector<Press> presses_;
  std::size_t next_ = 0;
  uint64_t frame_ = 0;
};
