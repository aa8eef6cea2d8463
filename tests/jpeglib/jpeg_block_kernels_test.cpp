// Block kernels and tables: the forward DCTs against a double-precision
// transform, quantiser rounding, quality scaling, canonical codes and the
// Huffman block coder's bit strings.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_processor.h"
#include "jpeg_test_support.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

std::int16_t RandomBlock(std::mt19937& random, std::int16_t block[64]) {
  std::uniform_int_distribution<int> sample(-128, 127);
  for (int i = 0; i < 64; ++i) block[i] = static_cast<std::int16_t>(sample(random));
  return block[0];
}

TEST(BlockKernels, AccurateDctOfAConstantBlock) {
  for (int value : {-128, -1, 0, 5, 127}) {
    std::int16_t block[64];
    std::fill_n(block, 64, static_cast<std::int16_t>(value));
    fdctAccurate(block);
    EXPECT_EQ(block[0], 8 * value);
    for (int i = 1; i < 64; ++i) ASSERT_EQ(block[i], 0) << "value " << value << " position " << i;
  }
}

TEST(BlockKernels, AccurateDctFollowsTheExactTransform) {
  std::mt19937 random(42);
  int worst = 0;
  for (int trial = 0; trial < 2000; ++trial) {
    std::int16_t block[64];
    RandomBlock(random, block);
    double exact[64];
    ReferenceDct(block, exact);
    fdctAccurate(block);
    for (int i = 0; i < 64; ++i) {
      worst = std::max(worst, static_cast<int>(std::lround(std::fabs(block[i] - exact[i]))));
    }
  }
  EXPECT_LE(worst, 1);
}

TEST(BlockKernels, FastDctWithItsQuantiserMatchesTheAccuratePair) {
  std::mt19937 random(7);
  std::uint16_t scaled[64];
  for (int quality : {50, 75, 95}) {
    jpegScaleQuantTable(quality, kJpegLuminanceQuant, scaled);
    std::uint16_t fastMultipliers[64], accurateMultipliers[64];
    prepareQuantFast(scaled, fastMultipliers);
    prepareQuantAccurate(scaled, accurateMultipliers);
    for (int trial = 0; trial < 500; ++trial) {
      std::int16_t fast[64], accurate[64];
      RandomBlock(random, fast);
      std::copy_n(fast, 64, accurate);
      fdctFast(fast);
      quantizeFast(fast, fastMultipliers);
      fdctAccurate(accurate);
      quantizeAccurate(accurate, accurateMultipliers);
      for (int i = 0; i < 64; ++i) ASSERT_LE(std::abs(fast[i] - accurate[i]), 1) << "quality " << quality;
    }
  }
}

TEST(BlockKernels, QuantiserRoundsHalvesUp) {
  std::uint16_t scaled[64], multipliers[64];
  std::fill_n(scaled, 64, 2);
  scaled[0] = 1;
  prepareQuantAccurate(scaled, multipliers);
  EXPECT_EQ(multipliers[0], 32768);
  std::int16_t block[64] = {};
  block[0] = -1234;  // q = 1 keeps the value
  block[1] = 3;
  block[8] = -3;
  block[9] = 1;
  quantizeAccurate(block, multipliers);
  EXPECT_EQ(block[0], -1234);
  EXPECT_EQ(block[1], 2);
  EXPECT_EQ(block[8], -1);
  EXPECT_EQ(block[9], 1);
}

TEST(BlockKernels, FastQuantiserRaisesTheLastDivisorToTwo) {
  std::uint16_t scaled[64], ones[64], twos[64];
  std::fill_n(scaled, 64, 1);
  prepareQuantFast(scaled, ones);
  scaled[63] = 2;
  prepareQuantFast(scaled, twos);
  EXPECT_EQ(ones[63], twos[63]);
  EXPECT_EQ(ones[0], 4096);
}

TEST(BlockKernels, QualityScaling) {
  std::uint16_t q0[64], q1[64], q50[64], q75[64], q101[64];
  jpegScaleQuantTable(0, kJpegLuminanceQuant, q0);
  jpegScaleQuantTable(1, kJpegLuminanceQuant, q1);
  jpegScaleQuantTable(50, kJpegLuminanceQuant, q50);
  jpegScaleQuantTable(75, kJpegLuminanceQuant, q75);
  jpegScaleQuantTable(101, kJpegLuminanceQuant, q101);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(q0[i], q1[i]);
    EXPECT_EQ(q1[i], std::min(255, kJpegLuminanceQuant[i] * 50));
    EXPECT_EQ(q50[i], kJpegLuminanceQuant[i]);
    EXPECT_EQ(q75[i], (kJpegLuminanceQuant[i] + 1) / 2);
    EXPECT_EQ(q101[i], 1);
  }
  EXPECT_EQ(q75[1], 6);  // 11 -> 6
}

