#include "platform/log.h"

#include <cerrno>
#include <cstdlib>

FILE* g_pFile = nullptr;

namespace {
int g_error = 0;  // errno of the first failed write, flush or close

void NoteFailure() {
  if (g_error == 0) g_error = errno != 0 ? errno : EIO;
}
}  // namespace

bool LogSystemOpen(const char* fileName) {
  g_error = 0;
  g_pFile = std::fopen(fileName, "w");
  return g_pFile != nullptr;
}

void LogSystemStart(const char* fileName) {
  if (!LogSystemOpen(fileName)) std::exit(2);
}

void LogSystemOut(const char* text) {
  // Failures are only noted: the log must never stop the demo.
  if (g_pFile == nullptr) return;
  if (std::fprintf(g_pFile, "%s\n", text) < 0) NoteFailure();
  if (std::fflush(g_pFile) != 0) NoteFailure();
}

void LogSystemEnd() {
  // Cleared so that a stray line after the end is dropped instead of written
  // through a closed stream.
  if (g_pFile != nullptr && std::fclose(g_pFile) != 0) NoteFailure();
  g_pFile = nullptr;
}

int LogSystemError() { return g_error; }
