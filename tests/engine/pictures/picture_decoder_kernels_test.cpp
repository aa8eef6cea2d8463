// The picture decoder's SSE2 kernels against their portable definitions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/pictures/picture_decoder_colour.h"
#include "engine/pictures/picture_decoder_idct.h"

namespace {

using Block = std::array<std::int16_t, 64>;

enum class BlockKind { FullRange, Sparse, FirstValueOnly, OneHighFrequency };

// Blocks a record may hold, sane or not: any 16-bit values, the few small
// values of real pictures, flat blocks (the kernels' shortcut) and a lone
// high frequency.
Block MakeBlock(BlockKind kind, std::mt19937& random) {
  Block block{};
  std::uniform_int_distribution<int> any(-32768, 32767);
  std::uniform_int_distribution<int> small(-60, 60);
  std::uniform_int_distribution<int> position(0, 63);
  switch (kind) {
    case BlockKind::FullRange:
      for (std::int16_t& value : block) value = static_cast<std::int16_t>(any(random));
      break;
    case BlockKind::Sparse:
      block[0] = static_cast<std::int16_t>(small(random) * 20);
      for (int i = 0; i < 6; ++i) block[static_cast<std::size_t>(position(random))] = static_cast<std::int16_t>(small(random));
      break;
    case BlockKind::FirstValueOnly:
      block[0] = static_cast<std::int16_t>(any(random));
      break;
    case BlockKind::OneHighFrequency:
      block[static_cast<std::size_t>(1 + position(random) % 63)] = static_cast<std::int16_t>(any(random));
      break;
  }
  return block;
}

constexpr BlockKind kBlockKinds[] = {BlockKind::FullRange, BlockKind::Sparse, BlockKind::FirstValueOnly,
                                     BlockKind::OneHighFrequency};

// The still and movie transforms of one block, SSE2 against portable.
void ExpectBothInverseDctsMatch(const Block& input, const std::uint16_t* quantiser) {
  Block portable = input;
  Block fast = input;
  InverseDctStillPortable(portable.data(), quantiser);
  InverseDctStillSse2(fast.data(), quantiser);
  EXPECT_EQ(fast, portable) << "still";
  portable = input;
  fast = input;
  InverseDctMoviePortable(portable.data());
  InverseDctMovieSse2(fast.data());
  EXPECT_EQ(fast, portable) << "movie";
}

TEST(PictureDecoderKernels, InverseDctsMatchThePortableForms) {
  std::mt19937 random(1600);
  std::uniform_int_distribution<int> quantiserValue(1, 255);
  const Block extremes[] = {Block{}, [] {
                              Block b;
                              b.fill(32767);
                              return b;
                            }(),
                            [] {
                              Block b;
                              b.fill(-32768);
                              return b;
                            }()};
  for (int round = 0; round < 400; ++round) {
    for (BlockKind kind : kBlockKinds) {
      const Block input = round < 3 ? extremes[round] : MakeBlock(kind, random);
      std::uint16_t quantiser[64];
      for (std::uint16_t& q : quantiser) q = static_cast<std::uint16_t>(round == 0 ? 255 : quantiserValue(random));
      SCOPED_TRACE(testing::Message() << "round " << round << " kind " << static_cast<int>(kind));

      ExpectBothInverseDctsMatch(input, quantiser);
    }
  }
}

// Equal-sized values in every sign pattern, at sizes about where the SSE2
// forms change between 16-bit and 32-bit lanes and beyond: the sums that could
// leave 16 bits do so for some pattern. Patterns down the columns test the
// column pass; patterns along the first row only reach the row pass intact,
// since a column holding only its first value comes out flat.
TEST(PictureDecoderKernels, InverseDctsMatchAtTheLaneWidthBounds) {
  enum class Placement { Columns, Rows, FirstRowOnly };
  std::uint16_t ones[64];
  std::fill(std::begin(ones), std::end(ones), std::uint16_t{1});
  for (int size : {1000, 1270, 1271, 1508, 1509, 2000, 4000, 8000, 16000, 32767}) {
    for (Placement placement : {Placement::Columns, Placement::Rows, Placement::FirstRowOnly}) {
      for (int first = 0; first < 256; first += 8) {
        Block input{};
        for (int line = 0; line < 8; ++line) {
          for (int i = 0; i < 8; ++i) {
            const bool positive = (((first + line) >> i) & 1) != 0;
            const auto value = static_cast<std::int16_t>(positive ? size : -size);
            if (placement == Placement::Columns) input[static_cast<std::size_t>(8 * i + line)] = value;
            if (placement == Placement::Rows) input[static_cast<std::size_t>(8 * line + i)] = value;
            if (placement == Placement::FirstRowOnly && line == 0) input[static_cast<std::size_t>(i)] = value;
          }
        }
        SCOPED_TRACE(testing::Message() << "size " << size << " placement " << static_cast<int>(placement)
                                        << " patterns from " << first);
        ExpectBothInverseDctsMatch(input, ones);
      }
    }
  }
}

// Six blocks of samples as the inverse DCTs leave them: near the 8-bit
// range, or anywhere in 16 bits.
std::array<Block, 6> MakeSamples(bool fullRange, std::mt19937& random) {
  std::uniform_int_distribution<int> value(fullRange ? -32768 : -300, fullRange ? 32767 : 300);
  std::array<Block, 6> blocks;
  for (Block& block : blocks) {
    for (std::int16_t& sample : block) sample = static_cast<std::int16_t>(value(random));
  }
  return blocks;
}

// Both paths' tables, and one narrower than the sample range, which the
// SSE2 form must hand to the portable one. The raster has padding each side
// of the macroblock, which must stay untouched.
TEST(PictureDecoderKernels, ColourConversionMatchesThePortableForm) {
  struct TableCase {
    int size;
    int firstSample;
  };
  const TableCase tableCases[] = {{768, 256}, {512, 128}, {200, 40}};
  constexpr std::size_t kStride = 16 + 7;
  std::mt19937 random(161);
  for (const TableCase& tableCase : tableCases) {
    PictureClampTables tables;
    tables.Build(tableCase.size, tableCase.firstSample);
    for (int round = 0; round < 300; ++round) {
      SCOPED_TRACE(testing::Message() << "table " << tableCase.size << " round " << round);
      const std::array<Block, 6> samples = MakeSamples(round % 2 == 1, random);
      std::int16_t blocks[6][64];
      for (int b = 0; b < 6; ++b) std::copy(samples[b].begin(), samples[b].end(), blocks[b]);
      std::vector<std::uint16_t> portable(kStride * 17 + 8, 0xA5A5);
      std::vector<std::uint16_t> fast = portable;
      ConvertMacroblockPortable(blocks, tables, portable.data() + 3, kStride);
      ConvertMacroblockSse2(blocks, tables, fast.data() + 3, kStride);
      EXPECT_EQ(fast, portable);
    }
  }
}

}  // namespace
