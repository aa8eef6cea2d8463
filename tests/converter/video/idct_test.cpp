// Accuracy of the fixed-point inverse DCT against a double-precision
// transform, in the style of the IEEE 1180 test.
#include "converter/mpeg/mpeg_idct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

namespace reelpack {
namespace {

double Basis(int u, int x) {
  const double c = u == 0 ? std::sqrt(0.125) : 0.5;
  return c * std::cos((2 * x + 1) * u * std::numbers::pi / 16);
}

// Separable double-precision transforms: rows, then columns.
void Transform(const double* in, double* out, bool forward) {
  double tmp[64];
  for (int r = 0; r < 8; ++r)
    for (int k = 0; k < 8; ++k) {
      double s = 0;
      for (int n = 0; n < 8; ++n) s += in[8 * r + n] * (forward ? Basis(k, n) : Basis(n, k));
      tmp[8 * r + k] = s;
    }
  for (int c = 0; c < 8; ++c)
    for (int k = 0; k < 8; ++k) {
      double s = 0;
      for (int n = 0; n < 8; ++n) s += tmp[8 * n + c] * (forward ? Basis(k, n) : Basis(n, k));
      out[8 * k + c] = s;
    }
}

void ForwardDct(const double* in, double* out) { Transform(in, out, true); }
void ReferenceInverse(const double* in, double* out) { Transform(in, out, false); }

// The generator the accuracy test prescribes, so the figures are comparable.
struct Random1180 {
  long seed = 1;
  long Next(long low, long high) {
    seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
    const double x = static_cast<double>(seed) / 2147483647.0;
    const long span = high - low + 1;
    return static_cast<long>(x * span) + low;
  }
};

struct Figures {
  int peak = 0;
  double worstPixelMean = 0, overallMean = 0, worstPixelSquare = 0, overallSquare = 0;
};

Figures Measure(long low, long high, int sign) {
  constexpr int kBlocks = 10000;
  Random1180 random;
  long errorSum[64] = {}, squareSum[64] = {};
  Figures f;
  for (int n = 0; n < kBlocks; ++n) {
    double samples[64], coefficients[64], reference[64];
    for (double& s : samples) s = static_cast<double>(random.Next(low, high) * sign);
    ForwardDct(samples, coefficients);
    std::int16_t block[64];
    for (int i = 0; i < 64; ++i) {
      const double rounded = std::clamp(std::round(coefficients[i]), -2048.0, 2047.0);
      coefficients[i] = rounded;
      block[i] = static_cast<std::int16_t>(rounded);
    }
    ReferenceInverse(coefficients, reference);
    inverseDct(block);
    for (int i = 0; i < 64; ++i) {
      const long want = static_cast<long>(std::clamp(std::round(reference[i]), -256.0, 255.0));
      const long got = std::clamp<long>(block[i], -256, 255);
      const long e = got - want;
      errorSum[i] += e;
      squareSum[i] += e * e;
      f.peak = std::max<int>(f.peak, static_cast<int>(std::labs(e)));
    }
  }
  long totalError = 0, totalSquare = 0;
  for (int i = 0; i < 64; ++i) {
    f.worstPixelMean = std::max(f.worstPixelMean, std::fabs(static_cast<double>(errorSum[i]) / kBlocks));
    f.worstPixelSquare = std::max(f.worstPixelSquare, static_cast<double>(squareSum[i]) / kBlocks);
    totalError += errorSum[i];
    totalSquare += squareSum[i];
  }
  f.overallMean = std::fabs(static_cast<double>(totalError) / (64.0 * kBlocks));
  f.overallSquare = static_cast<double>(totalSquare) / (64.0 * kBlocks);
  return f;
}

struct Range {
  long low, high;
  int sign;
};

class InverseDctAccuracy : public ::testing::TestWithParam<Range> {};

TEST_P(InverseDctAccuracy, StaysWithinTheAccuracyLimits) {
  const Range r = GetParam();
  const Figures f = Measure(r.low, r.high, r.sign);
  std::printf("range %ld..%ld sign %d: peak %d, pixel mean %.4f (0.015), overall mean %.5f (0.0015), "
              "pixel mse %.4f (0.06), overall mse %.4f (0.02)\n",
              r.low, r.high, r.sign, f.peak, f.worstPixelMean, f.overallMean, f.worstPixelSquare, f.overallSquare);
  EXPECT_LE(f.peak, 1);
  EXPECT_LE(f.worstPixelMean, 0.015);
  EXPECT_LE(f.overallMean, 0.0015);
  EXPECT_LE(f.worstPixelSquare, 0.06);
  EXPECT_LE(f.overallSquare, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Ranges, InverseDctAccuracy,
                         ::testing::Values(Range{-256, 255, 1}, Range{-5, 5, 1}, Range{-300, 300, 1},
                                           Range{-256, 255, -1}, Range{-5, 5, -1}, Range{-300, 300, -1}));

TEST(InverseDct, ZeroGivesZeroAndDcGivesAFlatBlock) {
  std::int16_t zero[64] = {};
  inverseDct(zero);
  for (std::int16_t v : zero) EXPECT_EQ(v, 0);
  std::int16_t dc[64] = {1024};
  inverseDct(dc);
  for (std::int16_t v : dc) EXPECT_EQ(v, 128);
}

TEST(InverseDct, ExtremeBlocksSaturateWithoutOverflow) {
  for (std::int16_t level : {std::int16_t{2047}, std::int16_t{-2048}}) {
    std::int16_t block[64];
    for (int i = 0; i < 64; ++i) block[i] = (i % 3 == 0) ? level : static_cast<std::int16_t>(-level - 1);
    inverseDct(block);  // the sanitizer build checks the arithmetic
    std::int16_t all[64];
    std::fill(std::begin(all), std::end(all), level);
    inverseDct(all);
    SUCCEED();
  }
}

}  // namespace
}  // namespace reelpack
