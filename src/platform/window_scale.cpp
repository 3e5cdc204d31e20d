#include "platform/window_scale.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// One picture row becomes one window row of scale-wide runs, which is then copied
// to the scale - 1 rows below it. The scale is a template argument so that the run
// of each pixel is a fixed number of stores.
template <int kScale>
void EnlargeBy(PixelBuffer from, PixelBuffer to) {
  constexpr std::size_t kRowBytes = std::size_t{kScreenWidth} * kScale * sizeof(uint16_t);
  const auto* in = reinterpret_cast<const uint8_t*>(from.pixels);
  auto* out = reinterpret_cast<uint8_t*>(to.pixels);
  for (int y = 0; y < kScreenHeight; ++y, in += from.pitch) {
    const auto* src = reinterpret_cast<const uint16_t*>(in);
    auto* first = reinterpret_cast<uint16_t*>(out);
    for (int x = 0; x < kScreenWidth; ++x) {
      const uint16_t v = src[x];
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

void EnlargePicture(PixelBuffer from, PixelBuffer to, int scale) {
  using Enlarge = void (*)(PixelBuffer, PixelBuffer);
  static constexpr Enlarge kBy[kMaxWindowScale] = {&EnlargeBy<1>, &EnlargeBy<2>, &EnlargeBy<3>,
                                                   &EnlargeBy<4>, &EnlargeBy<5>, &EnlargeBy<6>};
  kBy[scale - 1](from, to);
}
