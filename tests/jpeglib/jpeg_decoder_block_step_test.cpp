// Class 6's accurate dequantiser and the whole block step (dequantise,
// transform, store bytes; SSE2, and AVX2 where the processor has it) equal
// the plain dequantiser and the portable lane transform bit for bit:
// random, sparse and DC-only blocks against tables of every size (entries
// past 16 bits too), at odd addresses.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "common/cpu_features.h"

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

// The separate steps: the plain dequantiser on the 32-bit table, the lane
// transform, the samples copied as bytes.
void SeparateSteps(const RandomBlock& b, std::uint8_t* out, std::ptrdiff_t stride) {
  std::int16_t samples[64];
  std::memcpy(samples, b.block, sizeof samples);
  dequantizeAccurate(samples, b.table);
  simd_portable::idctBlockLanes(samples);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) out[y * stride + x] = static_cast<std::uint8_t>(samples[y * 8 + x]);
  }
}

// Both block step forms on the 16-bit factors equal the separate steps, write
// only their 8 x 8 bytes and leave the block as it was.
TEST(JpegDecoderBlockStep, StepFormsEqualDequantiserTransformAndCopy) {
  std::mt19937 random(6);
  alignas(16) std::int16_t storage[65];
  std::int16_t* odd = storage + 1;
  constexpr std::ptrdiff_t kStride = 21;
  using Step = void (*)(const std::int16_t*, const std::int16_t*, std::uint8_t*, std::ptrdiff_t);
  std::vector<Step> steps = {simd_portable::transformBlockLanes, transformBlockSse2};
  if (ProcessorHasAvx2()) steps.push_back(transformBlockAvx2);
  for (int round = 0; round < 6000; ++round) {
    const RandomBlock b = MakeBlock(random, round);
    std::int16_t factors[64];
    prepareDequantFactors(b.table, factors);
    std::uint8_t expected[8 * kStride];
    std::memset(expected, 0xA5, sizeof expected);
    SeparateSteps(b, expected + 1, kStride);
    for (const Step step : steps) {
      std::uint8_t actual[8 * kStride];
      std::memset(actual, 0xA5, sizeof actual);
      std::memcpy(odd, b.block, sizeof b.block);
      step(odd, factors, actual + 1, kStride);
      ASSERT_EQ(std::memcmp(actual, expected, sizeof expected), 0) << round;
      ASSERT_EQ(std::memcmp(odd, b.block, sizeof b.block), 0) << round;
    }
  }
}

}  // namespace
