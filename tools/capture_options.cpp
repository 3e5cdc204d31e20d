#include "tools/capture_options.h"

#include <cstring>

namespace {

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

// A command line being read: the options so far, and each --stall and --press as
// written, with its frame, for the range check once N is final.
struct Reading {
  CaptureOptions options;
  struct Framed {
    uint64_t frame;
    std::string written;  // "NAME VALUE"
  };
  std::vector<Framed> framed;
};

// One option: its name, what its value looks like in the usage (null for an option
// without one; a FILE value may not be empty), its usage text, and how its value is
// taken. take returns null for a good value, else the hint that ends the refusal
// "bad value for NAME: 'VALUE' (HINT)".
struct Option {
  const char* name;
  const char* operand;
  const char* usage;  // continuation lines after each '\n'
  const char* (*take)(Reading& r, const std::string& value);
};

const Option kOptions[] = {
    {"--frames", "N", "frames to run, N >= 1 (default 1)",
     [](Reading& r, const std::string& v) -> const char* {
       uint64_t n = 0;
       if (!ParseNumber(v, UINT64_MAX, &n) || n < 1) return "N >= 1";
       r.options.frames = n;
       return nullptr;
     }},
    {"--dt", "MS", "milliseconds between two clock readings (default 16; 0..100000)",
     [](Reading& r, const std::string& v) -> const char* {
       uint64_t n = 0;
       if (!ParseNumber(v, 100000, &n)) return "0..100000";
       r.options.dt = static_cast<uint32_t>(n);
       return nullptr;
     }},
    {"--start", "MS", "the tick value read at the end of start-up (default 0)",
     [](Reading& r, const std::string& v) -> const char* {
       uint64_t n = 0;
       if (!ParseNumber(v, UINT32_MAX, &n)) return "0..4294967295";
       r.options.start = static_cast<uint32_t>(n);
       return nullptr;
     }},
    {"--stall", "F:MS",
     "from frame F on, every clock reading is MS ms later (repeatable, cumulative)",
     [](Reading& r, const std::string& v) -> const char* {
       uint64_t frame = 0, ms = 0;
       std::string rest;
       if (!SplitFrame(v, &frame, &rest) || !ParseNumber(rest, 100000, &ms)) {
         return "F:MS, MS 0..100000";
       }
       r.options.stalls.push_back(Stall{frame, static_cast<uint32_t>(ms)});
       r.framed.push_back({frame, "--stall " + v});
       return nullptr;
     }},
    {"--press", "F:KEY",
     "deliver one input event in frame F's event drain (repeatable; in command-line\n"
     "order). KEY: space (key-down sym 32) | c (sym 99, no modifier) |\n"
     "ctrl-c (sym 99, mod 0x0040) | rctrl-c (sym 99, mod 0x0080) |\n"
     "start (joystick button 8) | select (button 9) | button:N (0..255) |\n"
     "quit (the window-close quit event)",
     [](Reading& r, const std::string& v) -> const char* {
       uint64_t frame = 0;
       std::string rest;
       Press press{};
       if (!SplitFrame(v, &frame, &rest) || !ParseKey(rest, &press)) {
         return "F:KEY, see --help for the keys";
       }
       press.frame = frame;
       r.options.presses.push_back(press);
       r.framed.push_back({frame, "--press " + v});
       return nullptr;
     }},
    {"--raw", "FILE",
     "the screen after the last frame's flip: 320x240, row-major, RGB565\n"
     "little-endian, 153600 bytes",
     [](Reading& r, const std::string& v) -> const char* { r.options.rawFile = v; return nullptr; }},
    {"--png", "FILE",
     "the same frame as an 8-bit RGB PNG, channels widened by bit replication\n"
     "(r8 = r5<<3 | r5>>2, g8 = g6<<2 | g6>>4, b8 = b5<<3 | b5>>2)",
     [](Reading& r, const std::string& v) -> const char* { r.options.pngFile = v; return nullptr; }},
    {"--stream", nullptr,
     "every frame's screen, raw as above, to standard output (pipe it to ffmpeg:\n"
     "-f rawvideo -pix_fmt rgb565le -s 320x240)",
     [](Reading& r, const std::string&) -> const char* { r.options.stream = true; return nullptr; }},
    {"--help", nullptr, "usage",
     [](Reading& r, const std::string&) -> const char* { r.options.help = true; return nullptr; }},
};

const Option* Find(const std::string& name) {
  for (const Option& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// The usage: each option on its line, its text from column 18 on.
std::string MakeUsage() {
  constexpr size_t kColumn = 18;  // where the options' texts start
  std::string usage =
      "usage: particles-capture [options]\n"
      "Runs the demo's start-up, frame loop and shutdown headlessly on a scripted clock;\n"
      "writes ParticlesLog.txt in the working directory, as the demo does.\n";
  for (const Option& option : kOptions) {
    std::string line = std::string("  ") + option.name;
    if (option.operand != nullptr) line += std::string(" ") + option.operand;
    line.resize(kColumn, ' ');
    for (const char* c = option.usage; *c != '\0'; ++c) {
      line += *c;
      if (*c == '\n') line.append(kColumn, ' ');
    }
    usage += line + "\n";
  }
  return usage +
         "Values are decimal digits; --opt=value means --opt value; a repeated option keeps its last\n"
         "value (--stall and --press add up). Every F is 1..N.\n"
         "Exit status: 0 done; 64 bad arguments (nothing run, no log written); 74 an output could\n"
         "not be written, the log and standard output included (a line each on standard error; the\n"
         "log is complete unless it failed itself; when --stream cannot be written the run ends\n"
         "after that frame as a quit ends it, so the log holds the start-up, the frame-rate lines\n"
         "so far and the shutdown, with no quit line); 2 the log file could not be created (a line\n"
         "naming it and the reason).\n";
}

// One argument, and its value from the next one where it takes one and has no
// "=value": the index of the last argument it used, or -1 with *error set.
int ReadOption(Reading& r, int argc, const char* const* argv, int i, std::string* error) {
  const std::string arg = argv[i];
  std::string name = arg, value;
  const size_t eq = arg.find('=');
  const bool hasValue = arg.compare(0, 2, "--") == 0 && eq != std::string::npos;
  if (hasValue) {
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
  }
  const Option* option = Find(name);
  // An option without a value is unknown with one, as any other name is.
  if (option == nullptr || (option->operand == nullptr && hasValue)) {
    *error = "particles-capture: unknown argument '" + arg + "' (see --help)";
    return -1;
  }
  if (option->operand != nullptr && !hasValue) {
    if (i + 1 >= argc) {
      *error = "particles-capture: " + name + " needs a value";
      return -1;
    }
    value = argv[++i];
  }
  if (option->operand != nullptr && std::strcmp(option->operand, "FILE") == 0 && value.empty()) {
    *error = "particles-capture: " + name + " needs a file name";
    return -1;
  }
  if (const char* hint = option->take(r, value)) {
    *error = "particles-capture: bad value for " + name + ": '" + value + "' (" + hint + ")";
    return -1;
  }
  return i;
}

bool ParseArguments(int argc, const char* const* argv, CaptureOptions* options,
                    std::string* error) {
  Reading r;
  for (int i = 0; i < argc; ++i) {
    i = ReadOption(r, argc, argv, i, error);
    if (i < 0) return false;
  }
  // Frames are checked once N is final, since a later --frames may change it.
  for (const Reading::Framed& f : r.framed) {
    if (f.frame < 1 || f.frame > r.options.frames) {
      *error = "particles-capture: frame out of range in '" + f.written + "' (1.." +
               std::to_string(r.options.frames) + ")";
      return false;
    }
  }
  *options = r.options;
  return true;
}

}  // namespace

const char* CaptureUsage() {
  static const std::string usage = MakeUsage();
  return usage.c_str();
}

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
