// Decoder block kernels: Huffman decoding against the encoder, bad data,
// progressive procedures on crafted bit strings, dequantisers and inverse
// DCTs against a double-precision inverse.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_processor.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Tables {
  JpegHuffmanCodes dcCodes, acCodes;
  JpegHuffmanDecodeTable dc, ac;
  Tables() {
    jpegBuildHuffmanCodes(kJpegDcLuminanceCounts, kJpegDcLuminanceValues, dcCodes);
    jpegBuildHuffmanCodes(kJpegAcLuminanceCounts, kJpegAcLuminanceValues, acCodes);
    jpegBuildDecodeTable(kJpegDcLuminanceCounts, kJpegDcLuminanceValues, dc);
    jpegBuildDecodeTable(kJpegAcLuminanceCounts, kJpegAcLuminanceValues, ac);
  }
};

// Bits written with the encoder's writer, closed with 1 bits.
struct BitString {
  Bytes buffer = Bytes(1 << 16);
  JpegOutputStream out;
  BitString() { outputBegin(out, buffer.data(), buffer.size()); }
  void Put(std::uint32_t bits, int length) { ASSERT_EQ(putBits(out, bits, length), JPEG_SUCCESS); }
  void Code(const JpegHuffmanCodes& codes, int symbol) {
    Put(codes.code[symbol], static_cast<int>(codes.length[symbol]));
  }
  Bytes Close(const Bytes& tail = {}) {
    EXPECT_EQ(outputWriteBytes(tail.data(), tail.size(), out), JPEG_SUCCESS);
    return Bytes(buffer.begin(), buffer.begin() + out.bytesWritten);
  }
};

TEST(DecodeKernels, BlocksDecodeToTheCoefficientsTheEncoderCoded) {
  const Tables tables;
  std::mt19937 random(3);
  std::uniform_int_distribution<int> sample(-128, 127);
  for (int quality : {1, 50, 75, 100}) {
    std::uint16_t scaled[64], multipliers[64];
    jpegScaleQuantTable(quality, kJpegLuminanceQuant, scaled);
    prepareQuantAccurate(scaled, multipliers);
    std::vector<std::array<std::int16_t, 64>> coded;
    BitString bits;
    std::int16_t predictor = 0;
    for (int b = 0; b < 200; ++b) {
      std::array<std::int16_t, 64> block;
      const int base = sample(random);
      for (auto& value : block) value = static_cast<std::int16_t>(std::clamp(base + sample(random) / 4, -128, 127));
      fdctAccurate(block.data());
      quantizeAccurate(block.data(), multipliers);
      coded.push_back(block);
      ASSERT_EQ(encodeBlockHuffman(bits.out, tables.dcCodes, tables.acCodes, predictor, block.data()), JPEG_SUCCESS);
    }
    const Bytes stream = bits.Close({0xFF, 0xD9});
    JpegInputStream in;
    inputBeginBuffer(in, stream.data(), stream.size());
    predictor = 0;
    for (const auto& expected : coded) {
      std::int16_t block[64];
      ASSERT_EQ(decodeBlockHuffman(in, tables.dc, tables.ac, predictor, block), JPEG_SUCCESS);
      ASSERT_TRUE(std::equal(block, block + 64, expected.begin())) << "quality " << quality;
    }
  }
}

TEST(DecodeKernels, BadDataNeverLeavesTheBlock) {
  const Tables tables;
  struct Case {
    const char* name;
    Bytes stream;
    JPEG_STATUS status;
    int marker;
  };
  // DC category 0 ("00"), then ZRL (11111111001) five times: a run past 63.
  BitString overlong;
  overlong.Code(tables.dcCodes, 0);
  for (int i = 0; i < 5; ++i) overlong.Code(tables.acCodes, 0xF0);
  overlong.Code(tables.acCodes, 0x01);
  overlong.Put(1, 1);
  const Case cases[] = {
      {"run past the block end", overlong.Close(), JPEG_SUCCESS, 0},
      {"codes of 16 ones", Bytes{0x3F, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00}, JPEG_SUCCESS, 0},
      {"data ends after 0xFF", Bytes{0x00, 0xFF}, JPEG_DATA_ERROR, 0},
      {"marker inside the block", Bytes{0x3F, 0xFF, 0xD3, 0x00}, JPEG_SUCCESS, 0xD3},
      {"fill bytes before a marker", Bytes{0x3F, 0xFF, 0xFF, 0xFF, 0xD9}, JPEG_SUCCESS, 0xD9},
      {"empty data", Bytes{}, JPEG_SUCCESS, 0},
  };
  for (const Case& c : cases) {
    JpegInputStream in;
    inputBeginBuffer(in, c.stream.data(), c.stream.size());
    std::int16_t block[64 + 16];
    std::fill(block, block + 80, 0x5A5A);
    std::int16_t predictor = 0;
    EXPECT_EQ(decodeBlockHuffman(in, tables.dc, tables.ac, predictor, block), c.status) << c.name;
    EXPECT_EQ(in.marker, c.marker) << c.name;
    for (int i = 64; i < 80; ++i) ASSERT_EQ(block[i], 0x5A5A) << c.name;
  }
}

