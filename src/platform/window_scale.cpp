#include "platform/window_scale.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// One picture row becomes one window row of scale-wide runs, which is then copied
// to the scale - 1 rows below it. The scale and the pixel size are template
// arguments, so that each run is a fixed number of stores of one looked-up value.
template <int kScale, class Pixel>
void EnlargeBy(PixelBuffer from, const WindowPixels& to) {
  constexpr std::size_t kRowBytes = std::size_t{kScreenWidth} * kScale * sizeof(Pixel);
  const auto* in = reinterpret_cast<const uint8_t*>(from.pixels);
  auto* out = static_cast<uint8_t*>(to.pixels);
  const uint32_t* const colours = to.colours;
  for (int y = 0; y < kScreenHeight; ++y, in += from.pitch) {
    const auto* src = reinterpret_cast<const uint16_t*>(in);
    auto* first = reinterpret_cast<Pixel*>(out);
    for (int x = 0; x < kScreenWidth; ++x) {
      const Pixel v = static_cast<Pixel>(sizeof(Pixel) == 2 ? src[x] : colours[src[x]]);
      for (int k = 0; k < kScale; ++k) first[x * kScale + k] = v;
    }
    out += to.pitch;
    for (int k = 1; k < kScale; ++k, out += to.pitch) std::memcpy(out, first, kRowBytes);
  }
}

// The value's number when it is decimal digits for 1..kMaxWindowScale; 0 otherwise.
int ScaleValue(const std::string& value) {
  int n = 0;
  for (char ch : value) {
    if (ch < '0' || ch > '9') return 0;
    n = n * 10 + (ch - '0');
    if (n > kMaxWindowScale) return 0;
  }
  return n;
}

}  // namespace

bool ReadWindowScale(int argc, const char* const* argv, int* scale, std::string* error) {
  static const char kWithValue[] = "--scale=";
  int chosen = 1;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string value;
    if (arg == "--scale") {
      if (i + 1 >= argc) {
        *error = "particles: --scale needs a value";
        return false;
      }
      value = argv[++i];
    } else if (arg.compare(0, sizeof kWithValue - 1, kWithValue) == 0) {
      value = arg.substr(sizeof kWithValue - 1);
    } else {
      continue;
    }
    chosen = ScaleValue(value);
    if (chosen == 0) {
      *error = "particles: bad value for --scale: '" + value + "' (1.." +
               std::to_string(kMaxWindowScale) + ")";
      return false;
    }
  }
  *scale = chosen;
  return true;
}

void EnlargePicture(PixelBuffer from, const WindowPixels& to, int scale) {
  using Enlarge = void (*)(PixelBuffer, const WindowPixels&);
  static constexpr Enlarge kBy[2][kMaxWindowScale] = {
      {&EnlargeBy<1, uint16_t>, &EnlargeBy<2, uint16_t>, &EnlargeBy<3, uint16_t>,
       &EnlargeBy<4, uint16_t>, &EnlargeBy<5, uint16_t>, &EnlargeBy<6, uint16_t>},
      {&EnlargeBy<1, uint32_t>, &EnlargeBy<2, uint32_t>, &EnlargeBy<3, uint32_t>,
       &EnlargeBy<4, uint32_t>, &EnlargeBy<5, uint32_t>, &EnlargeBy<6, uint32_t>}};
  kBy[to.bytesPerPixel == 4 ? 1 : 0][scale - 1](from, to);
}
