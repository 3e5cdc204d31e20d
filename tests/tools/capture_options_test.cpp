// Catches a command line that accepts what it should refuse (signs, hex, out-of-range
// values, frames past N), refuses what it should accept, or a clock that drifts.
#include "tools/capture_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
  bool ok;
  CaptureOptions options;
  std::string error;
};

Parsed Parse(std::vector<const char*> args) {
  Parsed p{};
  p.ok = ParseCaptureOptions(static_cast<int>(args.size()), args.data(), &p.options, &p.error);
  return p;
}

TEST(CaptureOptions, DefaultsAndBothValueSpellings) {
  Parsed p = Parse({});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.options.frames, 1u);
  EXPECT_EQ(p.options.dt, 16u);
  EXPECT_EQ(p.options.start, 0u);
  // Leading zeros are digits, however many: the value is what they lead to.
  p = Parse({"--frames=300", "--dt", "000000000000000000000000020",
             "--start=0000000000000000000000004294967295", "--frames", "400"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.frames, 400u) << "a repeated option keeps its last value";
  EXPECT_EQ(p.options.dt, 20u);
  EXPECT_EQ(p.options.start, 4294967295u);
}

TEST(CaptureOptions, PressesKeepCommandLineOrderAndMapToTheirEvents) {
  Parsed p = Parse({"--frames", "9", "--press", "2:ctrl-c", "--press=1:button:255",
                    "--press", "2:rctrl-c", "--press", "3:start", "--press", "3:select",
                    "--press", "4:quit", "--press", "5:c", "--press", "6:space"});
  ASSERT_TRUE(p.ok) << p.error;
  const auto& v = p.options.presses;
  ASSERT_EQ(v.size(), 8u);
  EXPECT_EQ(v[0].frame, 2u);
  EXPECT_EQ(v[0].kind, Press::Key);
  EXPECT_EQ(v[0].sym, 99);
  EXPECT_EQ(v[0].mod, 0x0040u);
  EXPECT_EQ(v[1].kind, Press::Button);
  EXPECT_EQ(v[1].button, 255);
  EXPECT_EQ(v[2].mod, 0x0080u);
  EXPECT_EQ(v[3].button, 8);
  EXPECT_EQ(v[4].button, 9);
  EXPECT_EQ(v[5].kind, Press::Quit);
  EXPECT_EQ(v[6].sym, 99);
  EXPECT_EQ(v[6].mod, 0u);
  EXPECT_EQ(v[7].sym, 32);
}

TEST(CaptureOptions, RefusesEachBadArgumentWithALineNamingIt) {
  const std::vector<std::vector<const char*>> bad = {
      {"--frames", "0"},        {"--frames", "-1"},        {"--frames", "+5"},
      {"--frames", "0x10"},     {"--frames", "1e3"},       {"--frames", ""},
      {"--frames"},             {"--dt", "100001"},        {"--dt", "16.5"},
      {"--start", "4294967296"}, {"--stall", "1"},          {"--stall", "1:100001"},
      {"--stall", "0:5"},       {"--stall", "2:5"},        {"--press", "1:enter"},
      {"--press", "1:button:256"}, {"--press", "space"},    {"--press", "2:space"},
      {"--bogus"},              {"frames"},                {"--raw"},
      {"--stream=1"},           {"--frames", "99999999999999999999999"},
      {"--frames", "1\n2"},     {"--fr\x1b[2Jmes"},       {"--press", "1:sp\xc3\xa9"},
  };
  for (const auto& args : bad) {
    const Parsed p = Parse(args);
    std::string joined;
    for (const char* a : args) joined += std::string(a) + " ";
    EXPECT_FALSE(p.ok) << joined;
    for (const char ch : p.error) {
      ASSERT_TRUE(ch >= 0x20 && ch < 0x7F) << "one line, nothing for the terminal: " << joined;
    }
    EXPECT_EQ(p.error.rfind("particles-capture: ", 0), 0u) << p.error;
  }
  EXPECT_EQ(Parse({"--frames", "1\n\x7f" "2"}).error,
            "particles-capture: bad value for --frames: '1\\x0a\\x7f2' (N >= 1)");
}

TEST(CaptureOptions, FramesOfStallsAndPressesAreCheckedAgainstTheFinalN) {
  EXPECT_TRUE(Parse({"--press", "5:space", "--frames", "5"}).ok);
  EXPECT_FALSE(Parse({"--frames", "5", "--press", "5:space", "--frames", "4"}).ok);
}

TEST(CaptureOptions, ClockReadsStartPlusFramesTimesDtPlusStallsSoFar) {
  Parsed p = Parse({"--frames", "10", "--dt", "16", "--start", "1000", "--stall", "3:500",
                    "--stall", "5:7", "--stall", "3:1"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(FrameTicks(p.options, 1), 1016u);
  EXPECT_EQ(FrameTicks(p.options, 2), 1032u);
  EXPECT_EQ(FrameTicks(p.options, 3), 1048u + 501u);
  EXPECT_EQ(FrameTicks(p.options, 5), 1080u + 508u);
  p = Parse({"--frames", "2", "--start", "4294967290", "--dt", "10"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(FrameTicks(p.options, 1), 4u) << "the tick counter wraps";
}

}  // namespace
