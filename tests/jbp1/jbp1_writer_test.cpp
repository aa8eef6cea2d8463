// The writer's building blocks: value coding, the AC symbol alphabet, the
// Huffman trees, count packing and bit packing.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/jbp1_format.h"
#include "common/jbp1_huffman_tree.h"
#include "converter/jbp1/jbp1_bit_writer.h"
#include "converter/jbp1/jbp1_record_writer.h"
#include "converter/jbp1/jbp1_symbols.h"

using reelpack::CollectAcRuns;
using reelpack::JbpAcCursor;
using reelpack::JbpAcEntry;
using reelpack::JbpAcSymbol;
using reelpack::JbpBitWriter;
using reelpack::JbpCodedValue;
using reelpack::JbpPictureSource;
using reelpack::MagnitudeCategory;
using reelpack::NextAcSymbol;
using reelpack::PutHuffmanCode;
using reelpack::SplitCoefficient;
using reelpack::WriteJbpRecord;
using reelpack::kJbpMaxAcEntriesPerBlock;

namespace {

// Symbols of one block's AC coefficients, given as (zigzag position, value).
std::vector<int> SymbolsOf(const std::vector<std::pair<int, int>>& coefficients) {
  std::int16_t block[64] = {};
  for (const auto& [k, value] : coefficients) block[kZigzagToNatural[k]] = static_cast<std::int16_t>(value);
  JbpAcEntry entries[kJbpMaxAcEntriesPerBlock];
  const std::size_t count = CollectAcRuns(block, entries);
  std::vector<int> symbols;
  JbpAcCursor cursor;
  while (cursor.position < count) symbols.push_back(NextAcSymbol(entries, cursor).symbol);
  return symbols;
}

// The code of a symbol as text, root bit first.
std::string CodeOf(int symbol, const JbpHuffmanTree& tree) {
  std::uint8_t bytes[64] = {};
  JbpBitWriter writer;
  writer.Init(bytes, sizeof bytes);
  PutHuffmanCode(symbol, tree, writer);
  std::string code;
  int node = symbol;
  int length = 0;
  while (node != tree.Root()) {
    node = tree.parent[node] < 0 ? -tree.parent[node] : tree.parent[node];
    ++length;
  }
  writer.Flush();
  for (int k = 0; k < length; ++k) code += static_cast<char>('0' + ((bytes[k / 8] >> (k % 8)) & 1));
  return code;
}

// Both ends share the zigzag table, so round trips cannot catch a wrong
// entry: walk the anti-diagonals here instead.
TEST(Jbp1Format, ZigzagRunsAlongTheAntiDiagonals) {
  std::vector<int> expected;
  for (int sum = 0; sum < 15; ++sum) {
    for (int i = 0; i <= sum; ++i) {
      const int row = sum % 2 == 0 ? sum - i : i;
      const int column = sum - row;
      if (row < 8 && column < 8) expected.push_back(8 * row + column);
    }
  }
  EXPECT_EQ(std::vector<int>(kZigzagToNatural, kZigzagToNatural + 64), expected);
}

TEST(Jbp1Symbols, ZeroRunsAndBlockEndsGiveTheirSymbols) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> coefficients;
    std::vector<int> symbols;
  };
  const Case cases[] = {
      {"all zero", {}, {0x00}},
      {"only coefficient 63", {{63, 1}}, {0xFF, 0xFF, 0x21}},
      {"first coefficient, then end", {{1, -3}}, {0x02, 0x00}},
      {"run 14", {{15, 5}}, {0xE3, 0x00}},
      {"run 15", {{16, 5}}, {0xF0, 0x03, 0x00}},
      {"run 30", {{31, 5}}, {0xFF, 0x03, 0x00}},
      {"run 31", {{32, 5}}, {0xFF, 0x13, 0x00}},
      {"run 45", {{46, 5}}, {0xFF, 0xF0, 0x03, 0x00}},
      {"ends on coefficient 63", {{1, 1}, {63, -1}}, {0x01, 0xFF, 0xFF, 0x11}},
      {"category 15", {{2, 20000}}, {0x1F, 0x00}},
  };
  for (const Case& c : cases) EXPECT_EQ(SymbolsOf(c.coefficients), c.symbols) << c.name;
}

