#include "particles/random.h"

#include <cstdint>

namespace particles {
namespace {

// Additive lagged-Fibonacci generator r[i] = r[i-3] + r[i-31] (mod 2^32) whose
// 31 words are seeded with 1 through the Park-Miller step 16807 * r mod (2^31 - 1);
// the first 310 outputs are discarded and each result is the word shifted right
// by one. This is exactly the sequence an unseeded rand() yields on the console.
constexpr int kDegree = 31;
constexpr int kSeparation = 3;

struct State {
  uint32_t r[kDegree];
  int front;  // the word that takes the sum
  int rear;   // the word kSeparation places behind it (mod kDegree)
};

State g_state;
RandSource g_source = nullptr;

uint32_t Step(State& s) {
  s.r[s.front] += s.r[s.rear];
  const uint32_t value = s.r[s.front];
  s.front = s.front == kDegree - 1 ? 0 : s.front + 1;  // not %: the console has no divide
  s.rear = s.rear == kDegree - 1 ? 0 : s.rear + 1;
  return value;
}

void Seed(State& s) {
  int32_t word = 1;
  s.r[0] = 1;
  for (int i = 1; i < kDegree; ++i) {
    // 16807 * word mod (2^31 - 1) without overflow (Schrage's method).
    const int32_t hi = word / 127773;
    const int32_t lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    s.r[i] = static_cast<uint32_t>(word);
  }
  s.front = kSeparation;
  s.rear = 0;
  for (int i = 0; i < 10 * kDegree; ++i) Step(s);
}

struct Init {
  Init() { Seed(g_state); }
} g_init;

}  // namespace

int Rand() {
  if (g_source != nullptr) return g_source();
  return static_cast<int>(Step(g_state) >> 1);
}

void ResetRandom() { Seed(g_state); }

void SetRandSource(RandSource source) { g_source = source; }

}  // namespace particles
