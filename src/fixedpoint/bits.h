// bits.h: the leading-zero count the reciprocals, the root and the shared divisor
// normalise by, from a table of the byte values: the console's CPU has no count instruction.
#pragma once

#include <array>
#include <cstdint>

namespace fixedpoint {

namespace bits_detail {
// Leading zero bits of the byte values: 8 for 0 down to 0 for 128..255.
constexpr std::array<uint8_t, 256> MakeByteZeros() {
  std::array<uint8_t, 256> zeros{};
  for (uint32_t b = 0; b < 256; ++b) {
    uint8_t n = 8;
    for (uint32_t v = b; v != 0; v >>= 1) --n;
    zeros[b] = n;
  }
  return zeros;
}
inline constexpr std::array<uint8_t, 256> kByteZeros = MakeByteZeros();
}  // namespace bits_detail

// Leading zero bits of m, from its top nonzero byte: 0..31, and 32 for 0.
constexpr int LeadingZeros(uint32_t m) {
  using bits_detail::kByteZeros;
  if (m >> 16 != 0) return m >> 24 != 0 ? kByteZeros[m >> 24] : 8 + kByteZeros[m >> 16];
  return m >> 8 != 0 ? 16 + kByteZeros[m >> 8] : 24 + kByteZeros[m];
}

}  // namespace fixedpoint
