// Block Huffman coders of the SIMD classes: the plain, list and
// register-held coders (portable and vector forms) write the same bytes,
// the non-zero list of both forms is the same, and the register-held bit
// writer stuffs, pushes back and fails as its callers need.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_output.h"
#include "jpeglib/simd/huffman_bits.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

using Coder = JPEG_STATUS (*)(JpegOutputStream&, const JpegHuffmanCodes&, const JpegHuffmanCodes&, std::int16_t&,
                              const std::int16_t*);

struct Realisation {
  const char* name;
  Coder coder;
  bool bytewise;  // the plain set's writer
};
const Realisation kRealisations[] = {
    {"plain", encodeBlockHuffman, true},
    {"list", encodeBlockHuffmanMmx, false},
    {"list portable", simd_portable::encodeBlockHuffmanMmx, false},
    {"register-held", encodeBlockSse, false},
    {"register-held portable", simd_portable::encodeBlockSse, false},
};

struct Tables {
  JpegHuffmanCodes dc, ac;
};

Tables DefaultTables() {
  Tables tables;
  jpegBuildHuffmanCodes(kJpegDcLuminanceCounts, kJpegDcLuminanceValues, tables.dc);
  jpegBuildHuffmanCodes(kJpegAcLuminanceCounts, kJpegAcLuminanceValues, tables.ac);
  return tables;
}

// A valid table over every symbol of `symbols`, with random code lengths
// (a random Kraft-complete split of the code space, at most 16 bits).
JpegHuffmanCodes RandomTable(std::mt19937& random, std::vector<std::uint8_t> symbols) {
  std::shuffle(symbols.begin(), symbols.end(), random);
  // Start from a flat code and split random leaves until every symbol has one.
  std::vector<int> lengths = {1, 1};
  while (lengths.size() < symbols.size()) {
    std::vector<int> splittable;
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      if (lengths[i] < 16) splittable.push_back(static_cast<int>(i));
    }
    const int at = splittable[std::uniform_int_distribution<int>(0, static_cast<int>(splittable.size()) - 1)(random)];
    ++lengths[at];
    lengths.push_back(lengths[at]);
  }
  std::uint8_t counts[16] = {};
  std::vector<std::pair<int, std::uint8_t>> byLength;
  for (std::size_t i = 0; i < symbols.size(); ++i) byLength.emplace_back(lengths[i], symbols[i]);
  std::stable_sort(byLength.begin(), byLength.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::uint8_t> values;
  for (const auto& [length, symbol] : byLength) {
    ++counts[length - 1];
    values.push_back(symbol);
  }
  JpegHuffmanCodes codes;
  EXPECT_EQ(jpegBuildHuffmanCodes(counts, values.data(), codes), JPEG_SUCCESS);
  return codes;
}

Tables RandomTables(std::mt19937& random) {
  std::vector<std::uint8_t> dcSymbols(12), acSymbols;
  std::iota(dcSymbols.begin(), dcSymbols.end(), 0);
  for (int run = 0; run < 16; ++run) {
    for (int size = 1; size <= 10; ++size) acSymbols.push_back(static_cast<std::uint8_t>(run << 4 | size));
  }
  acSymbols.push_back(0x00);
  acSymbols.push_back(0xF0);
  return {RandomTable(random, dcSymbols), RandomTable(random, acSymbols)};
}

// A quantised block: mostly zeros, values up to 10 bits, DC up to 11 bits.
void RandomBlock(std::mt19937& random, std::int16_t block[64]) {
  std::uniform_int_distribution<int> density(0, 3), chance(0, 99), dc(-1024, 1023), bits(1, 10), sign(0, 1);
  const int percent = std::array<int, 4>{2, 10, 40, 95}[density(random)];
  block[0] = static_cast<std::int16_t>(dc(random));
  for (int i = 1; i < 64; ++i) {
    int value = 0;
    if (chance(random) < percent) {
      const int magnitude = std::uniform_int_distribution<int>(1, (1 << bits(random)) - 1)(random);
      value = sign(random) ? -magnitude : magnitude;
    }
    block[i] = static_cast<std::int16_t>(value);
  }
}

