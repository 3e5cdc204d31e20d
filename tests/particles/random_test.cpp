// Catches a simulation sequence that drifts from the console's unseeded rand():
// every scene position, birth and camera target depends on it.
#include "particles/random.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Values of the console's unseeded sequence, known independently of this code; on a
// C library with the same generator, a long stretch must match value for value.
TEST(Random, TheUnseededSequence) {
  particles::ResetRandom();
  for (const int value : {1804289383, 846930886, 1681692777, 1714636915, 1957747793}) EXPECT_EQ(particles::Rand(), value);
#if defined(__GLIBC__)
  srand(1);
  for (int i = 0; i < 5; ++i) rand();
  for (int i = 0; i < 1000000; ++i) {
    const int expected = rand();
    ASSERT_EQ(particles::Rand(), expected) << "call " << i;
  }
#endif
}

int g_scripted = 0;
int Scripted() { return g_scripted++; }

TEST(Random, ResetRestartsAndASourceOverridesUntilCleared) {
  particles::ResetRandom();
  const int first = particles::Rand();
  particles::SetRandSource(&Scripted);
  EXPECT_EQ(particles::Rand(), 0);
  EXPECT_EQ(particles::Rand(), 1);
  particles::SetRandSource(nullptr);
  particles::ResetRandom();
  EXPECT_EQ(particles::Rand(), first);
}

}  // namespace
