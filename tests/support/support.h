// support.h: what the in-process tests share: a scratch directory, the log captured
// in it, scripted draws for particles::Rand() and a scripted event queue.
#pragma once

#include <SDL_events.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "particles/project_x86.h"
#include "particles/random.h"
#include "platform/log.h"
#include "platform/screen.h"

namespace support {

// A fresh directory for a test's files, removed with everything in it.
struct TempDir {
  std::string path = Make();
  ~TempDir() { std::error_code ignored; std::filesystem::remove_all(path, ignored); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  static std::string Make() {  // a new name, never one left by an earlier run
    std::string pattern = (std::filesystem::temp_directory_path() / "particles-test-XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? pattern : "";
  }
};

inline std::string ReadFile(const std::string& path) {
  std::stringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

// While alive, the log goes to a file of its own; Lines() reads it back.
struct LogCapture {
  TempDir dir;
  std::string path = dir / "ParticlesLog.txt";
  LogCapture() { LogSystemStart(path.c_str()); }
  ~LogCapture() { LogSystemEnd(); }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
};

// While alive, particles::Rand() returns the given values in order, then 0.
struct ScriptedRand {
  explicit ScriptedRand(std::vector<int> values) {
    script = std::move(values);
    drawn = 0;
    particles::SetRandSource([] { return drawn < script.size() ? script[drawn++] : 0; });
  }
  ~ScriptedRand() { particles::SetRandSource(nullptr); }
  static inline std::vector<int> script;
  static inline size_t drawn = 0;
};

// Runs f(name) with each particle projection this CPU has: the vector ones, widest
// first, then the scalar one that every other CPU runs.
template <class F>
void EachProjection(F&& f) {
#if defined(__x86_64__)
  const int widest = particles::VectorProjectionLanes();
  for (const int lanes : {8, 4, 0}) {
    if (lanes > widest) continue;
    particles::LimitVectorProjection(lanes);
    f(lanes == 8 ? "eight-lane projection" : lanes == 4 ? "four-lane projection" : "scalar projection");
  }
  particles::LimitVectorProjection(8);
#else
  f("scalar projection");
#endif
}

// The input events of the demo's table.
inline SDL_Event Event(Uint8 type) {
  SDL_Event e{};
  e.type = type;
  return e;
}
inline SDL_Event Key(int sym, unsigned mod = 0, Uint8 type = SDL_KEYDOWN) {
  SDL_Event e = Event(type);
  e.key.keysym.sym = static_cast<decltype(e.key.keysym.sym)>(sym);
  e.key.keysym.mod = static_cast<decltype(e.key.keysym.mod)>(mod);
  return e;
}
inline SDL_Event Button(int button, Uint8 type = SDL_JOYBUTTONDOWN) {
  SDL_Event e = Event(type);
  e.jbutton.button = static_cast<Uint8>(button);
  return e;
}

// A queue the test fills before each frame; the frame drains it.
struct EventQueue final : EventSource {
  std::vector<SDL_Event> pending;
  bool Poll(SDL_Event* event) override {
    if (pending.empty()) return false;
    *event = pending.front();
    pending.erase(pending.begin());
    return true;
  }
};

}  // namespace support
