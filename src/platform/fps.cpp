#include "platform/fps.h"

#include <cstdio>

#include "platform/log.h"

namespace {
int g_iFrameCumulTime = 0;   // milliseconds in the current window
int g_iFrameCounter = 0;     // frames in the current window
int g_iLastFrameCount = 20;  // figure shown last, the seed of the smoothing
CaptionSink g_captionSink = nullptr;
}  // namespace

void UpdateFPS(unsigned dt) {
  const int frames = g_iFrameCounter + 1;
  // Summed unsigned: the window test and the carry see the frame time as the
  // unsigned millisecond count it is, however large.
  const unsigned sum = static_cast<unsigned>(g_iFrameCumulTime) + dt;
  if (sum < 1000u) {
    g_iFrameCounter = frames;
    g_iFrameCumulTime = static_cast<int>(sum);
    return;
  }
  static char title[128];
  const int shown = (g_iLastFrameCount + frames) >> 1;
  std::snprintf(title, sizeof title, "PARTICLE : %d FPS", shown);
  if (g_captionSink != nullptr) g_captionSink(title);
  LogSystemOut(title);
  g_iLastFrameCount = shown;
  g_iFrameCounter = 0;
  // One window per call: a long frame leaves its overshoot for the next windows.
  g_iFrameCumulTime = static_cast<int>(sum - 1000u);
}

void SetCaptionSink(CaptionSink sink) { g_captionSink = sink; }

void ResetFPS() {
  g_iFrameCumulTime = 0;
  g_iFrameCounter = 0;
  g_iLastFrameCount = 20;
}
