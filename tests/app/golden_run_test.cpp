// A regression check, not a proof: the demo's frame step over scripted runs (mode cycling, long
// stalls, the clock's 2^32 wrap, a slow clock, a long run), each frame's picture, every 16th
// frame's particle state and the log fingerprinted and compared with golden_runs.txt, which this
// test wrote, naming the first frame that differs. The straightforward passes, and on x86-64 each
// narrower projection down to the scalar one, must agree, and no frame may allocate. After a deliberate change of
// output, regenerate the file and review its diff:
//   PARTICLES_GOLDEN_WRITE=1 build/release/tests/app/app_test --gtest_filter='GoldenRun.*'
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "app/demo.h"
#include "bench/reference_passes.h"
#include "particles/project_x86.h"
#include "platform/memory_screen.h"
#include "support/support.h"
#include "tools/capture_options.h"
#include "tools/scripted_events.h"

// Every global operator new and delete is counted, and outside AddressSanitizer (which
// owns the C heap there) every malloc, calloc, realloc and free as well.
static std::atomic<long> g_heapCalls{0};
static void* Counted(void* p) { return ++g_heapCalls, p; }
#if !defined(__SANITIZE_ADDRESS__)
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void __libc_free(void*);
extern "C" void* malloc(std::size_t n) { return Counted(__libc_malloc(n)); }
extern "C" void* calloc(std::size_t n, std::size_t size) { return Counted(__libc_calloc(n, size)); }
extern "C" void* realloc(void* p, std::size_t n) { return Counted(__libc_realloc(p, n)); }
extern "C" void free(void* p) { __libc_free(p != nullptr ? Counted(p) : p); }
#endif
void* operator new(std::size_t size) {
  if (void* p = std::malloc(size == 0 ? 1 : size)) return Counted(p);
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Counted(std::malloc(n ? n : 1)); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p != nullptr ? Counted(p) : p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// Each run as particles-capture's options give it: its frames, clock and presses.
struct GoldenRun { const char* name; std::vector<const char*> args; };
const GoldenRun kRuns[] = {
    // 2D, 3D, both, two presses in one frame (3 -> 1 -> 2), both again, quit by Start.
    {"modes", {"--frames", "600", "--press", "100:space", "--press", "200:select", "--press", "300:space",
               "--press", "300:space", "--press", "450:button:9", "--press", "590:start"}},
    // A 5 s stall while the zoom falls (driving it below zero), then 1.5 s more.
    {"stall", {"--frames", "400", "--press", "1:space", "--press", "1:space", "--stall", "200:5000",
               "--stall", "300:1500"}},
    // The tick counter wraps at frame 331, and a 40 s stall after it.
    {"wrap", {"--frames", "500", "--start", "4294962000", "--press", "1:space", "--press", "1:space",
              "--stall", "420:40000"}},
    {"slow", {"--frames", "500", "--dt", "45", "--press", "1:space", "--press", "250:space",
              "--press", "499:ctrl-c"}},
    // 34 s of clock: eight view legs, the background's first brightening steps.
    {"long", {"--frames", "2000", "--dt", "17", "--press", "1:space", "--press", "1:space"}},
};

// A running 64-bit hash of 32-bit words; each frame keeps its low 16 bits. Once two
// runs differ their hashes stay apart, so the first differing entry is the frame.
struct Hash {
  uint64_t h = 0x243F6A8885A308D3u;
  void Add(uint32_t w) { h = (h ^ w) * 0x9E3779B97F4A7C15u, h ^= h >> 29; }
  void Add(std::initializer_list<int64_t> words) {  // each as its low 32 bits
    for (const int64_t w : words) Add(static_cast<uint32_t>(w));
  }
  void Add(particles::fixed f) { Add(static_cast<uint32_t>(f.raw())); }
  void Add(const particles::vec4& v) { Add(v.x), Add(v.y), Add(v.z), Add(v.w); }
  void Add(const particles::vec4* v) { if (v != nullptr) Add(*v); }  // an absent velocity adds nothing
};

// What the runs must agree on besides the picture: every particle's and emitter's simulated
// state, and the passes' lists of emitters in view (with their depths).
void AddState(Hash& h) {
  using namespace particles;
  const Pool2D& p2 = *g_2DPool;
  for (uint32_t i = 0; i < Pool2D::kParticleSlots; ++i) {
    const ParticleData& d = p2.particleData[i];
    const EmiterVec2* v = p2.particles[i].velocity;
    h.Add({d.x, d.y, d.colour, v ? v->x : 0, v ? v->y : 0, p2.particles[i].deathTime});
  }
  for (const Emiter& e : p2.emiters) h.Add({e.x, e.y, e.velocities ? e.velocities[0].x : 0});
  for (uint32_t i = 0; i < p2.visibleCount; ++i) h.Add({p2.visibleEmiters[i] - p2.emiters});
  const Pool3D& p3 = *g_3DPool;
  for (uint32_t i = 0; i < Pool3D::kParticleSlots; ++i) {
    h.Add(p3.particleData[i].position), h.Add(p3.particleData[i].colour), h.Add(p3.particles[i].deathTime);
    h.Add(p3.particles[i].velocity);
  }
  for (const Emiter3D& e : p3.emiters) h.Add(e.position), h.Add(e.velocities);  // entry 0
  Emiter3D* const* list = p3.visibleEmiters;
  for (uint32_t i = 0; i < p3.visibleCount; ++i) h.Add({list[i] - p3.emiters, list[i]->depth.raw()});
}

// One fingerprint per frame run, and one of the whole log, start-up to the last exit line.
struct Result { std::vector<uint16_t> frames; uint64_t log = 0; };

Result Play(const GoldenRun& run, const FramePasses& passes) {
  CaptureOptions options;
  std::string error;
  const int argc = static_cast<int>(run.args.size());
  EXPECT_TRUE(ParseCaptureOptions(argc, run.args.data(), &options, &error)) << error;
  Result result;
  result.frames.reserve(options.frames);
  MemoryScreen screen;
  ScriptedEvents events(options.presses);
  support::LogCapture log;
  ResetFPS();
  particles::ResetRandom();
  particles::CreatePools();
  Demo demo;
  BuildScenes(demo);
  StartClock(demo, options.start);
  Hash h;
  const long heapBefore = g_heapCalls;
  for (uint64_t k = 1; k <= options.frames && !demo.quitGame; ++k) {
    events.BeginFrame(k);
    RunFrameWith(passes, demo, FrameTicks(options, k), events, screen, [](FramePhase) {});
    for (int y = 0; y < kScreenHeight; ++y)  // the picture row by row, two pixels a word
      for (int x = 0; x < kScreenWidth; x += 2) h.Add(screen.At(x, y) | uint32_t{screen.At(x + 1, y)} << 16);
    if (k % 16 == 0) AddState(h);
    result.frames.push_back(static_cast<uint16_t>(h.h));
  }
  EXPECT_EQ(g_heapCalls - heapBefore, 0) << run.name << ": the heap used in the frame loop";
  ReleaseScenes(demo);
  particles::ReportAndDestroyPools();
  EXPECT_EQ(particles::g_2DPool, nullptr) << "a destroyed pool must not stay reachable";
  LogSystemEnd();
  Hash lh;
  for (const char c : support::ReadFile(log.path)) lh.Add(static_cast<uint8_t>(c));
  result.log = lh.h;
  return result;
}

// The file: comment lines, then per run a line "run NAME LOG" and its frames' fingerprints,
// 16 a line, all in hex; a frame read that stops at the next "run" ends the run's list.
std::map<std::string, Result> ReadGolden() {
  std::map<std::string, Result> golden;
  std::ifstream in(PARTICLES_GOLDEN_FILE);
  while (in.peek() == '#') in.ignore(1 << 20, '\n');
  for (std::string name; in >> name >> name; in.clear()) {
    Result& run = golden[name];
    in >> std::hex >> run.log;
    for (unsigned frame; in >> frame;) run.frames.push_back(static_cast<uint16_t>(frame));
  }
  return golden;
}

void WriteGolden(const std::map<std::string, Result>& runs) {
  std::FILE* out = std::fopen(PARTICLES_GOLDEN_FILE, "w");
  ASSERT_NE(out, nullptr) << PARTICLES_GOLDEN_FILE;
  std::fputs("# golden_runs.txt: per-frame fingerprints of the runs in golden_run_test.cpp, written by\n"
             "# that test from the code itself: a regression check. Regenerate only after a deliberate\n"
             "# change of output (the command is in the test's header comment) and review the diff.\n", out);
  for (const GoldenRun& run : kRuns) {
    const Result& r = runs.at(run.name);
    std::fprintf(out, "run %s %016llx\n", run.name, static_cast<unsigned long long>(r.log));
    for (size_t k = 0; k < r.frames.size(); ++k)
      std::fprintf(out, "%04x%c", r.frames[k], (k % 16 == 15 || k + 1 == r.frames.size()) ? '\n' : ' ');
  }
  std::fclose(out);
  std::printf("wrote %s: review its diff before committing it\n", PARTICLES_GOLDEN_FILE);
}

// The first frame where two runs differ (counting from 1), or 0.
size_t FirstDifference(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
  return a == b ? 0 : std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin() + 1;
}

TEST(GoldenRun, EveryFrameAsRecordedWithEitherPassesAndNoAllocation) {
  const bool write = std::getenv("PARTICLES_GOLDEN_WRITE") != nullptr;
  const std::map<std::string, Result> golden = ReadGolden();
  std::map<std::string, Result> made;
  for (const GoldenRun& run : kRuns) {
    const Result& demo = made[run.name] = Play(run, kDemoPasses);
    const auto expectSame = [&](const std::vector<uint16_t>& frames, const char* what) {
      const size_t k = FirstDifference(demo.frames, frames);
      EXPECT_EQ(k, 0u) << run.name << ": frame " << k << " is the first that differs from " << what;
    };
    expectSame(Play(run, reference::kStraightforward).frames, "the straightforward passes");
#if defined(__x86_64__)
    // Each narrower projection than the demo's own, down to the scalar one.
    const int widest = particles::VectorProjectionLanes();
    for (const int lanes : {4, 0}) {
      if (lanes >= widest) continue;
      particles::LimitVectorProjection(lanes);
      expectSame(Play(run, kDemoPasses).frames, lanes == 4 ? "the four-lane projections" : "the scalar projections");
    }
    particles::LimitVectorProjection(8);
#endif
    if (write) continue;
    const auto it = golden.find(run.name);
    ASSERT_NE(it, golden.end()) << run.name << " is not in " << PARTICLES_GOLDEN_FILE;
    expectSame(it->second.frames, "the recorded run");
    EXPECT_EQ(demo.log, it->second.log) << run.name << ": the log differs from the recorded run";
  }
  if (write) WriteGolden(made);
}

}  // namespace
