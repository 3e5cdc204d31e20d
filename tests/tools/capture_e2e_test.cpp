// Runs the built particles-capture as a user would. Catches a capture that writes a
// different log from the demo's, delivers presses in the wrong frame, runs past a quit,
// writes frames in another format, or mishandles bad arguments and unwritable outputs.
#include <png.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/support.h"
#include "support/expected_log.h"

namespace {

constexpr size_t kFrameBytes = 320 * 240 * 2;

ProcessResult Capture(const support::TempDir& dir, std::vector<std::string> args) {
  ProcessRequest request;
  request.path = PARTICLES_CAPTURE;
  request.args = std::move(args);
  request.cwd = dir.path();
  return RunProcess(request);
}

std::vector<std::string> Log(const support::TempDir& dir) { return support::ReadLines(dir.path() + "/ParticlesLog.txt"); }

TEST(CaptureRun, AThreeFrameRunWritesTheDemosLog) {
  support::TempDir dir;
  const ProcessResult r = Capture(dir, {"--frames", "3"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Log(dir), Concat(StartupLines(), ShutdownLines()));
}

TEST(CaptureRun, AQuitKeyEndsTheRunAfterItsFrame) {
  support::TempDir dir;
  const ProcessResult r =
      Capture(dir, {"--frames", "10", "--press", "4:ctrl-c", "--press", "4:start", "--stream"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out.size(), 4 * kFrameBytes) << "frames 1..4 are written, none after";
  std::vector<std::string> expected = StartupLines();
  expected.push_back("Quit game from KeyDown !");
  expected.push_back("Quit game from Start Button !");
  EXPECT_EQ(Log(dir), Concat(expected, ShutdownLines()));
}

TEST(CaptureRun, PressesReachTheirFrame) {
  // rctrl-c in frame 2 of 5 ends the run after two frames; plain c in frame 1 does nothing.
  support::TempDir dir;
  const ProcessResult r =
      Capture(dir, {"--frames=5", "--press=1:c", "--press=2:rctrl-c", "--stream"});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out.size(), 2 * kFrameBytes);
  support::TempDir dir2;
  const ProcessResult late = Capture(dir2, {"--frames=5", "--press=5:quit", "--stream"});
  EXPECT_EQ(late.out.size(), 5 * kFrameBytes);
  const std::vector<std::string> log = Log(dir2);
  ASSERT_GT(log.size(), 5u);
  EXPECT_EQ(log[4], "Quit game from SDL_QUIT !");
}

TEST(CaptureRun, OneSecondOfFramesLogsTheRate) {
  support::TempDir dir;
  // 63 frames of 16 ms: the 63rd reaches 1008 ms and completes the first window.
  const ProcessResult r = Capture(dir, {"--frames", "63"});
  EXPECT_EQ(r.exitStatus, 0);
  std::vector<std::string> expected = StartupLines();
  expected.push_back("PARTICLE : 41 FPS");  // (20 + 63) / 2
  EXPECT_EQ(Log(dir), Concat(expected, ShutdownLines()));
}

TEST(CaptureRun, RawPngAndStreamHoldTheSameLastFrame) {
  support::TempDir dir;
  const ProcessResult r = Capture(dir, {"--frames", "300", "--raw", "last.raw", "--png",
                                        "last.png", "--stream"});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::string raw = support::ReadFile(dir.path() + "/last.raw");
  ASSERT_EQ(raw.size(), kFrameBytes);
  ASSERT_EQ(r.out.size(), 300 * kFrameBytes);
  EXPECT_EQ(r.out.substr(299 * kFrameBytes), raw);

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&image, (dir.path() + "/last.png").c_str()), 0);
  EXPECT_EQ(image.width, 320u);
  EXPECT_EQ(image.height, 240u);
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(320 * 240 * 3);
  ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
  for (size_t i = 0; i < 320 * 240; ++i) {
    const unsigned p = static_cast<uint8_t>(raw[2 * i]) | static_cast<uint8_t>(raw[2 * i + 1]) << 8;
    const unsigned r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
    ASSERT_EQ(rgb[3 * i], (r5 << 3 | r5 >> 2)) << "pixel " << i;
    ASSERT_EQ(rgb[3 * i + 1], (g6 << 2 | g6 >> 4)) << "pixel " << i;
    ASSERT_EQ(rgb[3 * i + 2], (b5 << 3 | b5 >> 2)) << "pixel " << i;
  }
}

TEST(CaptureRun, BadArgumentsExit64WithOneLineAndLeaveTheLogAlone) {
  const std::vector<std::vector<std::string>> bad = {
      {"--frames", "0"}, {"--dt", "abc"}, {"--start", "-1"}, {"--stall", "9:1"},
      {"--press", "1:esc"}, {"--nope"}, {"--frames"}, {"--frames", "2", "--press", "3:space"},
  };
  for (const auto& args : bad) {
    support::TempDir dir;
    std::ofstream(dir.path() + "/ParticlesLog.txt") << "earlier run\n";
    const ProcessResult r = Capture(dir, args);
    EXPECT_EQ(r.exitStatus, 64) << args[0];
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(support::ReadFile(dir.path() + "/ParticlesLog.txt"), "earlier run\n") << args[0];
    support::TempDir empty;
    Capture(empty, args);
    EXPECT_FALSE(FileExists(empty.path() + "/ParticlesLog.txt")) << args[0];
  }
}

TEST(CaptureRun, AnUnwritableOutputExits74AndTheLogIsStillComplete) {
  support::TempDir dir;
  std::ofstream(dir.path() + "/plain") << "x";
  const ProcessResult r = Capture(dir, {"--frames", "2", "--png", "plain/frame.png"});
  EXPECT_EQ(r.exitStatus, 74);
  EXPECT_NE(r.err.find("plain/frame.png"), std::string::npos) << r.err;
  EXPECT_EQ(Log(dir), Concat(StartupLines(), ShutdownLines()));
  const ProcessResult raw = Capture(dir, {"--raw", "plain/frame.raw"});
  EXPECT_EQ(raw.exitStatus, 74);
  EXPECT_NE(raw.err.find("plain/frame.raw"), std::string::npos) << raw.err;
}

TEST(CaptureRun, HelpPrintsTheUsageAndRunsNothing) {
  support::TempDir dir;
  const ProcessResult r = Capture(dir, {"--help"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_NE(r.out.find("--press F:KEY"), std::string::npos);
  EXPECT_FALSE(FileExists(dir.path() + "/ParticlesLog.txt"));
}

}  // namespace