// Codes blocks one after another into memory and closes the data.
std::vector<std::uint8_t> CodeBlocks(const Realisation& realisation, const Tables& tables,
                                     const std::vector<std::array<std::int16_t, 64>>& blocks) {
  std::vector<std::uint8_t> buffer(blocks.size() * 200 + 64);
  JpegOutputStream out;
  (realisation.bytewise ? outputBegin : outputBeginWide)(out, buffer.data(), buffer.size());
  std::int16_t predictor = 0;
  for (const auto& block : blocks) {
    EXPECT_EQ(realisation.coder(out, tables.dc, tables.ac, predictor, block.data()), JPEG_SUCCESS);
  }
  EXPECT_EQ((realisation.bytewise ? outputWriteBytes : outputWriteBytesWide)(nullptr, 0, out), JPEG_SUCCESS);
  buffer.resize(out.bytesWritten);
  return buffer;
}

TEST(SimdHuffman, EveryRealisationWritesTheSameBytes) {
  std::mt19937 random(21);
  for (int round = 0; round < 60; ++round) {
    const Tables tables = round == 0 ? DefaultTables() : RandomTables(random);
    std::vector<std::array<std::int16_t, 64>> blocks(40);
    for (auto& block : blocks) RandomBlock(random, block.data());
    // Runs of equal DC values make zero differences.
    blocks[3][0] = blocks[2][0];
    const std::vector<std::uint8_t> expected = CodeBlocks(kRealisations[0], tables, blocks);
    for (const Realisation& realisation : kRealisations) {
      EXPECT_EQ(CodeBlocks(realisation, tables, blocks), expected) << realisation.name << " round " << round;
    }
  }
}

TEST(SimdHuffman, VectorListMatchesThePortableList) {
  std::mt19937 random(22);
  for (int trial = 0; trial < 5000; ++trial) {
    std::int16_t block[64];
    RandomBlock(random, block);
    if (trial % 7 == 0) std::fill_n(block + 1, 63, static_cast<std::int16_t>(0));
    if (trial % 11 == 0) block[kZigzagToNatural[63]] = -32768;
    const int dcDifference = trial % 5 == 0 ? 0 : block[0] - 17;
    JpegNonZeroList portable{}, vector{};
    simd_portable::collectNonZeroMmx(block, dcDifference, portable);
    collectNonZeroMmx(block, dcDifference, vector);
    ASSERT_EQ(vector.count, portable.count) << trial;
    ASSERT_EQ(vector.trailingZeros, portable.trailingZeros) << trial;
    for (int i = 0; i < portable.count; ++i) {
      ASSERT_EQ(vector.valueBits[i], portable.valueBits[i]) << trial << " entry " << i;
      ASSERT_EQ(vector.zerosBefore[i], portable.zerosBefore[i]) << trial << " entry " << i;
      ASSERT_EQ(vector.category[i], portable.category[i]) << trial << " entry " << i;
    }
  }
}

TEST(SimdHuffman, ListEntriesCarryCategoriesAndValueBits) {
  struct Case {
    int value;
    int category;
    int valueBits;  // low `category` bits
  };
  const Case cases[] = {{1, 1, 1}, {-1, 1, 0}, {2, 2, 2}, {-2, 2, 1}, {1024, 11, 1024},
                        {-1024, 11, 1023}, {2047, 11, 2047}, {-32768, 16, 32767}};
  for (const Case& c : cases) {
    for (auto collect : {collectNonZeroMmx, simd_portable::collectNonZeroMmx}) {
      std::int16_t block[64] = {};
      JpegNonZeroList list{};
      collect(block, c.value, list);  // as the DC difference
      ASSERT_EQ(list.count, 1);
      EXPECT_EQ(list.zerosBefore[0], 0u);
      EXPECT_EQ(list.trailingZeros, 63);
      EXPECT_EQ(list.category[0], c.category) << c.value;
      EXPECT_EQ(list.valueBits[0] & ((1 << c.category) - 1), c.valueBits) << c.value;
    }
  }
}

