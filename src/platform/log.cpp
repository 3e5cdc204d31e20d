#include "platform/log.h"

#include <cstdlib>

FILE* g_pFile = nullptr;

void LogSystemStart(const char* fileName) {
  g_pFile = std::fopen(fileName, "w");
  if (g_pFile == nullptr) std::exit(2);
}

void LogSystemOut(const char* text) {
  // Write and flush errors are ignored: the log must never stop the demo.
  if (g_pFile == nullptr) return;
  std::fprintf(g_pFile, "%s\n", text);
  std::fflush(g_pFile);
}

void LogSystemEnd() {
  // Cleared so that a stray line after the end is dropped instead of written
  // through a closed stream.
  if (g_pFile != nullptr) std::fclose(g_pFile);
  g_pFile = nullptr;
}
