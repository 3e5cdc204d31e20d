// Catches a log that appends instead of truncating, buffers a line past the call
// that wrote it, or adds anything to a line.
#include "platform/log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "test_support/temp_dir.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Log, TruncatesOnOpenAndWritesOneFlushedLinePerCall) {
  TempDir dir;
  const std::string path = dir.path() + "/ParticlesLog.txt";
  {
    std::ofstream old(path);
    old << "left from an earlier run\n";
  }
  LogSystemStart(path.c_str());
  EXPECT_EQ(ReadAll(path), "");
  LogSystemOut("Quitting...");
  // Read by a separate reader right after the call: the line is already in the file.
  EXPECT_EQ(ReadAll(path), "Quitting...\n");
  LogSystemOut("PARTICLE : 35 FPS");
  LogSystemOut("");
  EXPECT_EQ(ReadAll(path), "Quitting...\nPARTICLE : 35 FPS\n\n");
  LogSystemEnd();
}

TEST(LogDeathTest, ExitsWithStatus2AndNoMessageWhenTheFileCannotBeCreated) {
  TempDir dir;
  const std::string blocker = dir.path() + "/file";
  std::ofstream(blocker) << "x";
  // Not even root can create a file below a regular file.
  const std::string path = blocker + "/ParticlesLog.txt";
  EXPECT_EXIT(LogSystemStart(path.c_str()), ::testing::ExitedWithCode(2), "^$");
}

}  // namespace
