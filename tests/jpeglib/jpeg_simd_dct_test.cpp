// Forward DCT and quantisation kernels of the SIMD classes: each vector
// kernel against its portable form bit for bit at several alignments, the
// transforms against a double-precision DCT, the rounding cases, and where
// the SIMD classes may differ from the plain one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_tables.h"
#include "jpeglib/simd/simd_kernels.h"
#include "jpeg_test_support.h"

namespace {

using Transform = void (*)(std::int16_t*);
using Quantizer = void (*)(std::int16_t*, const std::uint16_t*);

// Block generators: 8-bit samples, ±128 checkerboards, any 16-bit value and
// the extremes, so saturation and wrap-around paths are reached.
void FillBlock(std::mt19937& random, int kind, std::int16_t block[64]) {
  std::uniform_int_distribution<int> sample(-128, 127), any(-32768, 32767), pick(0, 5);
  const std::int16_t extremes[] = {-32768, -32767, -1, 0, 1, 32767};
  for (int i = 0; i < 64; ++i) {
    switch (kind % 4) {
      case 0: block[i] = static_cast<std::int16_t>(sample(random)); break;
      case 1: block[i] = static_cast<std::int16_t>(((i >> 3) + i) & 1 ? 127 : -128); break;
      case 2: block[i] = static_cast<std::int16_t>(any(random)); break;
      default: block[i] = extremes[pick(random)]; break;
    }
  }
}

// A block placed `offset` bytes past a 16-byte boundary.
struct PlacedBlock {
  alignas(16) unsigned char storage[64 * 2 + 32];
  std::int16_t* at(int offset) { return reinterpret_cast<std::int16_t*>(storage + offset); }
};

struct TransformPair {
  const char* name;
  Transform vector;
  Transform portable;
};
const TransformPair kTransforms[] = {
    {"fdctBlockMmx", fdctBlockMmx, simd_portable::fdctBlockMmx},
    {"fdctBlockSse", fdctBlockSse, simd_portable::fdctBlockMmx},
    {"fdctBlockSse2", fdctBlockSse2, simd_portable::fdctBlockSse2},
    {"fdctAanBlockMmx", fdctAanBlockMmx, simd_portable::fdctAanBlockMmx},
};

TEST(SimdDct, VectorTransformsMatchTheirPortableForms) {
  for (const TransformPair& pair : kTransforms) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 10000; ++trial) {
      std::int16_t source[64];
      FillBlock(random, trial, source);
      std::int16_t expected[64];
      std::memcpy(expected, source, sizeof expected);
      pair.portable(expected);
      for (int offset : {0, 2, 8}) {
        PlacedBlock placed;
        std::memcpy(placed.at(offset), source, sizeof source);
        pair.vector(placed.at(offset));
        ASSERT_EQ(std::memcmp(placed.at(offset), expected, sizeof expected), 0)
            << pair.name << " trial " << trial << " offset " << offset;
      }
    }
  }
}

struct QuantizerPair {
  const char* name;
  Quantizer vector;
  Quantizer portable;
};
const QuantizerPair kQuantizers[] = {
    {"quantizeBlockMmx", quantizeBlockMmx, simd_portable::quantizeBlockMmx},
    {"quantizeBlockSse", quantizeBlockSse, simd_portable::quantizeBlockMmx},
    {"quantizeBlockSse2", quantizeBlockSse2, simd_portable::quantizeBlockMmx},
    {"quantizeBlockSimd", quantizeBlockSimd, simd_portable::quantizeBlockSimd},
};

