// Huffman tables fitted to counts: the single-symbol and tie cases worked by
// hand, the 16-bit limit on deep trees, and on random counts complete tables
// with the cost of an optimal code.
#include <gtest/gtest.h>

#include <queue>
#include <random>

#include "jpeglib/jpeg_huffman_optimize.h"
#include "jpeglib/jpeg_tables.h"

namespace {

struct Fitted {
  std::uint8_t bits[16] = {};
  std::uint8_t values[256] = {};
  int count = 0;
  JpegHuffmanCodes codes{};
  bool built = false;
};

Fitted Fit(const std::uint64_t counts[256]) {
  Fitted fitted;
  fitted.count = jpegOptimizeHuffman(counts, fitted.bits, fitted.values);
  fitted.built = jpegBuildHuffmanCodes(fitted.bits, fitted.values, fitted.codes) == JPEG_SUCCESS;
  return fitted;
}

int Longest(const Fitted& fitted) {
  int longest = 0;
  for (int length = 1; length <= 16; ++length) {
    if (fitted.bits[length - 1] != 0) longest = length;
  }
  return longest;
}

// With the reserved code put back at the longest length the code is full.
bool CompleteWithReserved(const Fitted& fitted) {
  std::uint64_t space = 0;
  for (int length = 1; length <= 16; ++length) space += std::uint64_t{fitted.bits[length - 1]} << (16 - length);
  return space + (std::uint64_t{1} << (16 - Longest(fitted))) == (std::uint64_t{1} << 16);
}

// Cost of an optimal code over the counts and the reserved symbol, and the
// depth of the tree that gives it.
std::pair<std::uint64_t, int> OptimalCost(const std::uint64_t counts[256]) {
  using Node = std::pair<std::uint64_t, int>;  // weight, depth
  std::priority_queue<Node, std::vector<Node>, std::greater<>> queue;
  for (int s = 0; s < 256; ++s) {
    if (counts[s] != 0) queue.push({counts[s], 0});
  }
  queue.push({1, 0});
  std::uint64_t cost = 0;
  while (queue.size() > 1) {
    const Node a = queue.top();
    queue.pop();
    const Node b = queue.top();
    queue.pop();
    cost += a.first + b.first;
    queue.push({a.first + b.first, std::max(a.second, b.second) + 1});
  }
  return {cost, queue.top().second};
}

TEST(HuffmanOptimize, SingleUsedSymbolGetsAOneBitCode) {
  std::uint64_t counts[256] = {};
  counts[0x37] = 5000;
  const Fitted fitted = Fit(counts);
  ASSERT_EQ(fitted.count, 1);
  EXPECT_EQ(fitted.bits[0], 1);
  EXPECT_EQ(fitted.values[0], 0x37);
  ASSERT_TRUE(fitted.built);
  EXPECT_EQ(fitted.codes.length[0x37], 1u);
  EXPECT_EQ(fitted.codes.code[0x37], 0);  // "1" is the reserved symbol's
}

TEST(HuffmanOptimize, EqualCountsJoinTheHighestSymbolFirst) {
  // Symbols 0 and 1 with count 2, the reserved symbol with 1: the reserved
  // symbol joins symbol 1 (the higher of the two equal counts), which leaves
  // symbol 0 alone at the top with the one-bit code.
  std::uint64_t counts[256] = {};
  counts[0] = counts[1] = 2;
  const Fitted fitted = Fit(counts);
  ASSERT_EQ(fitted.count, 2);
  EXPECT_EQ(fitted.bits[0], 1);
  EXPECT_EQ(fitted.bits[1], 1);
  EXPECT_EQ(fitted.values[0], 0);
  EXPECT_EQ(fitted.values[1], 1);
}

TEST(HuffmanOptimize, DeepTreesAreLimitedToSixteenBits) {
  // Fibonacci counts make a tree as deep as it has symbols; with 80 of them
  // the counts pass 32 bits and the depth passes 32 codes.
  for (int symbols : {40, 80}) {
    std::uint64_t counts[256] = {};
    std::uint64_t a = 1, b = 2;
    for (int s = 0; s < symbols; ++s) {
      counts[s * 3] = a;  // spread over the symbol range
      const std::uint64_t next = a + b;
      a = b;
      b = next;
    }
    const Fitted fitted = Fit(counts);
    EXPECT_EQ(fitted.count, symbols);
    EXPECT_EQ(Longest(fitted), 16) << symbols << " symbols";
    EXPECT_TRUE(CompleteWithReserved(fitted)) << symbols << " symbols";
    EXPECT_TRUE(fitted.built);
    // The most frequent symbol keeps the one-bit code.
    EXPECT_EQ(fitted.values[0], (symbols - 1) * 3);
    EXPECT_EQ(fitted.bits[0], 1);
  }
}

TEST(HuffmanOptimize, RandomCountsGiveCompleteOptimalTables) {
  std::mt19937_64 random(30);
  int compared = 0;
  for (int round = 0; round < 400; ++round) {
    std::uint64_t counts[256] = {};
    const int used = 1 + static_cast<int>(random() % 256);
    const int skew = static_cast<int>(random() % 40);  // up to 2^40: deep trees
    int present = 0;
    for (int i = 0; i < used; ++i) {
      const int symbol = static_cast<int>(random() % 256);
      present += counts[symbol] == 0;
      counts[symbol] += 1 + (random() % 1000000) * (std::uint64_t{1} << (random() % (skew + 1)));
    }
    const Fitted fitted = Fit(counts);
    ASSERT_EQ(fitted.count, present);
    ASSERT_TRUE(fitted.built) << "round " << round;
    ASSERT_LE(Longest(fitted), 16);
    ASSERT_TRUE(CompleteWithReserved(fitted)) << "round " << round;
    std::uint64_t cost = std::uint64_t{1} * static_cast<unsigned>(Longest(fitted));  // the reserved code
    for (int s = 0; s < 256; ++s) {
      ASSERT_EQ(counts[s] != 0, fitted.codes.length[s] != 0) << "symbol " << s;
      cost += counts[s] * fitted.codes.length[s];
    }
    const auto [optimal, depth] = OptimalCost(counts);
    if (depth > 16) continue;
    EXPECT_EQ(cost, optimal) << "round " << round;
    ++compared;
  }
  EXPECT_GT(compared, 100);
}

}  // namespace