// The coded bits, without the 0x00 stuffed after each 0xFF.
std::string Bits(const std::vector<std::uint8_t>& bytes) {
  std::string bits;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && bytes[i - 1] == 0xFF && bytes[i] == 0x00) continue;
    for (int b = 7; b >= 0; --b) bits += (bytes[i] >> b & 1) ? '1' : '0';
  }
  return bits;
}

TEST(SimdHuffman, EdgeBlocksCodeAsT81Gives) {
  // Default luminance tables: DC category 0 "00", 11 "111111110"; EOB "1010",
  // ZRL "11111111001", 0xE1 "1111111111101011", 0x01 "00".
  struct Case {
    const char* name;
    std::initializer_list<std::pair<int, int>> coefficients;  // zigzag index, value
    std::string bits;  // padded with 1s to the byte
  };
  const std::string zrl = "11111111001";
  const Case cases[] = {
      {"all zero", {}, "00" "1010" "11"},
      {"last at 63", {{63, 1}}, "00" + zrl + zrl + zrl + "1111111111101011" "1" "1111"},
      {"minus one", {{1, -1}}, "00" "00" "0" "1010" "1111111"},
      {"plus one", {{1, 1}}, "00" "00" "1" "1010" "1111111"},
      {"dc 1024", {{0, 1024}}, "111111110" "10000000000" "1010"},
      {"17 zeros then 1", {{18, 1}}, "00" + zrl + "1100" "1" "1010" "11"},
  };
  const Tables tables = DefaultTables();
  for (const Case& c : cases) {
    std::array<std::int16_t, 64> block{};
    for (const auto& [index, value] : c.coefficients) block[kZigzagToNatural[index]] = static_cast<std::int16_t>(value);
    for (const Realisation& realisation : kRealisations) {
      EXPECT_EQ(Bits(CodeBlocks(realisation, tables, {block})), c.bits) << c.name << " " << realisation.name;
    }
  }
}

struct HeldWriter {
  std::vector<std::uint8_t> buffer;
  JpegOutputStream out;
  JpegHeldBits bits{0, 0};
  explicit HeldWriter(std::size_t size) : buffer(size, 0xEE) { outputBeginWide(out, buffer.data(), buffer.size()); }
  std::vector<std::uint8_t> Stored() const { return {buffer.begin(), buffer.begin() + out.bytesWritten}; }
};

TEST(SimdHuffman, HeldWriterStuffsAndPushesBackTheFourthByte) {
  HeldWriter writer(64);
  // 0xFF 0xFF 0xFF then 0x12 0x34 0x56 0x78 0x9A: the first group is
  // FF 00 FF 00, the second FF 00 12 34, the third plain.
  ASSERT_EQ(putBitsSse(writer.bits, 0xFFFFFF12, 32, writer.out), JPEG_SUCCESS);
  ASSERT_EQ(putBitsSse(writer.bits, 0x3456789A, 32, writer.out), JPEG_SUCCESS);
  ASSERT_EQ(putBitsSse(writer.bits, 0xBCDE, 16, writer.out), JPEG_SUCCESS);
  EXPECT_EQ(writer.Stored(), (std::vector<std::uint8_t>{0xFF, 0x00, 0xFF, 0x00}));
  ASSERT_EQ(putBitsSse(writer.bits, 0xF0F0F0F0, 32, writer.out), JPEG_SUCCESS);
  EXPECT_EQ(writer.Stored(),
            (std::vector<std::uint8_t>{0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));

  // A group whose fourth output byte is 0xFF keeps its 0x00 for the next group.
  HeldWriter pushed(64);
  ASSERT_EQ(putBitsSse(pushed.bits, 0x123456FF, 32, pushed.out), JPEG_SUCCESS);
  ASSERT_EQ(putBitsSse(pushed.bits, 0xABCDEF01, 32, pushed.out), JPEG_SUCCESS);
  ASSERT_EQ(putBitsSse(pushed.bits, 0x1, 1, pushed.out), JPEG_SUCCESS);
  EXPECT_EQ(pushed.Stored(), (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0xFF}));
  EXPECT_EQ(pushed.bits.held, 32 + 8 + 1);
  pushed.out.accumulator = pushed.bits.accumulator;
  pushed.out.bitsHeld = pushed.bits.held;
  ASSERT_EQ(flushBitsAndCopy(pushed.out, nullptr, 0), JPEG_SUCCESS);
  EXPECT_EQ(pushed.Stored(), (std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0xFF, 0x00, 0xAB, 0xCD, 0xEF, 0x01, 0xFF,
                                                        0x00}));
}

