// libFuzzer target (scripts/fuzz.sh) for particles-capture's command line: catches refusals that are
// not one printable line, values out of range, and options that do not survive a reformat and reparse.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/capture_options.h"

namespace {

void Check(bool ok) { if (!ok) std::abort(); }

// Pieces of a near-valid command line; kNext starts the next argument.
const char* const kPieces[] = {
    "--frames", "--dt", "--start", "--stall", "--press", "--raw", "--png", "--stream", "--help", "--", "=",
    ":", "0", "1", "5", "00", "16", "255", "256", "100000", "100001", "4294967295", "4294967296",
    "18446744073709551615", "18446744073709551616", "space", "c", "ctrl-c", "rctrl-c", "start", "select",
    "quit", "button:", "-", "+", " ", "\n", "\x1b", "\xff", "f.png", "1:", "--press=1:", "--stall=1:"};
constexpr uint8_t kNext = 0xFF;

// The first byte's low bit picks pieces or raw bytes (0 starts the next argument); a
// single byte or none is an empty command line.
std::vector<std::string> Arguments(const uint8_t* data, size_t size) {
  std::vector<std::string> args(size > 1 ? 1 : 0);
  const bool pieces = size > 0 && (data[0] & 1) != 0;
  for (size_t i = 1; i < size; ++i) {
    const uint8_t b = data[i];
    if (b == (pieces ? kNext : 0)) args.emplace_back();
    else args.back() += pieces ? kPieces[b % std::size(kPieces)] : std::string(1, static_cast<char>(b));
  }
  return args;
}

// The name a press is written back as; a key event that no name gives aborts.
std::string KeyName(const Press& p) {
  if (p.kind == Press::Quit) return "quit";
  if (p.kind == Press::Button) return "button:" + std::to_string(p.button);
  if (p.sym == 32 && p.mod == 0) return "space";
  Check(p.sym == 99);
  if (p.mod == 0) return "c";
  Check(p.mod == 0x0040 || p.mod == 0x0080);
  return p.mod == 0x0040 ? "ctrl-c" : "rctrl-c";
}

// The options as a command line, every option in its --name=value spelling.
std::vector<std::string> Reformatted(const CaptureOptions& o) {
  std::vector<std::string> args = {"--frames=" + std::to_string(o.frames), "--dt=" + std::to_string(o.dt),
                                   "--start=" + std::to_string(o.start)};
  for (const Stall& s : o.stalls) args.push_back("--stall=" + std::to_string(s.frame) + ":" + std::to_string(s.ms));
  for (const Press& p : o.presses) args.push_back("--press=" + std::to_string(p.frame) + ":" + KeyName(p));
  if (!o.rawFile.empty()) args.push_back("--raw=" + o.rawFile);
  if (!o.pngFile.empty()) args.push_back("--png=" + o.pngFile);
  if (o.stream) args.push_back("--stream");
  if (o.help) args.push_back("--help");
  return args;
}

bool Parse(const std::vector<std::string>& args, CaptureOptions* o, std::string* error) {
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  return ParseCaptureOptions(static_cast<int>(argv.size()), argv.data(), o, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CaptureOptions o;
  std::string error;
  if (!Parse(Arguments(data, size), &o, &error)) {
    Check(error.rfind("particles-capture: ", 0) == 0);
    for (const char ch : error) Check(ch >= 0x20 && ch < 0x7F);
    return 0;
  }
  Check(o.frames >= 1 && o.dt <= 100000);
  for (const Stall& s : o.stalls) Check(s.frame >= 1 && s.frame <= o.frames && s.ms <= 100000);
  for (const Press& p : o.presses) Check(p.frame >= 1 && p.frame <= o.frames && p.button >= 0 && p.button <= 255);
  (void)FrameTicks(o, o.frames);  // the clock at the last frame, through every stall

  CaptureOptions again;
  Check(Parse(Reformatted(o), &again, &error));
  Check(Reformatted(again) == Reformatted(o));  // every field, each key checked by KeyName
  return 0;
}