TEST(Jbp1Symbols, ValueBitsFollowTheSymbolOfTheirCoefficient) {
  std::int16_t block[64] = {};
  block[kZigzagToNatural[40]] = -6;  // run 39: 0xFF, then 0x93
  JbpAcEntry entries[kJbpMaxAcEntriesPerBlock];
  const std::size_t count = CollectAcRuns(block, entries);
  JbpAcCursor cursor;
  const JbpAcSymbol first = NextAcSymbol(entries, cursor);
  const JbpAcSymbol second = NextAcSymbol(entries, cursor);
  EXPECT_EQ(first.symbol, 0xFF);
  EXPECT_EQ(first.valueBitCount, 0);
  EXPECT_EQ(second.symbol, 0x93);
  EXPECT_EQ(second.valueBitCount, 3);
  EXPECT_EQ(second.valueBits, 0b001u);
  EXPECT_EQ(NextAcSymbol(entries, cursor).symbol, 0x00);
  EXPECT_EQ(cursor.position, count);
}

TEST(Jbp1Symbols, CategoryAndValueBits) {
  struct Case {
    int value, category;
    std::uint32_t bits;
  };
  const Case cases[] = {{0, 0, 0},          {-1, 1, 0},        {1, 1, 1},          {-3, 2, 0b00},
                        {3, 2, 0b11},       {5, 3, 0b101},     {-4, 3, 0b011},     {16383, 14, 0x3FFF},
                        {16384, 15, 16384}, {-16384, 15, 16383}, {32767, 15, 32767}, {-32767, 15, 0}};
  for (const Case& c : cases) {
    const JbpCodedValue coded = SplitCoefficient(c.value);
    EXPECT_EQ(coded.category, c.category) << c.value;
    EXPECT_EQ(MagnitudeCategory(c.value), c.category) << c.value;
    EXPECT_EQ(coded.bits, c.bits) << c.value;
  }
}

TEST(Jbp1HuffmanTree, EqualCountsGiveFixedLengthCodes) {
  const std::uint32_t counts[16] = {};
  JbpHuffmanTree tree;
  EXPECT_EQ(BuildHuffmanTree(16, counts, tree), 31);
  EXPECT_EQ(tree.Root(), 30);
  for (int i = 0; i < 16; ++i) {
    std::string expected;
    for (int bit = 3; bit >= 0; --bit) expected += static_cast<char>('0' + ((i >> bit) & 1));
    EXPECT_EQ(CodeOf(i, tree), expected) << i;
  }
  const std::uint32_t acCounts[256] = {};
  JbpHuffmanTree acTree;
  EXPECT_EQ(BuildHuffmanTree(256, acCounts, acTree), 511);
  EXPECT_EQ(acTree.Root(), 510);
}

TEST(Jbp1HuffmanTree, TiesGoToSymbolsThenOlderNodes) {
  const std::uint32_t counts[16] = {5, 5, 1};
  JbpHuffmanTree tree;
  BuildHuffmanTree(16, counts, tree);
  EXPECT_EQ(CodeOf(1, tree), "0");
  EXPECT_EQ(CodeOf(0, tree), "11");
  EXPECT_EQ(CodeOf(2, tree), "101");
  EXPECT_EQ(CodeOf(3, tree), "1000110");
}

TEST(Jbp1HuffmanTree, CountsNearTheTopOfUint32StillGiveACompleteTree) {
  std::uint32_t counts[256];
  for (int i = 0; i < 256; ++i) counts[i] = 0xFFFFFFF0u - static_cast<std::uint32_t>(i);
  JbpHuffmanTree tree;
  EXPECT_EQ(BuildHuffmanTree(256, counts, tree), 511);
  // Every symbol reaches the root.
  for (int symbol = 0; symbol < 256; ++symbol) EXPECT_FALSE(CodeOf(symbol, tree).empty());
}