TEST(DecodeKernels, DcOnlyKeepsThePredictorAndDropsAc) {
  const Tables tables;
  BitString bits;
  std::int16_t block[64] = {};
  block[0] = 12;
  block[1] = -3;
  std::int16_t predictor = 0;
  ASSERT_EQ(encodeBlockHuffman(bits.out, tables.dcCodes, tables.acCodes, predictor, block), JPEG_SUCCESS);
  block[0] = 20;
  ASSERT_EQ(encodeBlockHuffman(bits.out, tables.dcCodes, tables.acCodes, predictor, block), JPEG_SUCCESS);
  const Bytes stream = bits.Close();
  JpegInputStream in;
  inputBeginBuffer(in, stream.data(), stream.size());
  predictor = 0;
  std::int16_t out[64];
  ASSERT_EQ(decodeBlockDcOnly(in, tables.dc, tables.ac, predictor, out), JPEG_SUCCESS);
  EXPECT_EQ(out[0], 12);
  EXPECT_EQ(out[1], 0);
  ASSERT_EQ(decodeBlockDcOnly(in, tables.dc, tables.ac, predictor, out), JPEG_SUCCESS);
  EXPECT_EQ(predictor, 20);
}

// A small AC table with end-of-band runs: 00 -> 0x12, 01 -> 0x10 (EOB1),
// 10 -> 0x11, 110 -> 0x00 (EOB).
struct ProgressiveTables : Tables {
  const std::uint8_t counts[16] = {0, 3, 1};
  const std::uint8_t values[4] = {0x12, 0x10, 0x11, 0x00};
  ProgressiveTables() {
    jpegBuildHuffmanCodes(counts, values, acCodes);
    jpegBuildDecodeTable(counts, values, ac);
  }
};

TEST(DecodeKernels, ProgressiveProcedures) {
  const ProgressiveTables tables;
  BitString bits;
  // DC first, Al 1: difference 5 (category 3, bits 101).
  bits.Code(tables.dcCodes, 3);
  bits.Put(0b101, 3);
  // DC refinement bit 1.
  bits.Put(1, 1);
  // AC first, Al 0, band 1..5: value -2 at 2 (run 1, size 2: bits 01), then
  // an end-of-band run of 2^1 + 1 = 3 blocks.
  bits.Code(tables.acCodes, 0x12);
  bits.Put(0b01, 2);
  bits.Code(tables.acCodes, 0x10);
  bits.Put(1, 1);
  // AC refinement, Al 0, band 1..5 on the block above: a new +1 after one
  // zero (run 1, size 1, sign 1), passing the non-zero coefficient at 2
  // (correction bit 1), then end of band.
  bits.Code(tables.acCodes, 0x11);
  bits.Put(1, 1);
  bits.Put(1, 1);
  bits.Code(tables.acCodes, 0x00);
  const Bytes stream = bits.Close();

  JpegInputStream in;
  inputBeginBuffer(in, stream.data(), stream.size());
  std::int16_t block[64] = {};
  std::int16_t predictor = 0;
  ASSERT_EQ(decodeDcFirst(in, tables.dc, block, predictor, 1), JPEG_SUCCESS);
  EXPECT_EQ(block[0], 10);
  ASSERT_EQ(decodeDcRefine(in, block, 0), JPEG_SUCCESS);
  EXPECT_EQ(block[0], 11);

  int eobRun = 0;
  ASSERT_EQ(decodeAcFirst(in, block, tables.ac, 1, 5, 0, eobRun), JPEG_SUCCESS);
  EXPECT_EQ(block[kZigzagToNatural[2]], -2);
  EXPECT_EQ(eobRun, 2);
  std::int16_t skipped[64] = {};
  ASSERT_EQ(decodeAcFirst(in, skipped, tables.ac, 1, 5, 0, eobRun), JPEG_SUCCESS);
  ASSERT_EQ(decodeAcFirst(in, skipped, tables.ac, 1, 5, 0, eobRun), JPEG_SUCCESS);
  EXPECT_EQ(eobRun, 0);

  ASSERT_EQ(decodeAcRefine(in, block, tables.ac, 1, 5, 0, eobRun), JPEG_SUCCESS);
  EXPECT_EQ(block[kZigzagToNatural[1]], 0);
  EXPECT_EQ(block[kZigzagToNatural[2]], -3);  // corrected away from zero
  EXPECT_EQ(block[kZigzagToNatural[3]], 1);
  EXPECT_EQ(eobRun, 0);
  EXPECT_EQ(decodeAcFirst(in, block, tables.ac, 1, 64, 0, eobRun), JPEG_DATA_ERROR);
}

