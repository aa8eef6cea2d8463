#include "rule_picture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "converter/jbp1/jbp1_record_writer.h"
#include "tools/rbp_make/rbp_writer.h"

using reelpack::JbpPictureSource;
using reelpack::WriteJbpRecord;

std::vector<std::uint8_t> MakeRuleRecord(int width, int height, const std::function<int(int, int)>& green6) {
  const int columns = (width + 15) / 16;
  const int rows = (height + 15) / 16;
  std::vector<std::int16_t> blocks(std::size_t(columns) * rows * 6 * 64, 0);
  for (int my = 0; my < rows; ++my) {
    for (int mx = 0; mx < columns; ++mx) {
      std::int16_t* macroblock = &blocks[(std::size_t(my) * columns + mx) * 6 * 64];
      for (int k = 0; k < 4; ++k) {
        // With unit quantisers a lone DC decodes to DC / 8 around 128 in every
        // sample; with no chroma the picture is grey, green8 = 4 x green6.
        const int green = green6(2 * mx + (k & 1), 2 * my + (k >> 1));
        macroblock[k * 64] = static_cast<std::int16_t>(8 * (4 * green - 128));
      }
    }
  }
  std::uint8_t unit[64];
  std::memset(unit, 1, sizeof unit);
  const JbpPictureSource source{width, height, 100, blocks.data(), unit, unit};
  std::vector<std::uint8_t> record;
  EXPECT_TRUE(WriteJbpRecord(source, record));
  return record;
}

std::vector<std::uint8_t> MakeRuleFile(int width, int height, const std::function<int(int, int)>& green6) {
  return BuildJbpRbpFile(MakeRuleRecord(width, height, green6), width, height, nullptr, 0, 0);
}
