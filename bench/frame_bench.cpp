// frame_bench.cpp: particles-bench, the frame and its passes timed on steady-state
// scenes, optimised and straightforward side by side, against the floor of a mode-3
// frame (its clear and the stamps it draws, replayed), the maths the passes use, and
// the enlargement of a frame into a scaled desktop window.
// After Google Benchmark's own table it prints a summary of the medians (or of the
// single runs without --benchmark_repetitions). scripts/bench.sh runs it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/render.h"
#include "bench/steady_scene.h"
#include "fixedpoint/divide.h"
#include "fixedpoint/trig.h"
#include "platform/window_scale.h"
#include "vmath/vmath.h"

namespace {

using Clock = std::chrono::steady_clock;
using particles::fixed;
constexpr int kWarmup = 300;  // frames before timing: every emitter full and cycling

const FramePasses& Passes(int64_t straightforward) {
  return straightforward != 0 ? reference::kStraightforward : kDemoPasses;
}
const char* PassesName(int64_t straightforward) {
  return straightforward != 0 ? "straightforward" : "optimised";
}

// A whole frame: the demo's RunFrame, or the same phases with the reference passes.
void BM_Frame(benchmark::State& state) {
  const auto mode = static_cast<int>(state.range(0));
  bench::SteadyScene scene(mode, kWarmup);
  for (auto _ : state) {
    if (state.range(1) == 0) {
      scene.RunFrame();
    } else {
      scene.RunFrameWith(reference::kStraightforward, [](FramePhase) {});
    }
    benchmark::DoNotOptimize(scene.screen.At(160, 120));
  }
  state.SetLabel(std::string("mode ") + std::to_string(mode) + ", " + PassesName(state.range(1)));
}
BENCHMARK(BM_Frame)->ArgsProduct({{1, 2, 3}, {0, 1}})->Unit(benchmark::kMicrosecond);

// One phase of real mode-3 frames: every iteration runs a whole frame and the clock
// is read only around the phase asked for.
void BM_Phase(benchmark::State& state) {
  const auto phase = static_cast<FramePhase>(state.range(0));
  const FramePasses& passes = Passes(state.range(1));
  bench::SteadyScene scene(3, kWarmup);
  for (auto _ : state) {
    Clock::time_point begin{}, end{};
    scene.RunFrameWith(passes, [&](FramePhase p) {
      if (p == phase) begin = Clock::now();
      if (p == phase + 1) end = Clock::now();
    });
    if (phase + 1 == kPhaseCount) end = Clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
  }
  state.SetLabel(std::string(kPhaseNames[phase]) + ", " + PassesName(state.range(1)));
}
BENCHMARK(BM_Phase)
    ->ArgsProduct({{kViews, kUpdate2D, kUpdate3D, kClear,
                    kPlot2D, kPlot3D},
                   {0, 1}})
    ->UseManualTime()
    ->Iterations(3000)  // whole frames each; a short phase would otherwise need millions
    ->Unit(benchmark::kMicrosecond);

// The least a mode-3 frame can cost: its clear and the stamps it drew, replayed at
// their positions and colours without any of the work that found them.
void BM_Floor(benchmark::State& state) {
  bench::SteadyScene scene(3, kWarmup);
  const std::vector<bench::Stamp> stamps = scene.VisibleStamps();
  int32_t color = scene.demo.color;
  for (auto _ : state) {
    ClearScreen(scene.screen, color);
    const PixelBuffer pixels = scene.screen.Lock();
    for (const bench::Stamp& s : stamps) PlotStamp(pixels, s.x, s.y, s.colour);
    benchmark::DoNotOptimize(scene.screen.At(160, 120));
  }
  state.SetLabel(std::to_string(stamps.size()) + " stamps");
}
BENCHMARK(BM_Floor)->Unit(benchmark::kMicrosecond);

// A steady mode-3 picture written into a window scale times its size, as the desktop
// window's flip does (the window's SDL copy to the display not included): RGB565, or
// 32-bit pixels looked up in a colour table.
void BM_Enlarge(benchmark::State& state) {
  const auto scale = static_cast<int>(state.range(0));
  const auto bytes = static_cast<int>(state.range(1));
  bench::SteadyScene scene(3, kWarmup);
  std::vector<uint32_t> colours(65536);
  for (uint32_t i = 0; i < colours.size(); ++i) colours[i] = i << 8;
  std::vector<uint8_t> window(static_cast<size_t>(kScreenWidth) * kScreenHeight * scale * scale * bytes);
  const WindowPixels to{window.data(), kScreenWidth * scale * bytes, bytes, colours.data()};
  for (auto _ : state) {
    EnlargePicture(scene.screen.Lock(), to, scale);
    benchmark::DoNotOptimize(window.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(window.size()));
  state.SetLabel(std::to_string(kScreenWidth * scale) + "x" + std::to_string(kScreenHeight * scale) +
                 (bytes == 2 ? ", RGB565" : ", 32-bit"));
}
BENCHMARK(BM_Enlarge)->ArgsProduct({{2, 3, 4, 6}, {2, 4}})->Unit(benchmark::kMicrosecond);

// The maths, over arrays of operands drawn once (the loop cost is shared by all).
std::vector<int32_t> Operands(uint32_t seed, int32_t low, int32_t high) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int32_t> pick(low, high);
  std::vector<int32_t> v(1024);
  for (int32_t& x : v) x = pick(gen);
  return v;
}

void BM_fixsqrt16(benchmark::State& state) {
  const std::vector<int32_t> in = Operands(1, 1, INT32_MAX);
  for (auto _ : state) {
    for (int32_t x : in) benchmark::DoNotOptimize(fixedpoint::fixsqrt16(x));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_fixsqrt16);

void BM_fixsin16(benchmark::State& state) {
  const std::vector<int32_t> in = Operands(2, -411775, 411775);  // -2 pi .. 2 pi
  for (auto _ : state) {
    for (int32_t x : in) benchmark::DoNotOptimize(fixedpoint::fixsin16(x));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
BENCHMARK(BM_fixsin16);

void BM_Mat4TimesVec4(benchmark::State& state) {
  const std::vector<int32_t> in = Operands(3, -1 << 22, 1 << 22);
  vmath::mat4<fixed> m;
  for (int i = 0; i < 16; ++i) m.m[i] = fixed::from_raw(in[static_cast<size_t>(i)]);
  for (auto _ : state) {
    for (size_t i = 0; i + 4 <= in.size(); i += 4) {
      const vmath::vec4<fixed> v{fixed::from_raw(in[i]), fixed::from_raw(in[i + 1]),
                                 fixed::from_raw(in[i + 2]), fixed::from_raw(in[i + 3])};
      benchmark::DoNotOptimize(m * v);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(in.size() / 4));
}
BENCHMARK(BM_Mat4TimesVec4);

// The 3D pass's two quotients over one w: by the / operator, and by the shared
// divisor (its reciprocal made once for both).
void BM_TwoQuotients(benchmark::State& state) {
  const std::vector<int32_t> w = Operands(4, 65536, 1000 << 16);
  const std::vector<int32_t> x = Operands(5, -(100 << 16), 100 << 16);
  const bool shared = state.range(0) != 0;
  for (auto _ : state) {
    for (size_t i = 0; i + 1 < w.size(); ++i) {
      const fixed a = fixed::from_raw(x[i]), b = fixed::from_raw(x[i + 1]), c = fixed::from_raw(w[i]);
      if (shared) {
        const fixedpoint::Divisor d = fixedpoint::MakeDivisor(c.raw());
        benchmark::DoNotOptimize(fixedpoint::Quotient16(a.raw(), d));
        benchmark::DoNotOptimize(fixedpoint::Quotient16(b.raw(), d));
      } else {
        benchmark::DoNotOptimize(a / c);
        benchmark::DoNotOptimize(b / c);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w.size() - 1));
  state.SetLabel(shared ? "reciprocal Divisor (the console's method)" : "operator /");
}
BENCHMARK(BM_TwoQuotients)->Arg(0)->Arg(1);

// Collects every run (medians when repeated) for the summary, printing as usual.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      const std::string name = run.run_name.str();
      if (median || times_.count(name) == 0) times_[name] = run.GetAdjustedRealTime();
      if (median) medians_ = true;
    }
  }

  void PrintSummary() const {
    std::printf("\nSummary: %s, microseconds per frame or phase (steady state after %d frames)\n",
                medians_ ? "medians of the repetitions" : "single runs (use --benchmark_repetitions)",
                kWarmup);
    std::printf("  %-26s %12s %16s %9s\n", "", "optimised", "straightforward", "speed-up");
    auto row = [&](const std::string& label, const std::string& opt, const std::string& ref) {
      const double o = Get(opt), r = Get(ref);
      if (o <= 0) return;
      if (r > 0) {
        std::printf("  %-26s %12.2f %16.2f %8.2fx\n", label.c_str(), o, r, r / o);
      } else {
        std::printf("  %-26s %12.2f\n", label.c_str(), o);
      }
    };
    for (int mode = 1; mode <= 3; ++mode) {
      const std::string m = std::to_string(mode);
      row("frame, mode " + m, "BM_Frame/" + m + "/0", "BM_Frame/" + m + "/1");
    }
    for (int p = kViews; p < kPresent; ++p) {
      const std::string base = "BM_Phase/" + std::to_string(p) + "/";
      row(std::string("  ") + kPhaseNames[p], base + "0/iterations:3000/manual_time",
          base + "1/iterations:3000/manual_time");
    }
    const double frame3 = Get("BM_Frame/3/0");
    for (int bytes : {2, 4}) {
      for (int scale = 2; scale <= kMaxWindowScale; ++scale) {
        const double e = Get("BM_Enlarge/" + std::to_string(scale) + "/" + std::to_string(bytes));
        if (e <= 0) continue;
        const std::string label = "enlarge to " + std::to_string(kScreenWidth * scale) + "x" +
                                  std::to_string(kScreenHeight * scale) + "x" + std::to_string(8 * bytes);
        std::printf("  %-26s %12.2f", label.c_str(), e);
        if (frame3 > 0) std::printf("   %.2fx frame, mode 3", e / frame3);
        std::printf("\n");
      }
    }
    const double floor = Get("BM_Floor");
    if (floor <= 0) return;
    std::printf("  %-26s %12.2f\n", "floor (mode-3 clear+stamps)", floor);
    for (int mode = 1; mode <= 3; ++mode) {
      const std::string m = std::to_string(mode);
      const double o = Get("BM_Frame/" + m + "/0"), r = Get("BM_Frame/" + m + "/1");
      if (o > 0 && r > 0) {
        std::printf("  frame, mode %d / floor       %11.2fx %15.2fx\n", mode, o / floor, r / floor);
      }
    }
  }

 private:
  double Get(const std::string& name) const {  // microseconds; 0 when not run
    const auto it = times_.find(name);
    return it == times_.end() ? 0.0 : it->second;
  }
  std::map<std::string, double> times_;
  bool medians_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 64;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}
