// expected_log.h: the log lines a run writes around its frames, written out by
// hand from the demo's start-up, release order and block reports.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> StartupLines() {
  return {"Particle Pool Initialization...", "Particle Pool Initialized!",
          "Particle3D Pool Initialization...", "Particle3D Pool Initialized!"};
}

// "Quitting..." to the end of the log, after a normal run's shutdown.
inline std::vector<std::string> ShutdownLines() {
  std::vector<std::string> l = {"Quitting...", "Quit !", "Terminate !"};
  auto report = [&l](const std::vector<std::pair<int, int>>& blocks) {
    l.push_back("< Particles System LOG START >");
    l.push_back("< Particles Allocation LOG >");
    for (const auto& [head, size] : blocks) {
      l.push_back("Bloc : " + std::to_string(head) + ", Size : " + std::to_string(size) +
                  ", Used : 0");
    }
    l.push_back("< Particles System LOG END >");
  };
  // 2D: ten fountains of 100, the fire (1000), the comet (500) merged with the
  // 500 free slots after it.
  std::vector<std::pair<int, int>> blocks2d;
  for (int i = 0; i < 10; ++i) blocks2d.push_back({i * 100, 100});
  blocks2d.push_back({1000, 1000});
  blocks2d.push_back({2000, 1000});
  report(blocks2d);
  l.push_back("Particle Pool Destruction...");
  l.push_back("Particle Pool Destroyed!");
  // 3D: ten fountains of 150, the fire (1000), the comet (500) ending the pool.
  std::vector<std::pair<int, int>> blocks3d;
  for (int i = 0; i < 10; ++i) blocks3d.push_back({i * 150, 150});
  blocks3d.push_back({1500, 1000});
  blocks3d.push_back({2500, 500});
  report(blocks3d);
  l.push_back("Particle3D Pool Destruction...");
  l.push_back("Particle3D Pool Destroyed!");
  return l;
}

inline std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