TEST(BlockKernels, CanonicalCodesAndBadTables) {
  JpegHuffmanCodes codes;
  ASSERT_EQ(jpegBuildHuffmanCodes(kJpegAcLuminanceCounts, kJpegAcLuminanceValues, codes), JPEG_SUCCESS);
  EXPECT_EQ(codes.length[0x01], 2u);
  EXPECT_EQ(codes.code[0x01], 0b00);
  EXPECT_EQ(codes.length[0x00], 4u);
  EXPECT_EQ(codes.code[0x00], 0b1010);
  EXPECT_EQ(codes.length[0xF0], 11u);
  EXPECT_EQ(codes.code[0xF0], 0b11111111001);
  EXPECT_EQ(codes.length[0xFA], 16u);
  EXPECT_EQ(codes.code[0xFA], 0xFFFE);

  std::uint8_t values[300] = {};
  for (int i = 0; i < 300; ++i) values[i] = static_cast<std::uint8_t>(i);
  std::uint8_t tooMany[16] = {};
  tooMany[15] = 255;
  tooMany[14] = 2;
  EXPECT_EQ(jpegBuildHuffmanCodes(tooMany, values, codes), JPEG_BAD_HUFFMAN_TABLE);
  std::uint8_t overFull[16] = {3};  // three codes of one bit
  EXPECT_EQ(jpegBuildHuffmanCodes(overFull, values, codes), JPEG_BAD_HUFFMAN_TABLE);
  std::uint8_t twice[16] = {0, 2};
  const std::uint8_t repeated[] = {5, 5};
  EXPECT_EQ(jpegBuildHuffmanCodes(twice, repeated, codes), JPEG_BAD_HUFFMAN_TABLE);
}

// Codes one block with the given coder into memory and returns the bits.
std::string CodedBits(JpegBlockCoder coder, int processorClass, const std::int16_t block[64]) {
  JPEG_PROCESSOR_TABLE table{};
  jpegFillProcessorTable(table, processorClass);
  JpegHuffmanCodes dc, ac;
  jpegBuildHuffmanCodes(kJpegDcLuminanceCounts, kJpegDcLuminanceValues, dc);
  jpegBuildHuffmanCodes(kJpegAcLuminanceCounts, kJpegAcLuminanceValues, ac);
  std::vector<std::uint8_t> buffer(256);
  JpegOutputStream out;
  table.openOutput(out, buffer.data(), buffer.size());
  std::int16_t predictor = 0;
  EXPECT_EQ(coder(out, dc, ac, predictor, block), JPEG_SUCCESS);
  EXPECT_EQ(table.writeOutputBytes(nullptr, 0, out), JPEG_SUCCESS);
  std::string bits;
  for (std::size_t i = 0; i < out.bytesWritten; ++i) {
    for (int b = 7; b >= 0; --b) bits += (buffer[i] >> b & 1) ? '1' : '0';
  }
  return bits;
}

TEST(BlockKernels, HuffmanBlockBitStrings) {
  struct Case {
    const char* name;
    std::initializer_list<std::pair<int, int>> coefficients;  // zigzag index, value
    std::string bits;  // padded with 1s to the byte
  };
  const Case cases[] = {
      {"all zero", {}, "00" "1010" "11"},
      {"17 zeros then 1", {{18, 1}}, "00" "11111111001" "1100" "1" "1010" "11"},
      {"minus one", {{1, -1}}, "00" "00" "0" "1010" "1111111"},
      {"dc 5 then 0/2", {{0, 5}, {1, -2}}, "100" "101" "01" "01" "1010" "11"},
  };
  for (const Case& c : cases) {
    std::int16_t block[64] = {};
    for (const auto& [index, value] : c.coefficients) block[kZigzagToNatural[index]] = static_cast<std::int16_t>(value);
    EXPECT_EQ(CodedBits(encodeBlockHuffman, 0, block), c.bits) << c.name;
    EXPECT_EQ(CodedBits(encodeBlockHuffmanMmx, 6, block), c.bits) << c.name;
    EXPECT_EQ(CodedBits(encodeBlockSse, 5, block), c.bits) << c.name;
  }
}

}  // namespace