TEST(SimdDct, VectorQuantizersMatchTheirPortableForms) {
  for (const QuantizerPair& pair : kQuantizers) {
    std::mt19937 random(12);
    std::uniform_int_distribution<int> reciprocal(0, 65535);
    for (int trial = 0; trial < 10000; ++trial) {
      std::int16_t source[64];
      FillBlock(random, trial, source);
      std::uint16_t reciprocals[64];
      for (std::uint16_t& r : reciprocals) r = static_cast<std::uint16_t>(reciprocal(random));
      std::int16_t expected[64];
      std::memcpy(expected, source, sizeof expected);
      pair.portable(expected, reciprocals);
      for (int blockOffset : {0, 2, 8}) {
        for (int tableOffset : {0, 8}) {
          PlacedBlock placed, table;
          std::memcpy(placed.at(blockOffset), source, sizeof source);
          auto* tableAt = reinterpret_cast<std::uint16_t*>(table.at(tableOffset));
          std::memcpy(tableAt, reciprocals, sizeof reciprocals);
          pair.vector(placed.at(blockOffset), tableAt);
          ASSERT_EQ(std::memcmp(placed.at(blockOffset), expected, sizeof expected), 0)
              << pair.name << " trial " << trial << " offsets " << blockOffset << "/" << tableOffset;
        }
      }
    }
  }
}

// Every kind-1 member, vector and portable.
const Transform kTangentMembers[] = {fdctBlockMmx, fdctBlockSse, fdctBlockSse2, simd_portable::fdctBlockMmx,
                                     simd_portable::fdctBlockSse2};

TEST(SimdDct, FlatBlocksGiveOnlyADcTerm) {
  for (int value : {-128, -77, -1, 0, 1, 64, 127}) {
    for (Transform member : kTangentMembers) {
      std::int16_t block[64];
      std::fill_n(block, 64, static_cast<std::int16_t>(value));
      member(block);
      EXPECT_EQ(block[0], 8 * value) << "value " << value;
      for (int i = 1; i < 64; ++i) ASSERT_EQ(block[i], 0) << "value " << value << " position " << i;
    }
    for (Transform member : {fdctAanBlockMmx, simd_portable::fdctAanBlockMmx}) {
      std::int16_t block[64];
      std::fill_n(block, 64, static_cast<std::int16_t>(value));
      member(block);
      EXPECT_EQ(block[0], 64 * value) << "value " << value;
      for (int i = 1; i < 64; ++i) ASSERT_EQ(block[i], 0) << "value " << value << " position " << i;
    }
  }
}

TEST(SimdDct, TangentTransformsStayWithinOneUnitOfTheExactDct) {
  std::mt19937 random(5);
  double worst = 0.0;
  for (int trial = 0; trial < 3000; ++trial) {
    std::int16_t source[64];
    FillBlock(random, trial % 2, source);  // 8-bit samples and checkerboards
    double exact[64];
    ReferenceDct(source, exact);
    for (Transform member : {fdctBlockMmx, fdctBlockSse2}) {
      std::int16_t block[64];
      std::memcpy(block, source, sizeof block);
      member(block);
      for (int i = 0; i < 64; ++i) worst = std::max(worst, std::fabs(block[i] - exact[i]));
    }
  }
  RecordProperty("max_error", std::to_string(worst));
  std::printf("kind-1 SIMD DCT: largest difference from the exact DCT %.3f\n", worst);
  EXPECT_LE(worst, 1.0);
}

TEST(SimdDct, SimdClassesAgreeOnEightBitSamples) {
  // Shifting before or after the first butterfly matters only under
  // saturation, which 8-bit samples never reach.
  std::mt19937 random(6);
  for (int trial = 0; trial < 5000; ++trial) {
    std::int16_t first[64], second[64];
    FillBlock(random, trial % 2, first);
    std::memcpy(second, first, sizeof first);
    fdctBlockMmx(first);
    fdctBlockSse2(second);
    ASSERT_EQ(std::memcmp(first, second, sizeof first), 0) << "trial " << trial;
  }
  // With 16-bit inputs the two orders do part.
  std::int16_t first[64], second[64];
  std::fill_n(first, 64, static_cast<std::int16_t>(0));
  first[0] = 30000;
  first[56] = -30000;
  std::memcpy(second, first, sizeof first);
  fdctBlockMmx(first);
  fdctBlockSse2(second);
  EXPECT_NE(std::memcmp(first, second, sizeof first), 0);
}

