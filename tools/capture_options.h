// capture_options.h: particles-capture's command line and the scripted clock and input it
// describes; capture_options.cpp's table is its one description (parser, --help, the page).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Stall {
  uint64_t frame;  // from this frame on...
  uint32_t ms;     // ...every clock reading is this much later (adds up)
};

struct Press {
  uint64_t frame;  // delivered in this frame's event drain
  enum Kind { Key, Button, Quit } kind;
  int sym = 0;        // Key: key symbol
  unsigned mod = 0;   // Key: modifier state
  int button = 0;     // Button: joystick button number
};

struct CaptureOptions {
  uint64_t frames = 1;
  uint32_t dt = 16;
  uint32_t start = 0;
  std::vector<Stall> stalls;    // in command-line order
  std::vector<Press> presses;   // in command-line order
  std::string rawFile;          // empty: not written
  std::string pngFile;
  bool stream = false;
  bool help = false;
};

// Parses argv (without argv[0]). On a bad argument returns false and puts a
// one-line message naming the argument (through Printable) in *error.
bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error);

const char* CaptureUsage();

// text with every byte outside printable ASCII as \xHH, so that a message quoting
// an argument or a file name stays one line and sends nothing to the terminal.
std::string Printable(std::string_view text);

// The tick value frame k (1..frames) reads: start + k*dt + the stalls up to k,
// in unsigned 32-bit arithmetic.
uint32_t FrameTicks(const CaptureOptions& options, uint64_t k);
