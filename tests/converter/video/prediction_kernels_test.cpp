#include "converter/mpeg/mpeg_prediction_kernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace reelpack {
namespace {

// Every prediction kernel against the plain half-pel formulas on random
// bytes, with the destination starting from random bytes so averaging shows.
TEST(PredictionKernels, EveryKernelMatchesThePlainFormula) {
  const MPEG_PREDICTION_KERNELS& kernels = portablePredictionKernels();
  std::mt19937 random(7);
  constexpr int kStride = 40, kDestinationStride = 24, kRows = 16;
  std::vector<std::uint8_t> source(kStride * (kRows + 1));
  for (auto& b : source) b = static_cast<std::uint8_t>(random());
  for (int wide = 0; wide < 2; ++wide)
    for (int hx = 0; hx < 2; ++hx)
      for (int hy = 0; hy < 2; ++hy)
        for (int put = 0; put < 2; ++put) {
          const int width = wide ? 16 : 8;
          std::vector<std::uint8_t> destination(kDestinationStride * kRows);
          for (auto& b : destination) b = static_cast<std::uint8_t>(random());
          const std::vector<std::uint8_t> before = destination;
          kernels.predict[PredictionKernelIndex(wide, hx, hy, put)](source.data(), destination.data(), kStride,
                                                                    kDestinationStride, kRows);
          for (int r = 0; r < kRows; ++r)
            for (int x = 0; x < kDestinationStride; ++x) {
              const int at = r * kDestinationStride + x;
              if (x >= width) {
                ASSERT_EQ(destination[at], before[at]) << "wrote past the block";
                continue;
              }
              const int a = source[r * kStride + x], b = source[r * kStride + x + 1];
              const int c = source[(r + 1) * kStride + x], d = source[(r + 1) * kStride + x + 1];
              int v = a;
              if (hx && hy) v = (a + b + c + d + 2) >> 2;
              else if (hx) v = (a + b + 1) >> 1;
              else if (hy) v = (a + c + 1) >> 1;
              const int want = put ? v : (before[at] + v + 1) >> 1;
              ASSERT_EQ(destination[at], want) << "wide " << wide << " hx " << hx << " hy " << hy << " put " << put;
            }
        }
}

TEST(PredictionKernels, BlockAddAndStoreSaturate) {
  const MPEG_PREDICTION_KERNELS& kernels = portablePredictionKernels();
  struct Case {
    int pixel, value, added, stored;
  } cases[] = {{200, 100, 255, 100}, {10, -50, 0, 0}, {0, 300, 255, 255}, {128, 0, 128, 0}, {255, -255, 0, 0}};
  for (const Case& c : cases) {
    std::int16_t block[64];
    std::fill(std::begin(block), std::end(block), static_cast<std::int16_t>(c.value));
    std::uint8_t added[8 * 9], stored[8 * 9];
    std::fill(std::begin(added), std::end(added), static_cast<std::uint8_t>(c.pixel));
    std::fill(std::begin(stored), std::end(stored), static_cast<std::uint8_t>(c.pixel));
    kernels.addBlock(block, added, 9);
    kernels.storeBlock(block, stored, 9);
    for (int r = 0; r < 8; ++r) {
      EXPECT_EQ(added[r * 9], c.added);
      EXPECT_EQ(stored[r * 9 + 7], c.stored);
      EXPECT_EQ(added[r * 9 + 8], c.pixel) << "column past the block";
    }
  }
}

}  // namespace
}  // namespace reelpack
