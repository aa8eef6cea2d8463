// Class 6's accurate dequantiser and its whole block step (dequantise,
// transform, store bytes) equal the plain dequantiser and the portable lane
// transform bit for bit: random, sparse and DC-only blocks against tables
// of every size (entries past 16 bits too), at odd addresses.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

struct RandomBlock {
  std::int32_t table[80] = {};
  std::int16_t block[64] = {};
};

// Round r: table entries below 256, 65536 or 2^31; coefficients over the
// whole range, or small within the top-left rows x columns (1 x 1: DC only).
RandomBlock MakeBlock(std::mt19937& random, int round) {
  RandomBlock b;
  const std::uint32_t limit = round % 3 == 0 ? 256 : round % 3 == 1 ? 65536 : 0x7FFFFFFF;
  for (int i = 0; i < 64; ++i) b.table[i] = static_cast<std::int32_t>(random() % limit);
  const int shapes[][2] = {{8, 8}, {1, 1}, {2, 3}, {4, 4}, {8, 2}, {3, 8}};
  const int* shape = shapes[(round / 3) % 6];
  for (int i = 0; i < 64; ++i) {
    if (i / 8 >= shape[0] || i % 8 >= shape[1]) continue;
    const auto r = static_cast<int>(random());
    b.block[i] = static_cast<std::int16_t>(round % 2 == 0 ? r : r % 64 - 32);
  }
  return b;
}

TEST(JpegDecoderBlockStep, Sse2DequantiserEqualsThePlainForm) {
  std::mt19937 random(5);
  alignas(16) std::int16_t storage[65];
  std::int16_t* odd = storage + 1;
  for (int round = 0; round < 6000; ++round) {
    RandomBlock b = MakeBlock(random, round);
    std::memcpy(odd, b.block, sizeof b.block);
    dequantizeAccurate(b.block, b.table);
    dequantizeBlockSse2(odd, b.table);
    ASSERT_EQ(std::memcmp(odd, b.block, sizeof b.block), 0) << round;
  }
}

TEST(JpegDecoderBlockStep, Sse2StepEqualsDequantiserTransformAndCopy) {
  std::mt19937 random(6);
  alignas(16) std::int16_t storage[65];
  std::int16_t* odd = storage + 1;
  constexpr std::ptrdiff_t kStride = 21;
  for (int round = 0; round < 6000; ++round) {
    const RandomBlock b = MakeBlock(random, round);
    std::uint8_t expected[8 * kStride], actual[8 * kStride];
    std::memset(expected, 0xA5, sizeof expected);
    std::memset(actual, 0xA5, sizeof actual);
    simd_portable::transformBlockLanes(b.block, b.table, expected + 1, kStride);
    std::memcpy(odd, b.block, sizeof b.block);
    transformBlockSse2(odd, b.table, actual + 1, kStride);
    ASSERT_EQ(std::memcmp(actual, expected, sizeof expected), 0) << round;
    ASSERT_EQ(std::memcmp(odd, b.block, sizeof b.block), 0) << round;
  }
}

}  // namespace
