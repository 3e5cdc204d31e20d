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

// One line on standard error for an output that could not be written.
int Failed(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return kExitIoError;
}

int PrintUsage() {
  std::fputs(CaptureUsage(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    return Failed("particles-capture: cannot write the usage to standard output");
  }
  return 0;
}

// The frame loop on the scripted clock and input, every frame streamed when asked;
// false when the stream could not be written, which ends the run as a quit does.
bool RunFrames(const CaptureOptions& options, Demo& demo, MemoryScreen& screen) {
  // Everything the loop touches is made here, before the first frame.
  ScriptedEvents events(options.presses);
  std::vector<uint16_t> picture(kPictureWords);
  std::vector<uint8_t> scratch(kPictureBytes);
  const bool progress = isatty(STDERR_FILENO) && options.frames >= 1000;

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
    // The frames after a failed stream write would go nowhere.
    if (demo.quitGame || !streamOk) break;
  }
  if (progress) std::fputc('\n', stderr);
  return streamOk;
}

// After the shutdown: the stream's end, the last frame's files and the log's own
// write errors, each failure a line of its own; 0, or kExitIoError if any failed.
int FinishOutputs(const CaptureOptions& options, const MemoryScreen& screen, bool streamOk) {
  int status = 0;
  if (options.stream && (!streamOk || std::fflush(stdout) != 0)) {
    status = Failed("particles-capture: cannot write the frame stream to standard output");
  }
  std::vector<uint16_t> picture(kPictureWords);
  screen.CopyPicture(picture.data());
  if (!options.rawFile.empty() && !WriteRawFile(options.rawFile.c_str(), picture.data())) {
    status = Failed("particles-capture: cannot write " + Printable(options.rawFile));
  }
  if (!options.pngFile.empty() && !WritePngFile(options.pngFile.c_str(), picture.data())) {
    status = Failed("particles-capture: cannot write " + Printable(options.pngFile));
  }
  if (LogSystemError() != 0) {
    status = Failed(std::string("particles-capture: cannot write ParticlesLog.txt: ") +
                    std::strerror(LogSystemError()));
  }
  return status;
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
  if (options.help) return PrintUsage();

  MemoryScreen screen;
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
  const bool streamOk = RunFrames(options, demo, screen);
  ReleaseScenes(demo);
  TerminateLog();  // the exit handler's logging part; no console, no menu
  return FinishOutputs(options, screen, streamOk);
}
