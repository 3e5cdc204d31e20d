// Catches a command line that accepts what it should refuse (signs, hex, out-of-range
// values, frames past N), refuses what it should accept, or a clock that drifts.
#include "tools/capture_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

CaptureOptions Accepted(std::vector<const char*> args) {
  CaptureOptions o;
  std::string error;
  EXPECT_TRUE(ParseCaptureOptions(static_cast<int>(args.size()), args.data(), &o, &error)) << error;
  return o;
}

// The refusal of a command line, empty when it is accepted.
std::string Refusal(std::vector<const char*> args) {
  CaptureOptions o;
  std::string error;
  return ParseCaptureOptions(static_cast<int>(args.size()), args.data(), &o, &error) ? "" : error;
}

TEST(CaptureOptions, DefaultsAndBothValueSpellings) {
  const CaptureOptions d = Accepted({});
  EXPECT_EQ(std::tuple(d.frames, d.dt, d.start), std::tuple(uint64_t{1}, 16u, 0u));  // frames, dt, start
  // Leading zeros are digits, however many; a repeated option keeps its last value; a press
  // is checked against the final N.
  const CaptureOptions o = Accepted({"--press", "400:space", "--frames=300", "--dt", "000000000000000000000000020",
                                     "--start=0000000000000000000000004294967295", "--frames", "400"});
  EXPECT_EQ(std::tuple(o.frames, o.dt, o.start, o.presses.size()),
            std::tuple(uint64_t{400}, 20u, 4294967295u, size_t{1}));
}

// Each refusal is one line naming the program, with nothing for the terminal; the last press
// is past the final N.
TEST(CaptureOptions, RefusesEachBadArgumentWithALineNamingIt) {
  const std::vector<std::vector<const char*>> bad = {
      {"--frames", "0"}, {"--frames", "-1"}, {"--frames", "+5"}, {"--frames", "0x10"}, {"--frames", "1e3"},
      {"--frames", ""}, {"--frames"}, {"--frames", "99999999999999999999999"}, {"--frames", "1\n2"},
      {"--bogus"}, {"--dt", "100001"}, {"--dt", "16.5"}, {"--start", "4294967296"}, {"--stall", "1"},
      {"--stall", "1:100001"}, {"--stall", "0:5"}, {"--stall", "2:5"}, {"--press", "1:enter"},
      {"--press", "1:button:256"}, {"--press", "space"}, {"--press", "2:space"},
      {"--press", "1:sp\xc3\xa9"}, {"frames"}, {"--raw"}, {"--stream=1"}, {"--fr\x1b[2Jmes"},
      {"--frames", "5", "--press", "5:space", "--frames", "4"}};
  for (const auto& args : bad) {
    const std::string e = Refusal(args);
    const bool printable = std::all_of(e.begin(), e.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    EXPECT_TRUE(e.rfind("particles-capture: ", 0) == 0 && printable)
        << testing::PrintToString(args) << " gave " << testing::PrintToString(e);
  }
  EXPECT_EQ(Refusal({"--frames", "1\n\x7f" "2"}),
            "particles-capture: bad value for --frames: '1\\x0a\\x7f2' (N >= 1)");
}

TEST(CaptureOptions, ClockReadsStartPlusFramesTimesDtPlusStallsSoFar) {
  const CaptureOptions o = Accepted({"--frames", "10", "--dt", "16", "--start", "1000", "--stall", "3:500",
                                     "--stall", "5:7", "--stall", "3:1"});
  EXPECT_EQ((std::vector{FrameTicks(o, 1), FrameTicks(o, 2), FrameTicks(o, 3), FrameTicks(o, 5)}),
            (std::vector{1016u, 1032u, 1048u + 501u, 1080u + 508u}));
  const CaptureOptions wraps = Accepted({"--frames", "2", "--start", "4294967290", "--dt", "10"});
  EXPECT_EQ(FrameTicks(wraps, 1), 4u) << "the tick counter wraps";
}

TEST(CaptureOptions, UsageSetsEachOptionsTextAtColumn18) {
  const std::string usage = CaptureUsage();
  EXPECT_NE(usage.find("\n  --frames N      frames to run"), std::string::npos) << usage;
  EXPECT_NE(usage.find("\n                  little-endian, 153600 bytes\n"), std::string::npos) << usage;
}

}  // namespace
