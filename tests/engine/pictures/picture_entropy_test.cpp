// The record's entropy decoding: symbols whose codes and values fit the
// decoder's look-up table, straddle its end or lie far beyond it must all
// come back as written.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/jbp1_format.h"
#include "common/jbp1_huffman_tree.h"
#include "converter/jbp1/jbp1_record_writer.h"
#include "engine/pictures/picture_decoder.h"

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 256;
constexpr std::size_t kBlocks = (kWidth / 16) * (kHeight / 16) * 6;

struct Symbol {
  int run;
  int size;
};

// Symbols used 2^13, 2^12, ... 1 times, so their codes run from one bit to
// well past the table; each use takes the next of a value size's extremes.
std::vector<std::int16_t> MakeSkewedBlocks() {
  const Symbol symbols[] = {{0, 1}, {1, 2}, {0, 3}, {2, 4}, {0, 5},  {3, 6},  {0, 7},
                            {1, 8}, {0, 9}, {4, 10}, {0, 11}, {5, 12}, {0, 13}, {0, 15}};
  std::vector<Symbol> uses;
  for (std::size_t j = 0; j < std::size(symbols); ++j) uses.insert(uses.end(), std::size_t{1} << (13 - j), symbols[j]);
  // Spread the rare symbols through the picture.
  for (std::size_t i = 0; i < uses.size(); i += 7) std::swap(uses[i], uses[(i * 7919) % uses.size()]);

  std::vector<std::int16_t> blocks(kBlocks * 64, 0);
  std::size_t next = 0;
  for (std::size_t b = 0; b < kBlocks && next < uses.size(); ++b) {
    std::int16_t* block = &blocks[64 * b];
    block[0] = static_cast<std::int16_t>(static_cast<int>(b % 41) * 37 - 700);
    int k = 0;
    while (next < uses.size() && k + uses[next].run + 1 <= 63) {
      const Symbol symbol = uses[next];
      const int low = 1 << (symbol.size - 1);
      const int high = (1 << symbol.size) - 1;
      const int extremes[] = {low, -low, high, -high};
      k += symbol.run + 1;
      block[kZigzagToNatural[k]] = static_cast<std::int16_t>(extremes[next % 4]);
      ++next;
      // Some blocks end early with the end symbol, some run to the last coefficient.
      if (next % 13 == 0) break;
    }
  }
  EXPECT_EQ(next, uses.size()) << "the picture holds every use";
  return blocks;
}

TEST(PictureEntropy, CodesLongerThanTheLookUpComeBackUnchanged) {
  const std::vector<std::int16_t> blocks = MakeSkewedBlocks();
  std::uint8_t quantiser[64];
  for (std::uint8_t& q : quantiser) q = 1;
  std::vector<std::uint8_t> record;
  ASSERT_TRUE(reelpack::WriteJbpRecord({kWidth, kHeight, 80, blocks.data(), quantiser, quantiser}, record));

  CPictureDecoder decoder;
  decoder.InitForImage();
  decoder.SetInput(record.data(), record.size());
  ASSERT_EQ(decoder.ParseHeader(), 1);
  std::vector<std::int16_t> decoded;
  ASSERT_EQ(decoder.DecodeCoefficients(decoded), 1);
  EXPECT_EQ(decoded, blocks);

  // Both raster paths read the same streams to their ends.
  std::vector<std::uint16_t> raster(std::size_t{kWidth} * kHeight);
  for (bool movie : {false, true}) {
    CPictureDecoder path;
    movie ? path.InitForMovie() : path.InitForImage();
    path.SetInput(record.data(), record.size());
    ASSERT_EQ(path.ParseHeader(), 1);
    path.SetOutput(raster.data(), raster.size() * 2);
    EXPECT_EQ(movie ? path.DecodeMovieFrame() : path.DecodeImage(), 1) << (movie ? "movie" : "still");
  }
}

// The first join of a tree takes the two lowest counts, the first of equal
// counts winning; zero counts take part and counts near the top of 32 bits
// are counts like any other.
TEST(PictureEntropy, TheTwoLowestCountsAreJoinedFirst) {
  const struct {
    std::vector<std::uint32_t> head;
    std::uint32_t rest;
    int lowest, second;
  } kCases[] = {
      {{5, 3, 3}, 9, 1, 2},
      {{3, 3, 5}, 9, 0, 1},
      {{5, 3, 3}, 0, 3, 4},
      {{2100000000u, 2099999999u, 0xFFFFFFFFu}, 0xFFFFFFFFu, 1, 0},
  };
  for (const auto& c : kCases) {
    std::uint32_t counts[kJbpDcSymbols];
    for (int i = 0; i < kJbpDcSymbols; ++i) counts[i] = i < static_cast<int>(c.head.size()) ? c.head[i] : c.rest;
    JbpHuffmanTree tree;
    ASSERT_EQ(BuildHuffmanTree(kJbpDcSymbols, counts, tree), 2 * kJbpDcSymbols - 1);
    EXPECT_EQ(tree.child[0][kJbpDcSymbols], c.lowest) << c.head[0] << " " << c.rest;
    EXPECT_EQ(tree.child[1][kJbpDcSymbols], c.second) << c.head[0] << " " << c.rest;
  }
}

}  // namespace