void ReferenceIdct(const double coefficients[64], double out[64], int n) {
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double sum = 0.0;
      for (int v = 0; v < n; ++v) {
        for (int u = 0; u < n; ++u) {
          const double cu = u == 0 ? M_SQRT1_2 : 1.0, cv = v == 0 ? M_SQRT1_2 : 1.0;
          sum += 0.25 * cu * cv * coefficients[v * 8 + u] * std::cos((2 * x + 1) * u * M_PI / (2 * n)) *
                 std::cos((2 * y + 1) * v * M_PI / (2 * n));
        }
      }
      out[y * n + x] = std::clamp(std::round(sum + 128.0), 0.0, 255.0);
    }
  }
}

// The full inverse averaged over each (8 / n) x (8 / n) pixel group, before
// the level shift is clamped.
void GroupMeanIdct(const double coefficients[64], double out[64], int n) {
  const int group = 8 / n;
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      double sum = 0.0;
      for (int py = y * group; py < (y + 1) * group; ++py) {
        for (int px = x * group; px < (x + 1) * group; ++px) {
          for (int v = 0; v < 8; ++v) {
            for (int u = 0; u < 8; ++u) {
              const double cu = u == 0 ? M_SQRT1_2 : 1.0, cv = v == 0 ? M_SQRT1_2 : 1.0;
              sum += 0.25 * cu * cv * coefficients[v * 8 + u] * std::cos((2 * px + 1) * u * M_PI / 16) *
                     std::cos((2 * py + 1) * v * M_PI / 16);
            }
          }
        }
      }
      out[y * n + x] = std::clamp(std::round(sum / (group * group) + 128.0), 0.0, 255.0);
    }
  }
}

TEST(DecodeKernels, InverseDctsFollowTheExactInverse) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> coefficient(-300, 300);
  std::uint16_t ones[64];
  std::fill_n(ones, 64, 1);
  std::int32_t plain[80], fastTable[80];
  prepareDequantTablePlain(ones, plain);
  prepareDequantTableScaled(ones, fastTable);
  const JpegBlockTransform accurate[3] = {idctAccurate, idctAccurate4x4, idctAccurate2x2};
  const JpegBlockTransform fast[3] = {idctFast, idctFast4x4, idctFast2x2};
  for (int trial = 0; trial < 300; ++trial) {
    std::int16_t source[64];
    for (int i = 0; i < 64; ++i) source[i] = static_cast<std::int16_t>(coefficient(random) / (1 + i / 4));
    for (int size = 0; size < 3; ++size) {
      const int n = 8 >> size;
      // The accurate reduced inverses give each pixel group the mean of the
      // full inverse; the fast ones sample the low frequencies at the group
      // centres.
      double exact[64], expected[64], fastExpected[64];
      for (int i = 0; i < 64; ++i) exact[i] = source[i];
      GroupMeanIdct(exact, expected, n);
      ReferenceIdct(exact, fastExpected, n);
      std::int16_t a[64], f[64];
      std::copy_n(source, 64, a);
      std::copy_n(source, 64, f);
      dequantizeAccurate(a, plain);
      accurate[size](a);
      dequantizeFast(f, fastTable);
      fast[size](f);
      for (int i = 0; i < n * n; ++i) {
        ASSERT_LE(std::abs(a[i] - expected[i]), 1) << "accurate size " << n << " sample " << i;
        ASSERT_LE(std::abs(f[i] - fastExpected[i]), 2) << "fast size " << n << " sample " << i;
      }
    }
  }
}

TEST(DecodeKernels, FlatBlockKeepsItsLevelAtEverySize) {
  std::uint16_t ones[64];
  std::fill_n(ones, 64, 1);
  std::int32_t fastTable[80];
  prepareDequantTableScaled(ones, fastTable);
  const JpegBlockTransform accurate[4] = {idctAccurate, idctAccurate4x4, idctAccurate2x2, idctAccurate1x1};
  const JpegBlockTransform fast[4] = {idctFast, idctFast4x4, idctFast2x2, idctFast1x1};
  for (int dc : {-1024, -200, 0, 37, 1016}) {
    const int level = std::clamp(static_cast<int>(std::lround(dc / 8.0)) + 128, 0, 255);
    for (int size = 0; size < 4; ++size) {
      const int n = 8 >> size;
      std::int16_t a[64] = {}, f[64] = {};
      a[0] = f[0] = static_cast<std::int16_t>(dc);
      accurate[size](a);
      dequantizeFast(f, fastTable);
      fast[size](f);
      for (int i = 0; i < n * n; ++i) {
        ASSERT_NEAR(a[i], level, 1) << "dc " << dc << " size " << n;
        ASSERT_NEAR(f[i], level, 1) << "dc " << dc << " size " << n;
      }
    }
  }
}

TEST(DecodeKernels, BadTablesAreRefused) {
  JpegHuffmanDecodeTable table;
  std::uint8_t values[300] = {};
  std::uint8_t tooMany[16] = {};
  tooMany[15] = 255;
  tooMany[13] = 3;
  EXPECT_EQ(jpegBuildDecodeTable(tooMany, values, table), JPEG_BAD_HUFFMAN_TABLE);
  std::uint8_t overFull[16] = {1, 3};
  EXPECT_EQ(jpegBuildDecodeTable(overFull, values, table), JPEG_BAD_HUFFMAN_TABLE);
}

}  // namespace
