// test_support.h: scripted draws for particles::Rand() and a log captured in a
// temporary file, both undone when they go out of scope.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "particles/random.h"
#include "platform/log.h"

namespace test_support {

inline std::vector<int> g_script;
inline size_t g_drawn = 0;
inline int NextScripted() { return g_drawn < g_script.size() ? g_script[g_drawn++] : 0; }

// While alive, Rand() returns the given values in order, then 0.
struct ScriptedRand {
  explicit ScriptedRand(std::vector<int> values) {
    g_script = std::move(values);
    g_drawn = 0;
    particles::SetRandSource(&NextScripted);
  }
  ~ScriptedRand() { particles::SetRandSource(nullptr); }
  size_t Drawn() const { return g_drawn; }
};

// While alive, the log goes to a temporary file; Lines() reads it back.
struct LogCapture {
  std::string dir = (std::filesystem::temp_directory_path() / "particles-log-XXXXXX").string();
  std::string path = (mkdtemp(dir.data()) ? dir : std::string(".")) + "/ParticlesLog.txt";
  LogCapture() { LogSystemStart(path.c_str()); }
  ~LogCapture() {
    LogSystemEnd();
    g_pFile = nullptr;  // closed: later lines go nowhere
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  std::vector<std::string> Lines() const {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

}  // namespace test_support
