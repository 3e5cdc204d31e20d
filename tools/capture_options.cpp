#include "tools/capture_options.h"

#include <cstring>

namespace {

const char kUsage[] =
    "usage: particles-capture [options]\n"
    "Runs the demo's start-up, frame loop and shutdown headlessly on a scripted clock;\n"
    "writes ParticlesLog.txt in the working directory, as the demo does.\n"
    "  --frames N      frames to run, N >= 1 (default 1)\n"
    "  --dt MS         milliseconds between two clock readings (default 16; 0..100000)\n"
    "  --start MS      the tick value read at the end of start-up (default 0)\n"
    "  --stall F:MS    from frame F on, every clock reading is MS ms later (repeatable, cumulative)\n"
    "  --press F:KEY   deliver one input event in frame F's event drain (repeatable; in command-line\n"
    "                  order). KEY: space (key-down sym 32) | c (sym 99, no modifier) |\n"
    "                  ctrl-c (sym 99, mod 0x0040) | rctrl-c (sym 99, mod 0x0080) |\n"
    "                  start (joystick button 8) | select (button 9) | button:N (0..255) |\n"
    "                  quit (the window-close quit event)\n"
    "  --raw FILE      the screen after the last frame's flip: 320x240, row-major, RGB565\n"
    "                  little-endian, 153600 bytes\n"
    "  --png FILE      the same frame as an 8-bit RGB PNG, channels widened by bit replication\n"
    "                  (r8 = r5<<3 | r5>>2, g8 = g6<<2 | g6>>4, b8 = b5<<3 | b5>>2)\n"
    "  --stream        every frame's screen, raw as above, to standard output (pipe it to ffmpeg:\n"
    "                  -f rawvideo -pix_fmt rgb565le -s 320x240)\n"
    "  --help          usage\n"
    "Values are decimal digits; --opt=value means --opt value; a repeated option keeps its last\n"
    "value (--stall and --press add up). Every F is 1..N.\n"
    "Exit status: 0 done; 64 bad arguments (nothing run, no log written); 74 an output could\n"
    "not be written, the log and standard output included (a line each on standard error; the\n"
    "log is complete unless it failed itself; when --stream cannot be written the run ends\n"
    "after that frame as a quit ends it, so the log holds the start-up, the frame-rate lines\n"
    "so far and the shutdown, with no quit line); 2 the log file could not be created (a line\n"
    "naming it and the reason).\n";

// Decimal digits only, no sign, no spaces; false when empty, not a number or above max.
// Leading zeros are digits like any other, however many there are.
bool ParseNumber(const std::string& text, uint64_t max, uint64_t* out) {
  if (text.empty()) return false;
  uint64_t value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(ch - '0');
    if (value > (max - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *out = value;
  return true;
}

bool ParseKey(const std::string& key, Press* press) {
  struct Named { const char* name; Press::Kind kind; int sym; unsigned mod; int button; };
  static const Named kKeys[] = {
      {"space", Press::Key, 32, 0, 0},         {"c", Press::Key, 99, 0, 0},
      {"ctrl-c", Press::Key, 99, 0x0040, 0},   {"rctrl-c", Press::Key, 99, 0x0080, 0},
      {"start", Press::Button, 0, 0, 8},       {"select", Press::Button, 0, 0, 9},
      {"quit", Press::Quit, 0, 0, 0},
  };
  for (const Named& k : kKeys) {
    if (key == k.name) {
      press->kind = k.kind;
      press->sym = k.sym;
      press->mod = k.mod;
      press->button = k.button;
      return true;
    }
  }
  static const char kButton[] = "button:";
  if (key.compare(0, sizeof kButton - 1, kButton) == 0) {
    uint64_t n = 0;
    if (!ParseNumber(key.substr(sizeof kButton - 1), 255, &n)) return false;
    press->kind = Press::Button;
    press->button = static_cast<int>(n);
    return true;
  }
  return false;
}

// Splits "F:REST" at the first colon.
bool SplitFrame(const std::string& value, uint64_t* frame, std::string* rest) {
  const size_t colon = value.find(':');
  if (colon == std::string::npos) return false;
  if (!ParseNumber(value.substr(0, colon), UINT64_MAX, frame)) return false;
  *rest = value.substr(colon + 1);
  return true;
}

bool ParseArguments(int argc, const char* const* argv, CaptureOptions* options,
                    std::string* error) {
  CaptureOptions o;
  std::vector<std::string> frameArgs;  // the --stall/--press values, checked against N last
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    std::string name = arg, value;
    bool hasValue = false;
    const size_t eq = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    const bool takesValue = name == "--frames" || name == "--dt" || name == "--start" ||
                            name == "--stall" || name == "--press" || name == "--raw" ||
                            name == "--png";
    if (name == "--help" && !hasValue) {
      o.help = true;
      continue;
    }
    if (name == "--stream" && !hasValue) {
      o.stream = true;
      continue;
    }
    if (!takesValue) {
      *error = "particles-capture: unknown argument '" + arg + "' (see --help)";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        *error = "particles-capture: " + name + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    const std::string bad = "particles-capture: bad value for " + name + ": '" + value + "'";
    uint64_t n = 0;
    if (name == "--frames") {
      if (!ParseNumber(value, UINT64_MAX, &n) || n < 1) { *error = bad + " (N >= 1)"; return false; }
      o.frames = n;
    } else if (name == "--dt") {
      if (!ParseNumber(value, 100000, &n)) { *error = bad + " (0..100000)"; return false; }
      o.dt = static_cast<uint32_t>(n);
    } else if (name == "--start") {
      if (!ParseNumber(value, UINT32_MAX, &n)) { *error = bad + " (0..4294967295)"; return false; }
      o.start = static_cast<uint32_t>(n);
    } else if (name == "--stall") {
      uint64_t frame = 0;
      std::string rest;
      if (!SplitFrame(value, &frame, &rest) || !ParseNumber(rest, 100000, &n)) {
        *error = bad + " (F:MS, MS 0..100000)";
        return false;
      }
      o.stalls.push_back(Stall{frame, static_cast<uint32_t>(n)});
      frameArgs.push_back(name + " " + value);
    } else if (name == "--press") {
      uint64_t frame = 0;
      std::string rest;
      Press press{};
      if (!SplitFrame(value, &frame, &rest) || !ParseKey(rest, &press)) {
        *error = bad + " (F:KEY, see --help for the keys)";
        return false;
      }
      press.frame = frame;
      o.presses.push_back(press);
      frameArgs.push_back(name + " " + value);
    } else if (name == "--raw" || name == "--png") {
      if (value.empty()) { *error = "particles-capture: " + name + " needs a file name"; return false; }
      (name == "--raw" ? o.rawFile : o.pngFile) = value;
    }
  }
  // Frames are checked once N is final, since a later --frames may change it.
  size_t s = 0, p = 0;
  for (const std::string& arg : frameArgs) {
    const bool isStall = arg.compare(0, 7, "--stall") == 0;
    const uint64_t frame = isStall ? o.stalls[s++].frame : o.presses[p++].frame;
    if (frame < 1 || frame > o.frames) {
      *error = "particles-capture: frame out of range in '" + arg + "' (1.." +
               std::to_string(o.frames) + ")";
      return false;
    }
  }
  *options = o;
  return true;
}

}  // namespace

const char* CaptureUsage() { return kUsage; }

std::string Printable(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte >= 0x20 && byte < 0x7F) {
      out += ch;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                         std::string* error) {
  if (ParseArguments(argc, argv, options, error)) return true;
  *error = Printable(*error);  // the arguments in it may hold any byte
  return false;
}

uint32_t FrameTicks(const CaptureOptions& options, uint64_t k) {
  uint32_t ticks = options.start + static_cast<uint32_t>(k * options.dt);  // modulo 2^32
  for (const Stall& stall : options.stalls) {
    if (stall.frame <= k) ticks += stall.ms;
  }
  return ticks;
}
