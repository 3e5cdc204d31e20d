// wrap.h: the few places where 32-bit wrap-around, shifts of negative values and
// 64-bit intermediates happen, written so that none of them is undefined behaviour.
#pragma once

#include <cstdint>

namespace fixedpoint {

// Sums, differences and products wrap modulo 2^32, done in unsigned arithmetic.
constexpr int32_t add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t sub32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t neg32(int32_t a) { return static_cast<int32_t>(0u - static_cast<uint32_t>(a)); }
constexpr int32_t mul32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Left shifts drop the bits shifted out (s in 0..31, 0..63), whatever the sign.
constexpr int32_t shl32(int32_t v, int s) {
  return static_cast<int32_t>(static_cast<uint32_t>(v) << s);
}
constexpr int64_t shl64(int64_t v, int s) {
  return static_cast<int64_t>(static_cast<uint64_t>(v) << s);
}

// Right shifts are arithmetic: they round toward minus infinity.
constexpr int32_t asr32(int32_t v, int s) { return v >> s; }
constexpr int64_t asr64(int64_t v, int s) { return v >> s; }

// The low 32 bits of a 64-bit value, read as signed.
constexpr int32_t low32(int64_t v) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

// Sums of 64-bit products accumulate modulo 2^64, like the hardware's accumulator.
constexpr int64_t add64(int64_t a, int64_t b) {
  return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

}  // namespace fixedpoint
