// frame_count.cpp: particles-frame-count, the steady-state frames that the ARM
// instruction counter measures. Under qemu-arm with count_plugin.so loaded, each
// phase of each counted frame is announced by a marker system call that the plugin
// turns into per-phase instruction totals; run natively, the markers do nothing.
//
//   particles-frame-count [--straightforward] [--mode 1|2|3] [--warmup F] [--frames K]
//
// Prints the number of counted frames, the mean visible stamps and the last picture's
// hash, so that two runs (optimised and straightforward) can be checked to have drawn
// the same frames. Exit status: 0 done, 64 bad arguments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/steady_scene.h"

namespace {

// The marker: getpid (ARM EABI number 20) with a tag the plugin recognises, the
// phase in r1. Four instructions around an svc; getpid has no effect to undo.
constexpr unsigned kMarkerTag = 0x50434E54;  // "PCNT"
constexpr unsigned kWholeFrame = 101;         // the demo's RunFrame, counted whole
constexpr unsigned kUncounted = 102;          // after the counted frames

void Mark(unsigned phase) {
#if defined(__arm__)
  register unsigned r0 asm("r0") = kMarkerTag;
  register unsigned r1 asm("r1") = phase;
  register unsigned r7 asm("r7") = 20;
  asm volatile("svc #0" : "+r"(r0) : "r"(r1), "r"(r7) : "memory");
#else
  (void)phase;
#endif
}

bool ParseCount(const char* text, int low, int high, int* out) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  bool straightforward = false;
  int mode = 3, warmup = 300, frames = 20;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--straightforward") {
      straightforward = true;
    } else if (a == "--mode" && hasValue && ParseCount(argv[i + 1], 1, 3, &mode)) {
      ++i;
    } else if (a == "--warmup" && hasValue && ParseCount(argv[i + 1], 1, 100000, &warmup)) {
      ++i;
    } else if (a == "--frames" && hasValue && ParseCount(argv[i + 1], 1, 100000, &frames)) {
      ++i;
    } else {
      std::fprintf(stderr, "particles-frame-count: bad argument '%s' (see the comment at the top of frame_count.cpp)\n", argv[i]);
      return 64;
    }
  }

  const FramePasses& passes = straightforward ? reference::kStraightforward : kDemoPasses;
  bench::SteadyScene scene(mode, warmup);
  size_t stamps = 0;
  for (int k = 0; k < frames; ++k) {
    scene.RunFrameWith(passes, [](FramePhase phase) { Mark(phase); });
    Mark(kUncounted);
    stamps += scene.VisibleStamps().size();
  }
  // The same number of frames again through the demo's own frame step, counted whole
  // (optimised only: it is the shipped code).
  for (int k = 0; k < frames; ++k) {
    Mark(kWholeFrame);
    scene.RunFrame();
    Mark(kUncounted);
  }
  std::printf("frames %d, mode %d, stamps per frame %zu, picture %016llx\n", frames, mode,
              stamps / static_cast<size_t>(frames),
              static_cast<unsigned long long>(scene.PictureHash()));
  return 0;
}
