// Catches a sine table, quarter mirroring, angle reduction, root seed or Newton step one raw
// unit off the console's values; proofs_test.cpp bounds their errors over whole ranges.
#include "fixedpoint/trig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace fixedpoint;

struct Sample { int in, out; };

TEST(Trig, SineTableIsTheFlooredQuarterWave) {
  for (int i = 0; i < 1023; ++i) {
    const long double v = 65535.0L * std::sin(i * 3.14159265358979323846L / 2046.0L);
    ASSERT_EQ(sin_tab[i], static_cast<int>(std::floor(v))) << "entry " << i;
  }
  EXPECT_EQ(sin_tab[1023], 65534) << "the formula would give 65535";
}

// 34290 is the camera's half field; whole turns below zero come back.
TEST(Trig, SineAndCosineAtQuarterTurnsAndNegativeAngles) {
  struct Case { int angle, sine, cosine; };
  for (const Case c : {Case{0, 0, 65534}, {102943, 65534, 0}, {205887, 0, -65534}, {308831, -65534, 0},
                       {-102943, -65534, 0}, {-1, 0, 65534}, {34290, 32767, 56754},
                       {-102943 - 411774 * 50, -65534, 0}}) {
    EXPECT_EQ(fixsin16(c.angle), c.sine) << c.angle;
    EXPECT_EQ(fixcos16(c.angle), c.cosine) << c.angle;
  }
}

TEST(Trig, RootSamplesAndSeeds) {
  for (const Sample s : {Sample{0, 2147483647}, {65536, 65536}, {131072, 46341}, {4 * 65536, 32767},
                         {9 * 65536, 21844}, {16 * 65536, 16382}, {25 * 65536, 13106}, {32768, 92682},
                         {1, 16785446}, {15, 4333722}}) {  // 15: the seed's bits right after the leading one
    EXPECT_EQ(fixrsqrt16(s.in), s.out) << "1 / sqrt " << s.in;
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(rsq_tab[i], static_cast<int>(65536 / std::sqrt(2 + i / 4.0))) << i;
  for (const Sample s : {Sample{0, 512}, {65536, 65536}, {16384, 32768}, {131072, 92682}, {262144, 131069},
                         {9 * 65536, 196601}, {100 * 65536, 655310}, {1000 * 65536, 2073370},
                         {4096 * 65536, 4348656}}) {
    EXPECT_EQ(fixsqrt16(s.in), s.out) << "sqrt " << s.in;
  }
}

}  // namespace