TEST(SimdDct, PlainAndSimdTangentPipelinesMayDifferByOne) {
  // Documented class dependence: the SIMD kind-1 transform and quantiser
  // are different integer algorithms from the plain ones, each within
  // rounding of the exact values, so some coefficients differ by one.
  std::mt19937 random(7);
  std::uint16_t reciprocals[64];
  std::uint16_t scaled[64];
  jpegScaleQuantTable(75, kJpegLuminanceQuant, scaled);
  prepareQuantAccurate(scaled, reciprocals);
  int differing = 0, worst = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    std::int16_t plain[64], simd[64];
    FillBlock(random, 0, plain);
    std::memcpy(simd, plain, sizeof plain);
    fdctAccurate(plain);
    quantizeAccurate(plain, reciprocals);
    fdctBlockSse2(simd);
    quantizeBlockSse2(simd, reciprocals);
    for (int i = 0; i < 64; ++i) {
      differing += plain[i] != simd[i];
      worst = std::max(worst, std::abs(plain[i] - simd[i]));
    }
  }
  EXPECT_GT(differing, 0);
  EXPECT_LE(worst, 1);
}

TEST(SimdDct, QuantiserRoundingCases) {
  struct Case {
    int coefficient;
    int q;
    int expected;
  };
  const Case cases[] = {
      {3, 2, 2}, {-3, 2, -1}, {1, 2, 1}, {-1, 2, 0}, {4095, 1, 4095}, {-4096, 1, -4096}, {-77, 1, -77},
      {100, 16, 6}, {-100, 16, -6}, {8, 16, 1}, {-8, 16, 0}, {1020, 255, 4},
  };
  for (const Case& c : cases) {
    for (Quantizer quantizer : {quantizeBlockMmx, quantizeBlockSse, quantizeBlockSse2, simd_portable::quantizeBlockMmx}) {
      std::int16_t block[64] = {};
      std::uint16_t reciprocals[64];
      std::fill_n(reciprocals, 64, static_cast<std::uint16_t>(32768 / c.q));
      block[9] = static_cast<std::int16_t>(c.coefficient);
      quantizer(block, reciprocals);
      EXPECT_EQ(block[9], c.expected) << c.coefficient << " / " << c.q;
    }
  }
}

// Kind-0 reciprocals at Q = 1 for every position.
void AanReciprocals(std::uint16_t reciprocals[64], int q) {
  std::uint16_t scaled[64];
  std::fill_n(scaled, 64, static_cast<std::uint16_t>(q));
  prepareQuantFast(scaled, reciprocals);
}

TEST(SimdDct, AanClampReachesItsBoundExactlyAtMinus128) {
  std::uint16_t reciprocals[64];
  AanReciprocals(reciprocals, 4);
  for (Quantizer quantizer : {quantizeBlockSimd, simd_portable::quantizeBlockSimd}) {
    std::int16_t block[64];
    std::fill_n(block, 64, static_cast<std::int16_t>(-128));
    fdctAanBlockMmx(block);
    ASSERT_EQ(block[0], -8192);
    std::int16_t plain[64];
    std::memcpy(plain, block, sizeof plain);
    quantizer(block, reciprocals);
    quantizeFast(plain, reciprocals);
    EXPECT_EQ(block[0], -256);  // 8 x -128 / 4
    EXPECT_EQ(std::memcmp(block, plain, sizeof plain), 0);
  }
}

TEST(SimdDct, AanClampChangesCoefficientsPastItsBound) {
  // The kind-0 SIMD quantiser clamps to -8192..8191 before it scales; a
  // ±128 pattern matched to a basis function drives the transform past that
  // bound, and there it quantises differently from the plain class.
  std::int16_t block[64];
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const double basis = std::cos((2 * x + 1) * M_PI / 16) * std::cos((2 * y + 1) * M_PI / 16);
      block[y * 8 + x] = static_cast<std::int16_t>(basis >= 0 ? 127 : -128);
    }
  }
  fdctAanBlockMmx(block);
  EXPECT_GT(std::abs(block[9]), 8192);
  std::uint16_t reciprocals[64];
  AanReciprocals(reciprocals, 1);
  std::int16_t plain[64], simd[64];
  std::memcpy(plain, block, sizeof plain);
  std::memcpy(simd, block, sizeof simd);
  quantizeFast(plain, reciprocals);
  quantizeBlockSimd(simd, reciprocals);
  EXPECT_NE(plain[9], simd[9]);
  EXPECT_LT(std::abs(simd[9]), std::abs(plain[9]));
}

}  // namespace