// The joining rule spelt out step by step: scan every node not yet joined
// for the lowest two by weight, the lower index first on equal weights.
JbpHuffmanTree TreeByScanning(int n, const std::uint32_t* counts) {
  std::vector<std::uint64_t> weights(counts, counts + n);
  std::vector<bool> joined(static_cast<std::size_t>(n));
  JbpHuffmanTree tree;
  tree.leafCount = n;
  for (;;) {
    int lowest[2] = {-1, -1};
    for (int i = 0; i < static_cast<int>(weights.size()); ++i) {
      if (joined[i]) continue;
      if (lowest[0] < 0 || weights[i] < weights[lowest[0]]) {
        lowest[1] = lowest[0];
        lowest[0] = i;
      } else if (lowest[1] < 0 || weights[i] < weights[lowest[1]]) {
        lowest[1] = i;
      }
    }
    if (lowest[1] < 0) break;
    const auto inner = static_cast<std::int16_t>(weights.size());
    tree.child[0][inner] = static_cast<std::int16_t>(lowest[0]);
    tree.child[1][inner] = static_cast<std::int16_t>(lowest[1]);
    tree.parent[lowest[0]] = inner;
    tree.parent[lowest[1]] = static_cast<std::int16_t>(-inner);
    joined[lowest[0]] = joined[lowest[1]] = true;
    weights.push_back(weights[lowest[0]] + weights[lowest[1]]);
    joined.push_back(false);
  }
  tree.nodeCount = static_cast<int>(weights.size());
  return tree;
}

// Count sets with many equal weights (small ranges, zeros), skewed ones with
// long codes and ones near the top of uint32, for both alphabets.
TEST(Jbp1HuffmanTree, BuildGivesTheTreeOfTheStepByStepRule) {
  std::mt19937 random(17);
  for (int set = 0; set < 1500; ++set) {
    const int n = set % 2 == 0 ? kJbpDcSymbols : kJbpAcSymbols;
    std::uint32_t counts[kJbpAcSymbols];
    for (int i = 0; i < n; ++i) {
      switch (set % 5) {
        case 0: counts[i] = random() % 3; break;
        case 1: counts[i] = random() % 40 == 0 ? random() % 1000 : 0; break;
        case 2: counts[i] = std::uint32_t{1} << (random() % 32); break;
        case 3: counts[i] = 0xFFFFFFFFu - random() % 4; break;
        default: counts[i] = static_cast<std::uint32_t>(random()) >> (random() % 32); break;
      }
    }
    SCOPED_TRACE(testing::Message() << "set " << set);
    const JbpHuffmanTree expected = TreeByScanning(n, counts);
    JbpHuffmanTree built;
    ASSERT_EQ(BuildHuffmanTree(n, counts, built), expected.nodeCount);
    ASSERT_EQ(built.leafCount, n);
    ASSERT_TRUE(std::equal(built.parent, built.parent + JbpHuffmanTree::kMaxNodes, expected.parent));
    ASSERT_TRUE(std::equal(built.child[0], built.child[0] + JbpHuffmanTree::kMaxNodes, expected.child[0]));
    ASSERT_TRUE(std::equal(built.child[1], built.child[1] + JbpHuffmanTree::kMaxNodes, expected.child[1]));
  }
}

TEST(Jbp1CountPacking, PacksZeroRunsAndRoundTrips) {
  std::uint8_t packed[kJbpMaxPackedAcCountBytes];
  std::uint32_t counts[256] = {};
  ASSERT_EQ(PackAcCounts(counts, packed), 8u);
  EXPECT_EQ(std::vector<std::uint8_t>(packed, packed + 8), (std::vector<std::uint8_t>{0, 255, 0, 255, 0, 255, 0, 255}));

  counts[1] = 0x07;  // byte 4
  ASSERT_EQ(PackAcCounts(counts, packed), 11u);
  EXPECT_EQ(std::vector<std::uint8_t>(packed, packed + 11),
            (std::vector<std::uint8_t>{0, 3, 7, 0, 255, 0, 255, 0, 255, 0, 250}));

  // Alternating zero and non-zero bytes: the worst case.
  for (auto& count : counts) count = 0x00010001;
  EXPECT_EQ(PackAcCounts(counts, packed), kJbpMaxPackedAcCountBytes);

  const std::uint32_t cases[][3] = {{0, 0, 0}, {1, 0x100, 0x10000}, {0xFFFFFFFF, 0, 0x80}};
  for (const auto& sample : cases) {
    std::uint32_t original[256] = {};
    for (int i = 0; i < 256; ++i) original[i] = sample[i % 3] + (i == 200 ? 9 : 0);
    const std::size_t length = PackAcCounts(original, packed);
    std::uint32_t unpacked[256];
    ASSERT_EQ(UnpackAcCounts(packed, length, unpacked), length);
    EXPECT_EQ(std::vector<std::uint32_t>(unpacked, unpacked + 256), std::vector<std::uint32_t>(original, original + 256));
    EXPECT_EQ(UnpackAcCounts(packed, length - 1, unpacked), 0u) << "a cut packed table is refused";
  }
}

