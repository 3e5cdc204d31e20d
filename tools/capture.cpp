// capture.cpp: particles-capture, the demo's start-up, frame loop and shutdown on
// a scripted clock and scripted input, drawing into an in-memory screen.
#include <SDL_events.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/demo.h"
#include "particles/pools.h"
#include "platform/log.h"
#include "platform/memory_screen.h"
#include "platform/terminate.h"
#include "tools/capture_options.h"
#include "tools/frame_files.h"

namespace {

constexpr int kExitUsage = 64;   // bad arguments
constexpr int kExitIoError = 74; // an output file could not be written

// The presses of the command line, handed out in the event drain of their frame.
class ScriptedEvents final : public EventSource {
 public:
  explicit ScriptedEvents(std::vector<Press> presses) : presses_(std::move(presses)) {
    std::stable_sort(presses_.begin(), presses_.end(),
                     [](const Press& a, const Press& b) { return a.frame < b.frame; });
  }
  void BeginFrame(uint64_t frame) { frame_ = frame; }
  bool Poll(SDL_Event* event) override {
    if (next_ >= presses_.size() || presses_[next_].frame != frame_) return false;
    const Press& p = presses_[next_++];
    *event = SDL_Event{};
    switch (p.kind) {
      case Press::Key:
        event->type = SDL_KEYDOWN;
        event->key.state = SDL_PRESSED;
        event->key.keysym.sym = static_cast<SDLKey>(p.sym);
        event->key.keysym.mod = static_cast<SDLMod>(p.mod);
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

 private:
  std::vector<Press> presses_;
  size_t next_ = 0;
  uint64_t frame_ = 0;
};

bool Fail(const std::string& message, int* status) {
  std::fprintf(stderr, "%s\n", message.c_str());
  *status = kExitIoError;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  CaptureOptions options;
  std::string error;
  if (!ParseCaptureOptions(argc - 1, argv + 1, &options, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(CaptureUsage(), stdout);
    return 0;
  }
  if (options.stream) std::signal(SIGPIPE, SIG_IGN);  // a closed pipe is a write error, not a kill

  // Everything the loop touches is made here, before the first frame.
  MemoryScreen screen;
  ScriptedEvents events(options.presses);
  std::vector<uint16_t> picture(kPictureWords);
  std::vector<uint8_t> scratch(kPictureBytes);
  const bool progress = isatty(STDERR_FILENO) && options.frames >= 1000;
  int status = 0;

  LogSystemStart("ParticlesLog.txt");
  particles::CreatePools();
  Demo demo;
  BuildScenes(demo);
  StartClock(demo, options.start);

  bool streamOk = true;
  for (uint64_t k = 1; k <= options.frames; ++k) {
    events.BeginFrame(k);
    RunFrame(demo, FrameTicks(options, k), events, screen);
    if (options.stream && streamOk) {
      screen.CopyPicture(picture.data());
      streamOk = WriteRawStream(stdout, picture.data(), scratch.data());
    }
    if (progress && (k % 500 == 0 || k == options.frames)) {
      std::fprintf(stderr, "\rframe %llu of %llu", static_cast<unsigned long long>(k),
                   static_cast<unsigned long long>(options.frames));
    }
    if (demo.quitGame) break;
  }
  if (progress) std::fputc('\n', stderr);

  ReleaseScenes(demo);
  TerminateLog();  // the exit handler's logging part; no console, no menu

  if (options.stream && (!streamOk || std::fflush(stdout) != 0)) {
    Fail("particles-capture: cannot write the frame stream to standard output", &status);
  }
  screen.CopyPicture(picture.data());
  if (!options.rawFile.empty() && !WriteRawFile(options.rawFile.c_str(), picture.data())) {
    Fail("particles-capture: cannot write " + options.rawFile, &status);
  }
  if (!options.pngFile.empty() && !WritePngFile(options.pngFile.c_str(), picture.data())) {
    Fail("particles-capture: cannot write " + options.pngFile, &status);
  }
  return status;
}
