// The turned copy's fast form against its portable definition.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/shell/turned_copy.h"

namespace {

struct Geometry {
  const char* name;
  std::int32_t columns;
  std::int32_t rows;
  std::ptrdiff_t fromPitch;
  std::ptrdiff_t stepAlongI;
  std::ptrdiff_t stepAlongJ;
};

// Both forms write into copies of one randomly filled target, so bytes
// either form must leave alone are compared too.
struct FastForm {
  const char* name;
  void (*copy)(const TurnedBlock&);
  bool available;
};

TEST(TurnedCopyTest, FastFormsWriteTheSameBytesAsThePortableForm) {
  const FastForm forms[] = {{"SSE2", CopyTurnedSse2, true}, {"AVX2", CopyTurnedAvx2, ProcessorHasAvx2()}};
  const Geometry geometries[] = {
      {"whole packed portrait", 640, 480, 640, -960, 2},
      {"padded target rows", 640, 480, 640, -1024, 2},
      {"odd sizes, padded source", 37, 21, 45, -90, 2},
      {"target rows downward", 29, 19, 31, 64, 2},
      {"smaller than a tile", 7, 5, 7, -16, 2},
      {"tiles with ragged edges", 45, 53, 47, -128, 2},
      {"half a band of rows", 24, 16, 24, -48, 2},
      {"one column", 1, 17, 3, -4, 2},
      {"odd byte target pitch", 19, 17, 20, -41, 2},
      {"landscape panel seen as portrait", 33, 13, 40, 2, 1280},
      {"reversed landscape", 33, 13, 40, -2, 1280},
      {"gapped pixels", 11, 9, 12, -48, 4},
      {"empty", 0, 9, 12, -48, 2},
  };
  std::mt19937 random(16);
  for (const Geometry& g : geometries) {
    SCOPED_TRACE(g.name);
    std::vector<std::uint16_t> source(static_cast<std::size_t>(g.fromPitch) * (g.rows + 1) + 8);
    for (std::uint16_t& pixel : source) pixel = static_cast<std::uint16_t>(random());
    std::vector<std::uint8_t> portable(std::size_t{1} << 21);
    for (std::uint8_t& byte : portable) byte = static_cast<std::uint8_t>(random());
    const std::vector<std::uint8_t> start = portable;
    // The origin mid-block, so every step sign stays inside it.
    const std::size_t origin = portable.size() / 2 + 1;
    TurnedBlock block{source.data() + 3, g.fromPitch, portable.data() + origin, g.stepAlongI, g.stepAlongJ,
                      g.columns,         g.rows};
    CopyTurnedPortable(block);
    for (const FastForm& form : forms) {
      if (!form.available) continue;
      SCOPED_TRACE(form.name);
      std::vector<std::uint8_t> fast = start;
      block.to = fast.data() + origin;
      form.copy(block);
      EXPECT_TRUE(fast == portable);
    }
  }
}

}  // namespace