TEST(Jbp1CountPacking, ZeroRunPastTheTableEndStopsThere) {
  const std::uint8_t packed[] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
  std::uint32_t counts[256];
  EXPECT_EQ(UnpackAcCounts(packed, sizeof packed, counts), 8u);
  const std::uint8_t overlong[] = {0, 255, 0, 255, 0, 255, 5, 0, 255, 7};
  EXPECT_EQ(UnpackAcCounts(overlong, sizeof overlong, counts), 9u);
  EXPECT_EQ(counts[192], 5u);
}

TEST(Jbp1BitWriter, FillsWordsFromTheLeastSignificantBit) {
  std::uint8_t bytes[16] = {};
  JbpBitWriter writer;
  writer.Init(bytes, sizeof bytes);
  writer.PutBits(3, 0b110);  // stream bits 1, 1, 0
  writer.Flush();
  EXPECT_EQ(writer.BytesStored(), 4u);
  EXPECT_EQ(ReadLe32(bytes), 0b011u);

  struct Case {
    int bits;
    std::size_t bytes;
  };
  for (const Case c : {Case{0, 0}, Case{32, 4}, Case{64, 8}, Case{65, 12}}) {
    writer.Init(bytes, sizeof bytes);
    for (int k = 0; k < c.bits; ++k) writer.PutBit(k == 33 ? 1 : 0);
    writer.Flush();
    EXPECT_EQ(writer.BytesStored(), c.bytes) << c.bits;
    if (c.bits > 33) {
      EXPECT_EQ(ReadLe32(bytes + 4), 2u) << "bit 33 lies in word 1 at bit 1";
    }
  }
}

TEST(Jbp1BitWriter, StopsAtItsCapacity) {
  std::uint8_t bytes[8] = {};
  JbpBitWriter writer;
  writer.Init(bytes, 4);
  writer.PutBits(32, 0xFFFFFFFF);
  EXPECT_FALSE(writer.Overflowed());
  writer.PutBits(32, 0xFFFFFFFF);
  writer.Flush();
  EXPECT_TRUE(writer.Overflowed());
  EXPECT_EQ(writer.BytesStored(), 4u);
  EXPECT_EQ(ReadLe32(bytes + 4), 0u);
}

TEST(Jbp1RecordWriter, RefusesPicturesItCannotCode) {
  std::vector<std::int16_t> blocks(6 * 64, 0);
  const std::uint8_t table[64] = {};
  JbpPictureSource source{16, 16, 75, blocks.data(), table, table};
  std::vector<std::uint8_t> record;
  EXPECT_TRUE(WriteJbpRecord(source, record));

  struct Case {
    const char* name;
    int width, height;
    int block, index, value;
  };
  const Case cases[] = {
      {"zero width", 0, 16, 0, 0, 0},
      {"too tall", 16, kJbpMaxDimension + 1, 0, 0, 0},
      {"coefficient -32768", 16, 16, 2, 5, -32768},
      {"DC difference past 32767", 16, 16, 1, 0, -32000},
  };
  for (const Case& c : cases) {
    std::vector<std::int16_t> bad = blocks;
    bad[64 * c.block + c.index] = static_cast<std::int16_t>(c.value);
    if (c.block == 1) bad[0] = 32000;
    JbpPictureSource badSource{c.width, c.height, 75, bad.data(), table, table};
    EXPECT_FALSE(WriteJbpRecord(badSource, record)) << c.name;
    EXPECT_TRUE(record.empty()) << c.name;
  }
}

}  // namespace
