// Catches a log that appends instead of truncating, buffers a line past the call that
// wrote it, adds anything to a line or writes after its end. demo_e2e.sh sees the silent
// exit 2 when the log cannot be created.
#include "platform/log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/support.h"

namespace {

TEST(Log, TruncatesOnOpenWritesOneFlushedLinePerCallAndNothingAfterItsEnd) {
  support::TempDir dir;
  const std::string path = dir / "ParticlesLog.txt";
  std::ofstream(path) << "left from an earlier run\n";
  LogSystemStart(path.c_str());
  EXPECT_EQ(support::ReadFile(path), "");
  LogSystemOut("Quitting...");
  // Read by a separate reader right after the call: the line is already in the file.
  EXPECT_EQ(support::ReadFile(path), "Quitting...\n");
  LogSystemOut("PARTICLE : 35 FPS");
  LogSystemOut("");
  LogSystemEnd();
  LogSystemOut("after the end");
  EXPECT_EQ(support::ReadFile(path), "Quitting...\nPARTICLE : 35 FPS\n\n");
}

}  // namespace
