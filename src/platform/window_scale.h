// window_scale.h: the desktop window's whole-number scale: the --scale argument, and
// the enlargement of the 320x240 picture into the window, each pixel an N x N block.
#pragma once

#include <cstdint>
#include <string>

#include "platform/screen.h"

constexpr int kMaxWindowScale = 6;  // 1920x1440: past a present-day screen

// Reads the demo's one option from the arguments after the program's name:
// --scale N or --scale=N, N in 1..kMaxWindowScale, decimal digits (the last one
// counts); 1 without it. Every other argument is ignored, as the demo always did.
// A missing or bad value: false, with the one-line message in *error.
bool ReadWindowScale(int argc, const char* const* argv, int* scale, std::string* error);

// The window's pixel memory as the flip writes it: RGB565 words like the picture, or
// 32-bit pixels of the display's own format, each looked up in a colour table.
struct WindowPixels {
  void* pixels;
  int pitch;                // bytes from one row to the next
  int bytesPerPixel;        // 2 or 4
  const uint32_t* colours;  // for 4: the window's pixel for each of the 65536 RGB565 values
};

// Writes every pixel of the 320x240 picture `from` as a scale x scale block of `to`,
// which holds at least 320 * scale by 240 * scale pixels. No smoothing: the window,
// reduced by scale, is the picture. scale is 1..kMaxWindowScale.
void EnlargePicture(PixelBuffer from, const WindowPixels& to, int scale);
