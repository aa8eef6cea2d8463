// The turned copy's fast form against its portable definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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
  const FastForm forms[] = {{"SSE2", CopyTurnedSse2, true}, {"AVX2", CopyTurnedAvx2, ProcessorHasAvx2()},
                            {"AVX-512", CopyTurnedAvx512, ProcessorHasAvx512()}};
  const Geometry geometries[] = {
      {"whole packed portrait", 640, 480, 640, -960, 2},
      {"padded target rows", 640, 480, 640, -1024, 2},
      {"odd sizes, padded source", 37, 21, 45, -90, 2},
      {"target rows downward", 29, 19, 31, 64, 2},
      {"smaller than a tile", 7, 5, 7, -16, 2},
      {"tiles with ragged edges", 45, 53, 47, -128, 2},
      {"half a band of rows", 24, 16, 24, -48, 2},
      {"line-high tile bands and a ragged one", 17, 75, 19, -192, 2},
      {"target rows off the line grid", 21, 70, 23, -170, 2},
      {"1 KiB target rows, a short last column group", 100, 70, 101, -1024, 2},
      {"one column", 1, 17, 3, -4, 2},
      {"odd byte target pitch", 19, 17, 20, -41, 2},
      {"landscape panel seen as portrait", 33, 13, 40, 2, 1280},
      {"reversed landscape", 33, 13, 40, -2, 1280},
      {"gapped pixels", 11, 9, 12, -48, 4},
      {"empty", 0, 9, 12, -48, 2},
  };
  std::mt19937 random(16);
  // Targets are compared byte for byte over one randomly filled start, laid
  // at the same place against cache lines in every copy, since the fast
  // forms choose their tiles by the target's alignment.
  constexpr std::size_t kLine = 64;
  std::vector<std::uint8_t> start;
  struct LineAlignedCopy {
    std::vector<std::uint8_t> storage;
    std::uint8_t* bytes;
  };
  auto copyOfStart = [&] {
    LineAlignedCopy copy{std::vector<std::uint8_t>(start.size() + kLine), nullptr};
    copy.bytes = copy.storage.data() + (kLine - reinterpret_cast<std::uintptr_t>(copy.storage.data()) % kLine) % kLine;
    std::copy(start.begin(), start.end(), copy.bytes);
    return copy;
  };
  for (const Geometry& g : geometries) {
    SCOPED_TRACE(g.name);
    std::vector<std::uint16_t> source(static_cast<std::size_t>(g.fromPitch) * (g.rows + 1) + 8);
    for (std::uint16_t& pixel : source) pixel = static_cast<std::uint16_t>(random());
    const auto reach = static_cast<std::size_t>(std::abs(g.stepAlongI) * g.columns + std::abs(g.stepAlongJ) * g.rows);
    start.resize(2 * (reach + kLine));
    for (std::uint8_t& byte : start) byte = static_cast<std::uint8_t>(random());
    // The origin mid-block, so every step sign stays inside it, at odd and
    // even places within a cache line.
    for (std::size_t lineOffset : {0, 1, 2, 18, 62}) {
      SCOPED_TRACE(testing::Message() << "line offset " << lineOffset);
      const std::size_t origin = start.size() / 2 + lineOffset;
      LineAlignedCopy portable = copyOfStart();
      TurnedBlock block{source.data() + 3, g.fromPitch, portable.bytes + origin, g.stepAlongI, g.stepAlongJ,
                        g.columns,         g.rows};
      CopyTurnedPortable(block);
      for (const FastForm& form : forms) {
        if (!form.available) continue;
        SCOPED_TRACE(form.name);
        LineAlignedCopy fast = copyOfStart();
        block.to = fast.bytes + origin;
        form.copy(block);
        EXPECT_TRUE(std::equal(fast.bytes, fast.bytes + start.size(), portable.bytes));
      }
    }
  }
}

}  // namespace