TEST(SimdHuffman, HeldWriterMakesRoomUntilLongWritesFit) {
  // Held 60 bits of 0xFF bytes: one group frees only 16 bits, so a 32-bit
  // write needs a second group.
  HeldWriter writer(64);
  ASSERT_EQ(putBitsSse(writer.bits, 0xFFFFFFFF, 32, writer.out), JPEG_SUCCESS);
  ASSERT_EQ(putBitsSse(writer.bits, 0xFFFFFFF, 28, writer.out), JPEG_SUCCESS);
  ASSERT_EQ(putBitsSse(writer.bits, 0x0, 32, writer.out), JPEG_SUCCESS);
  EXPECT_LE(writer.bits.held, 64);
  writer.out.accumulator = writer.bits.accumulator;
  writer.out.bitsHeld = writer.bits.held;
  ASSERT_EQ(flushBitsAndCopy(writer.out, nullptr, 0), JPEG_SUCCESS);
  std::vector<std::uint8_t> expected;
  for (int i = 0; i < 7; ++i) expected.insert(expected.end(), {0xFF, 0x00});
  expected.insert(expected.end(), {0xF0, 0x00, 0x00, 0x00, 0x0F});
  EXPECT_EQ(writer.Stored(), expected);
}

TEST(SimdHuffman, FullMemoryOutputKeepsTheUnsentBits) {
  HeldWriter writer(3);
  ASSERT_EQ(putBitsSse(writer.bits, 0x11223344, 32, writer.out), JPEG_SUCCESS);
  ASSERT_EQ(putBitsSse(writer.bits, 0x55667788, 32, writer.out), JPEG_SUCCESS);
  const JpegHeldBits before = writer.bits;
  EXPECT_EQ(putBitsSse(writer.bits, 0x1, 1, writer.out), JPEG_OUTPUT_TOO_SMALL);
  EXPECT_EQ(writer.bits.accumulator, before.accumulator);
  EXPECT_EQ(writer.bits.held, 64);
  EXPECT_EQ(writer.out.bytesWritten, 0u);
  EXPECT_EQ(writer.buffer, std::vector<std::uint8_t>(3, 0xEE));

  // The block coder stores its accumulator back on the failure too.
  HeldWriter coder(2);
  coder.out.accumulator = 0xABCDABCDABCDABCDull;
  coder.out.bitsHeld = 64;
  const Tables tables = DefaultTables();
  std::int16_t block[64] = {};
  std::int16_t predictor = 0;
  EXPECT_EQ(encodeBlockSse(coder.out, tables.dc, tables.ac, predictor, block), JPEG_OUTPUT_TOO_SMALL);
  EXPECT_EQ(coder.out.accumulator, 0xABCDABCDABCDABCDull);
  EXPECT_EQ(coder.out.bitsHeld, 64);
}

TEST(SimdHuffman, SymbolsMissingFromATableFailInEveryRealisation) {
  // A DC table without category 11 cannot code a difference of 1024.
  Tables tables = DefaultTables();
  tables.dc.length[11] = 0;
  std::array<std::int16_t, 64> block{};
  block[0] = 1024;
  for (const Realisation& realisation : kRealisations) {
    std::vector<std::uint8_t> buffer(64);
    JpegOutputStream out;
    (realisation.bytewise ? outputBegin : outputBeginWide)(out, buffer.data(), buffer.size());
    std::int16_t predictor = 0;
    EXPECT_EQ(realisation.coder(out, tables.dc, tables.ac, predictor, block.data()), JPEG_BAD_HUFFMAN_TABLE)
        << realisation.name;
  }
}

}  // namespace
