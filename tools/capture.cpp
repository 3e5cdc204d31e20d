// capture.cpp: particles-capture, the demo's start-up, frame loop and shutdown on
// a scripted clock and scripted input, drawing into an in-memory screen.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/demo.h"
#include "particles/pools.h"
#include "platform/log.h"
#include "platform/memory_screen.h"
#include "platform/std_descriptors.h"
#include "platform/console/terminate.h"
#include "tools/capture_options.h"
#include "tools/frame_files.h"
#include "tools/scripted_events.h"

namespace {

constexpr int kExitNoLog = 2;    // the log file could not be created, as in the demo
constexpr int kExitUsage = 64;   // bad arguments
constexpr int kExitIoError = 74; // an output could not be written

bool Fail(const std::string& message, int* status) {
  std::fprintf(stderr, "%s\n", message.c_str());
  *status = kExitIoError;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  OpenMissingStandardDescriptors();  // before any file is opened
  std::signal(SIGPIPE, SIG_IGN);     // a closed pipe is a write error to report, not a kill
  CaptureOptions options;
  std::string error;
  if (!ParseCaptureOptions(argc - 1, argv + 1, &options, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return kExitUsage;
  }
  int status = 0;
  if (options.help) {
    std::fputs(CaptureUsage(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      Fail("particles-capture: cannot write the usage to standard output", &status);
    }
    return status;
  }

  // Everything the loop touches is made here, before the first frame.
  MemoryScreen screen;
  ScriptedEvents events(options.presses);
  std::vector<uint16_t> picture(kPictureWords);
  std::vector<uint8_t> scratch(kPictureBytes);
  const bool progress = isatty(STDERR_FILENO) && options.frames >= 1000;

  if (!LogSystemOpen("ParticlesLog.txt")) {
    std::fprintf(stderr, "particles-capture: cannot create ParticlesLog.txt: %s\n",
                 std::strerror(errno));
    return kExitNoLog;
  }
  particles::CreatePools();
  SetExitSteps({&particles::ReportAndDestroyPools, nullptr});
  Demo demo;
  BuildScenes(demo);
  StartClock(demo, options.start);

  bool streamOk = true;
  for (uint64_t k = 1; k <= options.frames; ++k) {
    events.BeginFrame(k);
    RunFrame(demo, FrameTicks(options, k), events, screen);
    if (options.stream) {
      screen.CopyPicture(picture.data());
      streamOk = WriteRawStream(stdout, picture.data(), scratch.data());
    }
    if (progress && (k % 500 == 0 || k == options.frames)) {
      std::fprintf(stderr, "\rframe %llu of %llu", static_cast<unsigned long long>(k),
                   static_cast<unsigned long long>(options.frames));
    }
    // A stream that cannot be written ends the run as a quit does: the frames
    // after it would go nowhere.
    if (demo.quitGame || !streamOk) break;
  }
  if (progress) std::fputc('\n', stderr);

  ReleaseScenes(demo);
  TerminateLog();  // the exit handler's logging part; no console, no menu

  if (options.stream && (!streamOk || std::fflush(stdout) != 0)) {
    Fail("particles-capture: cannot write the frame stream to standard output", &status);
  }
  screen.CopyPicture(picture.data());
  if (!options.rawFile.empty() && !WriteRawFile(options.rawFile.c_str(), picture.data())) {
    Fail("particles-capture: cannot write " + Printable(options.rawFile), &status);
  }
  if (!options.pngFile.empty() && !WritePngFile(options.pngFile.c_str(), picture.data())) {
    Fail("particles-capture: cannot write " + Printable(options.pngFile), &status);
  }
  if (LogSystemError() != 0) {
    Fail(std::string("particles-capture: cannot write ParticlesLog.txt: ") +
             std::strerror(LogSystemError()), &status);
  }
  return status;
}
