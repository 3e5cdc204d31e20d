// Runs the built demo headless as a user would. Catches wrong exit statuses, messages
// or log lines on a normal quit, on a bad argument and on each start-up failure, and
// an exit handler armed too early or not at all. PARTICLES_DEMO and
// PARTICLES_DEMO_EMULATOR (a command prefix, split at spaces) in the environment run
// another build instead, such as the console's under qemu-arm.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/support.h"
#include "support/expected_log.h"

namespace {

ProcessResult Demo(const support::TempDir& dir, std::vector<std::pair<std::string, std::string>> env,
                   int interruptAfterMs, std::vector<int> closedFds = {}) {
  const char* demo = std::getenv("PARTICLES_DEMO");
  const char* emulator = std::getenv("PARTICLES_DEMO_EMULATOR");
  std::vector<std::string> command;
  std::istringstream words(emulator != nullptr ? emulator : "");
  for (std::string word; words >> word;) command.push_back(word);
  command.push_back(demo != nullptr ? demo : PARTICLES_DEMO);
  ProcessRequest request;
  request.path = command.front();
  request.args.assign(command.begin() + 1, command.end());
  request.cwd = dir.path();
  request.env = {{"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"},
              // The sanitizers see SDL's and the preload library's own allocations.
              {"ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0"}};
  for (auto& e : env) request.env.push_back(e);
  request.interruptAfterMs = interruptAfterMs;
  request.closedFds = std::move(closedFds);
  return RunProcess(request);
}

std::vector<std::string> Log(const support::TempDir& dir) { return support::ReadLines(dir.path() + "/ParticlesLog.txt"); }

// Standard error minus what the console's shell commands print on a desktop.
std::string DemoMessages(const std::string& err) {
  std::string kept;
  size_t pos = 0;
  while (pos < err.size()) {
    size_t end = err.find('\n', pos);
    if (end == std::string::npos) end = err.size();
    const std::string line = err.substr(pos, end - pos);
    if (line.rfind("sh: ", 0) != 0 && line.find("mmuhack") == std::string::npos) kept += line + "\n";
    pos = end + 1;
  }
  return kept;
}

// The log of a normal run: start-up, at least one rate line, the quit line, shutdown.
void ExpectNormalLog(const std::vector<std::string>& log, const std::string& quitLine) {
  const std::vector<std::string> start = StartupLines(), end = ShutdownLines();
  ASSERT_GE(log.size(), start.size() + 2 + end.size());
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4), start);
  EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(end.size()), log.end()), end);
  EXPECT_EQ(log[log.size() - end.size() - 1], quitLine);
  for (size_t i = 4; i < log.size() - end.size() - 1; ++i) {
    EXPECT_EQ(log[i].rfind("PARTICLE : ", 0), 0u) << log[i];
  }
}

TEST(DemoRun, SigintEndsItLikeAWindowClose) {
  // With standard error closed the log took its number and the shell's messages.
  for (const std::vector<int>& closed : {std::vector<int>{}, std::vector<int>{STDERR_FILENO}}) {
    support::TempDir dir;
    // Past the first 1000 ms rate window, with room for a slow start under emulation.
    const ProcessResult r = Demo(dir, {}, 2000, closed);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(DemoMessages(r.err), "");
    ExpectNormalLog(Log(dir), "Quit game from SDL_QUIT !");
  }
}

TEST(DemoRun, ABadWindowScaleEndsItWithStatus64BeforeAnythingRuns) {
  support::TempDir dir;
  ProcessRequest request;
  request.path = PARTICLES_DEMO;
  request.args = {"--scale=7"};
  request.cwd = dir.path();
  const ProcessResult r = RunProcess(request);
  EXPECT_EQ(r.exitStatus, 64);
  EXPECT_EQ(r.err, "particles: bad value for --scale: '7' (1..6)\n");
  EXPECT_FALSE(FileExists(dir.path() + "/ParticlesLog.txt"));
}

TEST(DemoRun, ALogThatCannotBeCreatedEndsItWithStatus2AndNoOutput) {
  support::TempDir dir;
  mkdir((dir.path() + "/ParticlesLog.txt").c_str(), 0755);  // not even root can open it for writing
  const ProcessResult r = Demo(dir, {}, -1);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST(DemoRun, SdlThatCannotStartEndsItWithStatus1BeforeTheExitHandler) {
  support::TempDir dir;
  const ProcessResult r = Demo(dir, {{"SDL_VIDEODRIVER", "no-such-driver"}}, -1);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err.rfind("Couldn't initialize SDL: ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_EQ(Log(dir), StartupLines()) << "no exit-handler lines";
}

TEST(DemoRun, AVideoModeThatCannotBeSetEndsItWithStatus2ThroughTheExitHandler) {
  support::TempDir dir;
  const ProcessResult r = Demo(dir, {{"LD_PRELOAD", SDL_FAULTS_PRELOAD}, {"PARTICLES_FAULT", "video"}}, -1);
  EXPECT_EQ(r.exitStatus, 2);
  EXPECT_EQ(DemoMessages(r.err),
            "Couldn't set 320x240x16 video mode: no such mode on this test display\n");
  // Nothing was allocated from the pools yet: each report is one free block of 3000.
  std::vector<std::string> expected = StartupLines();
  expected.push_back("Terminate !");
  for (const char* label : {"Particle", "Particle3D"}) {
    expected.push_back("< Particles System LOG START >");
    expected.push_back("< Particles Allocation LOG >");
    expected.push_back("Bloc : 0, Size : 3000, Used : 0");
    expected.push_back("< Particles System LOG END >");
    expected.push_back(std::string(label) + " Pool Destruction...");
    expected.push_back(std::string(label) + " Pool Destroyed!");
  }
  EXPECT_EQ(Log(dir), expected);
}

TEST(DemoRun, AJoystickThatCannotBeOpenedIsReportedAndTheDemoGoesOn) {
  support::TempDir dir;
  const ProcessResult r =
      Demo(dir, {{"LD_PRELOAD", SDL_FAULTS_PRELOAD}, {"PARTICLES_FAULT", "joystick"}}, 2000);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(DemoMessages(r.err), "Couldn't open joystick 0: test joystick 0 is unplugged\n");
  ExpectNormalLog(Log(dir), "Quit game from SDL_QUIT !");
}

}  // namespace
