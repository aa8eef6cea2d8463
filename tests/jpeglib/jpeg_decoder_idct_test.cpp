// The SIMD classes' accurate inverse DCT: the SSE2 form equals the portable
// lane form bit for bit (extreme values and sparse blocks included, at an odd
// address), and the lane form stays within one level of a double-precision
// inverse.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <random>

#include "jpeglib/simd/simd_kernels.h"

namespace {

void DoubleInverse(const std::int16_t in[64], double out[64]) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      double sum = 0;
      for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
          const double cu = u == 0 ? M_SQRT1_2 : 1.0, cv = v == 0 ? M_SQRT1_2 : 1.0;
          sum += cu * cv / 4.0 * in[v * 8 + u] * std::cos((2 * x + 1) * u * M_PI / 16.0) *
                 std::cos((2 * y + 1) * v * M_PI / 16.0);
        }
      }
      out[y * 8 + x] = std::fmin(255.0, std::fmax(0.0, sum + 128.0));
    }
  }
}

TEST(JpegDecoderIdct, Sse2EqualsTheLaneFormEvenOnExtremeBlocks) {
  std::mt19937 random(62);
  alignas(16) std::int16_t storage[65];
  std::int16_t* odd = storage + 1;
  // Sparse shapes keep only the top-left rows x columns of values: a DC
  // term alone, and the zero rows and columns the fast form leaves out.
  const int shapes[][2] = {{8, 8}, {1, 1}, {2, 8}, {4, 8}, {8, 2}, {8, 4}, {2, 2}, {4, 4}, {3, 5}, {1, 8}, {8, 1}};
  for (int round = 0; round < 40000; ++round) {
    std::int16_t block[64];
    const int kind = round % 3;
    const int* shape = shapes[(round / 3) % std::size(shapes)];
    for (int i = 0; i < 64; ++i) {
      const int r = static_cast<int>(random());
      block[i] = static_cast<std::int16_t>(kind == 0 ? r : kind == 1 ? (r % 2048) - 1024 : (r & 1 ? -32768 : 32767));
      if (i / 8 >= shape[0] || i % 8 >= shape[1]) block[i] = 0;
    }
    std::int16_t expected[64];
    std::memcpy(expected, block, sizeof block);
    simd_portable::idctBlockLanes(expected);
    std::memcpy(odd, block, sizeof block);
    idctBlockSse2(odd);
    ASSERT_EQ(std::memcmp(odd, expected, sizeof expected), 0) << round;
  }
}

TEST(JpegDecoderIdct, LaneFormIsWithinOneOfDoublePrecision) {
  std::mt19937 random(3);
  double worst = 0;
  for (int round = 0; round < 20000; ++round) {
    std::int16_t block[64] = {};
    // Coefficients as dequantised pictures carry them: large low
    // frequencies, small high ones, many zeros.
    for (int i = 0; i < 64; ++i) {
      const int range = i == 0 ? 1024 : 512 / (1 + (i % 8) + (i / 8));
      if (random() % 3 != 0) block[i] = static_cast<std::int16_t>(static_cast<int>(random() % (2 * range + 1)) - range);
    }
    double reference[64];
    DoubleInverse(block, reference);
    simd_portable::idctBlockLanes(block);
    for (int i = 0; i < 64; ++i) worst = std::fmax(worst, std::fabs(block[i] - reference[i]));
  }
  std::printf("largest difference from double precision: %.3f\n", worst);
  EXPECT_LE(worst, 1.0);
}

}  // namespace
