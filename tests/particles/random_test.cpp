// Catches a simulation sequence that drifts from the console's unseeded rand(), or a reset
// that does not restart it: every scene position, birth and camera target depends on it.
#include "particles/random.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Values of the console's unseeded sequence, known independently of this code; on a
// C library with the same generator, a long stretch must match value for value.
TEST(Random, TheUnseededSequenceFromEachReset) {
  for (int reset = 0; reset < 2; ++reset) {
    particles::ResetRandom();
    for (const int value : {1804289383, 846930886, 1681692777, 1714636915, 1957747793})
      EXPECT_EQ(particles::Rand(), value) << "after reset " << reset;
  }
#if defined(__GLIBC__)
  srand(1);
  for (int i = 0; i < 5; ++i) rand();
  for (int i = 0; i < 1000000; ++i) ASSERT_EQ(particles::Rand(), rand()) << "call " << i + 5;
#endif
}

}  // namespace
