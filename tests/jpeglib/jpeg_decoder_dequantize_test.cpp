// The SSE2 accurate dequantiser equals the plain one bit for bit: random
// coefficients against tables of every size (entries past 16 bits too),
// at an odd address.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

TEST(JpegDecoderDequantize, Sse2EqualsThePlainForm) {
  std::mt19937 random(5);
  alignas(16) std::int16_t storage[65];
  std::int16_t* odd = storage + 1;
  for (int round = 0; round < 5000; ++round) {
    std::int32_t table[80] = {};
    const std::uint32_t limit = round % 3 == 0 ? 256 : round % 3 == 1 ? 65536 : 0x7FFFFFFF;
    for (int i = 0; i < 64; ++i) table[i] = static_cast<std::int32_t>(random() % limit);
    std::int16_t block[64];
    for (auto& value : block) value = static_cast<std::int16_t>(random());
    std::memcpy(odd, block, sizeof block);
    dequantizeAccurate(block, table);
    dequantizeBlockSse2(odd, table);
    ASSERT_EQ(std::memcmp(odd, block, sizeof block), 0) << round;
  }
}

}  // namespace
