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
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "particles-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// While alive, the log goes to a file of its own; Lines() reads it back.
struct LogCapture {
  TempDir dir;
  std::string path = dir / "ParticlesLog.txt";
  LogCapture() { LogSystemStart(path.c_str()); }
  ~LogCapture() { LogSystemEnd(); }
  std::vector<std::string> Lines() const { return ReadLines(path); }
};

// While alive, particles::Rand() returns the given values in order, then 0.
class ScriptedRand {
 public:
  explicit ScriptedRand(std::vector<int> values) {
    Script() = std::move(values);
    Drawn() = 0;
    particles::SetRandSource(&Next);
  }
  ~ScriptedRand() { particles::SetRandSource(nullptr); }
  static size_t& Drawn() {
    static size_t drawn = 0;
    return drawn;
  }

 private:
  static std::vector<int>& Script() {
    static std::vector<int> script;
    return script;
  }
  static int Next() { return Drawn() < Script().size() ? Script()[Drawn()++] : 0; }
};

// Runs f(name) with each particle projection this CPU has: the vector one, then the
// scalar one that every other CPU runs.
template <class F>
void EachProjection(F&& f) {
#if defined(__x86_64__)
  particles::AllowVectorProjection(true);
  f("vector projection");
  particles::AllowVectorProjection(false);
  f("scalar projection");
  particles::AllowVectorProjection(true);
#else
  f("scalar projection");
#endif
}

// The input events of the demo's table.
inline SDL_Event Key(int sym, unsigned mod = 0, Uint8 type = SDL_KEYDOWN) {
  SDL_Event e{};
  e.type = type;
  e.key.keysym.sym = static_cast<decltype(e.key.keysym.sym)>(sym);
  e.key.keysym.mod = static_cast<decltype(e.key.keysym.mod)>(mod);
  return e;
}
inline SDL_Event Button(int button, Uint8 type = SDL_JOYBUTTONDOWN) {
  SDL_Event e{};
  e.type = type;
  e.jbutton.button = static_cast<Uint8>(button);
  return e;
}
inline SDL_Event Event(Uint8 type) {
  SDL_Event e{};
  e.type = type;
  return e;
}

// A queue the test fills before each frame; the frame drains it.
class EventQueue final : public EventSource {
 public:
  std::vector<SDL_Event> pending;
  bool Poll(SDL_Event* event) override {
    if (next_ >= pending.size()) {
      pending.clear(), next_ = 0;
      return false;
    }
    *event = pending[next_++];
    return true;
  }

 private:
  size_t next_ = 0;
};

}  // namespace support
