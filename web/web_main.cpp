// web_main.cpp: the demo in a web page: start-up, one frame per browser callback and
// shutdown around the frame step, drawing through the browser's SDL.
//
// The browser has no blocking loop: the frame loop becomes a callback that the page's
// animation timer calls once per display refresh, and the shutdown runs from the
// callback that sees the quit flag. The frame code is the demo's own. It draws into
// the same in-memory RGB565 screen as the capture tool; the flip widens that picture
// into the canvas's 32-bit surface, since the browser's SDL has no 16-bit one.
//
// Two kinds of run. Live (no options in the page's address): the browser's clock and
// keyboard, as the demo. Scripted (?frames=300&press=1:space ...): particles-capture's
// options, clock and presses, so that the page's frames can be compared byte for byte
// with the native capture of the same options.
//
// No console here: no mmuhack module, no register block, no menu program to return
// to. The exit handler's logging part (TerminateLog) runs; its console steps do not.
#include <SDL.h>
#include <emscripten.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/demo.h"
#include "particles/pools.h"
#include "platform/fps.h"
#include "platform/log.h"
#include "platform/memory_screen.h"
#include "platform/console/terminate.h"
#include "tools/capture_options.h"
#include "tools/frame_files.h"
#include "tools/scripted_events.h"

namespace {

// Where an 8-bit channel sits in a 32-bit pixel, from its mask: the browser's SDL
// fills in the masks but leaves the shifts at zero. -1: not one whole byte.
int ByteShift(uint32_t mask) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (mask == 0xFFu << shift) return shift;
  }
  return -1;
}

// The canvas: the demo's 16-bit picture, widened by bit replication at each flip,
// exactly as particles-capture widens it for PNG.
class CanvasScreen final : public Screen {
 public:
  // The surface has 4 bytes per pixel and a ByteShift for each colour mask.
  explicit CanvasScreen(SDL_Surface* surface)
      : surface_(surface),
        redShift_(ByteShift(surface->format->Rmask)),
        greenShift_(ByteShift(surface->format->Gmask)),
        blueShift_(ByteShift(surface->format->Bmask)),
        alpha_(surface->format->Amask) {}

  static bool CanDrawOn(const SDL_Surface* surface) {
    const SDL_PixelFormat& f = *surface->format;
    return f.BytesPerPixel == 4 && ByteShift(f.Rmask) >= 0 && ByteShift(f.Gmask) >= 0 &&
           ByteShift(f.Bmask) >= 0;
  }

  void Fill(uint32_t value) override { picture_.Fill(value); }
  PixelBuffer Lock() override { return picture_.Lock(); }
  void Unlock() override { picture_.Unlock(); }
  void Flip() override {
    picture_.Flip();
    Widen();
  }

  const MemoryScreen& Picture() const { return picture_; }

 private:
  void Widen() {
    if (SDL_LockSurface(surface_) != 0) return;  // skip the copy, keep the demo going
    auto* row = static_cast<uint8_t*>(surface_->pixels);
    uint8_t rgb[3];
    for (int y = 0; y < kScreenHeight; ++y, row += surface_->pitch) {
      auto* out = reinterpret_cast<uint32_t*>(row);
      for (int x = 0; x < kScreenWidth; ++x) {
        WidenRgb565(picture_.At(x, y), rgb);
        out[x] = uint32_t{rgb[0]} << redShift_ | uint32_t{rgb[1]} << greenShift_ |
                 uint32_t{rgb[2]} << blueShift_ | alpha_;  // opaque
      }
    }
    SDL_UnlockSurface(surface_);  // the browser's SDL copies to the canvas here
    SDL_Flip(surface_);
  }

  MemoryScreen picture_;
  SDL_Surface* surface_;
  int redShift_, greenShift_, blueShift_;
  uint32_t alpha_;
};

// The page's quit button asks to quit as closing the demo's window does: one quit
// event, after whatever else the frame's queue holds.
struct QuitButton {
  bool pressed = false;

  bool Take(SDL_Event* event) {
    if (!pressed) return false;
    pressed = false;
    *event = SDL_Event{};
    event->type = SDL_QUIT;
    return true;
  }
};

// Live input: the browser's keyboard through SDL's queue.
class LiveEvents final : public EventSource {
 public:
  explicit LiveEvents(QuitButton& quit) : quit_(quit) {}
  bool Poll(SDL_Event* event) override { return SDL_PollEvent(event) != 0 || quit_.Take(event); }

 private:
  QuitButton& quit_;
};

// Scripted input: the address's presses only. The keyboard's events are drained
// and dropped, so a key pressed on the page cannot change what the run draws.
class ScriptedPageEvents final : public EventSource {
 public:
  ScriptedPageEvents(const CaptureOptions& options, QuitButton& quit)
      : script_(options.presses), quit_(quit) {}
  void BeginFrame(uint64_t frame) { script_.BeginFrame(frame); }
  bool Poll(SDL_Event* event) override {
    while (SDL_PollEvent(event) != 0) {
    }
    return script_.Poll(event) || quit_.Take(event);
  }

 private:
  ScriptedEvents script_;
  QuitButton& quit_;
};

// CRC-32 as zlib computes it (reflected, polynomial 0xEDB88320), over every frame's
// bytes in turn: four bytes that stand for the whole particles-capture --stream output.
class StreamCrc {
 public:
  void Add(const uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) crc_ = kTable[(crc_ ^ bytes[i]) & 0xFFu] ^ crc_ >> 8;
  }
  uint32_t Value() const { return ~crc_; }

 private:
  static constexpr std::array<uint32_t, 256> kTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? 0xEDB88320u ^ c >> 1 : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  uint32_t crc_ = 0xFFFFFFFFu;
};

