// Runs the built particles-capture as a user would. Catches a capture that writes a
// different log from the demo's, delivers presses in the wrong frame, runs past a quit,
// writes frames in another format, or mishandles bad arguments and unwritable outputs.
#include <fcntl.h>
#include <png.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iostream>
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

// Each failed output: its status, exactly its one line, a run that ends as a quit
// ends it, and the paths it was given left as they were found.
TEST(CaptureRun, EveryFailedOutputGetsItsLineAndStatusAndLeavesItsPathAlone) {
  enum Out { kCaptured, kBrokenPipe, kFull, kClosed };
  enum LogFile { kComplete, kNone, kLogToFull, kLogIsDirectory, kLogDangling };  // kNone: not made
  struct Case {
    std::vector<std::string> args;
    Out out;
    LogFile log;
    int status;
    std::string line;
  };
  const std::vector<Case> cases = {
      {{"--frames", "2", "--png", "plain/frame.png"}, kCaptured, kComplete, 74,
       "particles-capture: cannot write plain/frame.png"},
      {{"--raw", "plain/a\nb"}, kCaptured, kComplete, 74, "particles-capture: cannot write plain/a\\x0ab"},
      // The PNG library's file writer removed a failed output, device or link.
      {{"--png", "full"}, kCaptured, kComplete, 74, "particles-capture: cannot write full"},
      {{"--png", "link"}, kCaptured, kComplete, 74, "particles-capture: cannot write link"},
      // A closed pipe was a SIGPIPE kill; a broken stream ran every remaining frame.
      {{"--raw", "/dev/stdout"}, kBrokenPipe, kComplete, 74, "particles-capture: cannot write /dev/stdout"},
      {{"--frames", "1000000000", "--stream"}, kBrokenPipe, kComplete, 74,
       "particles-capture: cannot write the frame stream to standard output"},
      {{"--frames", "1000000000", "--stream"}, kFull, kComplete, 74,
       "particles-capture: cannot write the frame stream to standard output"},
      // A closed standard output was taken by the log, which got the frames.
      {{"--frames", "3", "--stream"}, kClosed, kComplete, 74,
       "particles-capture: cannot write the frame stream to standard output"},
      {{"--help"}, kFull, kNone, 74, "particles-capture: cannot write the usage to standard output"},
      {{"--frames", "5"}, kCaptured, kLogToFull, 74,
       "particles-capture: cannot write ParticlesLog.txt: No space left on device"},
      {{}, kCaptured, kLogIsDirectory, 2, "particles-capture: cannot create ParticlesLog.txt: Is a directory"},
      {{}, kCaptured, kLogDangling, 2,
       "particles-capture: cannot create ParticlesLog.txt: No such file or directory"},
  };
  for (const Case& c : cases) {
    const std::string what = testing::PrintToString(c.args) + " out " + std::to_string(c.out);
    support::TempDir dir;
    const std::string d = dir.path() + "/";
    std::ofstream(d + "plain") << "x";
    const bool devices = mknod((d + "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0 &&
                         symlink("/dev/full", (d + "link").c_str()) == 0;
    const bool needsDevices = c.out == kFull || c.log == kLogToFull ||
                              (!c.args.empty() && (c.args.back() == "full" || c.args.back() == "link"));
    if (!devices && needsDevices) {
      std::cout << "skipped, no /dev/full or no mknod here: " << what << "\n";
      continue;
    }
    if (c.log == kLogToFull) symlink("/dev/full", (d + "ParticlesLog.txt").c_str());
    if (c.log == kLogIsDirectory) mkdir((d + "ParticlesLog.txt").c_str(), 0755);
    if (c.log == kLogDangling) symlink("missing/log", (d + "ParticlesLog.txt").c_str());
    int pipeFds[2] = {-1, -1};
    ASSERT_EQ(pipe(pipeFds), 0);
    close(pipeFds[0]);  // nobody reads
    const int full = open("/dev/full", O_WRONLY);

    ProcessRequest request;
    request.path = PARTICLES_CAPTURE;
    request.args = c.args;
    request.cwd = dir.path();
    request.killAfterMs = 30000;
    if (c.out == kBrokenPipe) request.stdoutFd = pipeFds[1];
    if (c.out == kFull) request.stdoutFd = full;
    if (c.out == kClosed) request.closedFds = {STDOUT_FILENO};
    const ProcessResult r = RunProcess(request);
    close(pipeFds[1]);
    if (full >= 0) close(full);

    EXPECT_EQ(r.signal, 0) << what;
    EXPECT_EQ(r.exitStatus, c.status) << what;
    EXPECT_EQ(r.err, c.line + "\n") << what;
    if (c.log == kComplete) {
      EXPECT_EQ(Log(dir), Concat(StartupLines(), ShutdownLines())) << what;
    }
    if (c.log == kNone) {
      EXPECT_FALSE(FileExists(d + "ParticlesLog.txt")) << what;
    }
    if (!devices) continue;
    struct stat st{};
    EXPECT_TRUE(lstat((d + "full").c_str(), &st) == 0 && S_ISCHR(st.st_mode)) << what;
    EXPECT_TRUE(lstat((d + "link").c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << what;
  }
}

TEST(CaptureRun, HelpPrintsTheUsageAndRunsNothing) {
  support::TempDir dir;
  const ProcessResult r = Capture(dir, {"--help"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_NE(r.out.find("--press F:KEY"), std::string::npos);
  EXPECT_FALSE(FileExists(dir.path() + "/ParticlesLog.txt"));
}

}  // namespace