// The run outlives main(): the browser returns from it before the first frame.
struct Run {
  Demo demo;
  std::optional<CaptureOptions> options;  // set: a scripted run
  CanvasScreen* screen = nullptr;
  LiveEvents* live = nullptr;
  ScriptedPageEvents* scripted = nullptr;
  QuitButton quit;
  uint64_t frame = 0;  // frames run so far
  StreamCrc streamCrc;
  uint16_t words[kPictureWords];      // the picture, without the pitch's padding
  uint8_t frameBytes[kPictureBytes];  // ...and as particles-capture --raw writes it
};
Run g_run;

const uint8_t* PackPicture() {
  g_run.screen->Picture().CopyPicture(g_run.words);
  PackLittleEndian(g_run.words, g_run.frameBytes);
  return g_run.frameBytes;
}

// What the page shows: its status line follows the run's state.
void TellPage(const char* state, const std::string& message) {
  EM_ASM({ Module.onState(UTF8ToString($0), UTF8ToString($1)); }, state, message.c_str());
}

void ShowCaption(const char* title) {
  EM_ASM({ Module.onCaption(UTF8ToString($0)); }, title);
}

// The demo's shutdown after its loop: the emitters back to their pools, then the
// exit handler's logging part. SDL is left up: the canvas keeps the last frame.
void EndRun() {
  emscripten_cancel_main_loop();
  ReleaseScenes(g_run.demo);
  TerminateLog();
  TellPage("ended", "");
}

void Frame() {
  Run& r = g_run;
  ++r.frame;
  if (r.options) {
    r.scripted->BeginFrame(r.frame);
    RunFrame(r.demo, FrameTicks(*r.options, r.frame), *r.scripted, *r.screen);
    r.streamCrc.Add(PackPicture(), kPictureBytes);
    if (r.demo.quitGame || r.frame >= r.options->frames) EndRun();
  } else {
    RunFrame(r.demo, SDL_GetTicks(), *r.live, *r.screen);
    if (r.demo.quitGame) EndRun();
  }
}

// The address's options are particles-capture's, with its messages; the options
// that write files or standard output have nothing to write to in a page.
bool ReadOptions(int argc, char** argv, CaptureOptions* options, std::string* error) {
  if (!ParseCaptureOptions(argc - 1, argv + 1, options, error)) {
    constexpr std::string_view kToolPrefix = "particles-capture: ";
    if (error->starts_with(kToolPrefix)) error->erase(0, kToolPrefix.size());
    return false;
  }
  if (options->stream || !options->rawFile.empty() || !options->pngFile.empty()) {
    *error = "raw, png and stream write files, which a page cannot; the page shows the frames";
    return false;
  }
  return true;
}

}  // namespace

extern "C" {

// For the page and its tests: the picture after the last flip, 320x240 RGB565
// little-endian, 153600 bytes, exactly as particles-capture --raw writes it.
// Zeros before the canvas is up.
EMSCRIPTEN_KEEPALIVE const uint8_t* web_frame_bytes() {
  return g_run.screen != nullptr ? PackPicture() : g_run.frameBytes;
}

// CRC-32 of every frame of a scripted run so far, as particles-capture --stream
// would have written them.
EMSCRIPTEN_KEEPALIVE uint32_t web_stream_crc() { return g_run.streamCrc.Value(); }

EMSCRIPTEN_KEEPALIVE int web_display_mode() { return g_run.demo.displayMode; }
EMSCRIPTEN_KEEPALIVE double web_frames_run() { return static_cast<double>(g_run.frame); }

// The page's quit button: taken in the next frame's event drain.
EMSCRIPTEN_KEEPALIVE void web_quit() { g_run.quit.pressed = true; }

}  // extern "C"

int main(int argc, char** argv) {
  if (argc > 1) {
    CaptureOptions options;
    std::string error;
    if (!ReadOptions(argc, argv, &options, &error)) {
      TellPage("error", "Bad address: " + error);
      return 64;
    }
    if (options.help) {
      TellPage("usage", CaptureUsage());
      return 0;
    }
    g_run.options = options;
  }

  LogSystemStart("ParticlesLog.txt");  // in the page's in-memory file system
  particles::CreatePools();            // 2D, then 3D
  // No SDL_Quit at the end: the canvas keeps the last frame.
  SetExitSteps({&particles::ReportAndDestroyPools, nullptr});
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    // As in the demo, before the exit handler is armed: the log is left as it is.
    TellPage("error", std::string("Couldn't initialize SDL: ") + SDL_GetError());
    return 1;
  }
  // No cursor to hide and no joystick to open in a page; no console set-up.
  SDL_Surface* surface = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_SWSURFACE);
  if (surface == nullptr || !CanvasScreen::CanDrawOn(surface)) {
    TellPage("error", "Couldn't set the 320x240 canvas up with 32-bit pixels");
    TerminateLog();  // the demo's exit handler runs after this failure
    return 2;
  }
  static CanvasScreen screen(surface);
  g_run.screen = &screen;
  SetCaptionSink(&ShowCaption);

  BuildScenes(g_run.demo);
  if (g_run.options) {
    static ScriptedPageEvents scripted(*g_run.options, g_run.quit);
    g_run.scripted = &scripted;
    StartClock(g_run.demo, g_run.options->start);
  } else {
    static LiveEvents live(g_run.quit);
    g_run.live = &live;
    StartClock(g_run.demo, SDL_GetTicks());
  }
  TellPage("running", "");
  emscripten_set_main_loop(&Frame, 0, 0);  // one frame per animation callback
  // A scripted run's clock is its own: it goes as fast as the browser lets it.
  if (g_run.options) emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
  return 0;
}
