#include "converter/mpeg/mpeg_vlc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace reelpack {
namespace {

int Lookup(const MpegVlcTable& table, const std::string& bits, int* length) {
  std::string padded;
  for (char c : bits)
    if (c != ' ') padded += c;
  padded.resize(table.maxLength(), '0');
  return table.lookup(static_cast<std::uint32_t>(std::stoul(padded, nullptr, 2)), length);
}

struct Case {
  const MpegVlcTable* table;
  const char* bits;
  int value, length;
};

TEST(VlcTables, DecodeCodesOfEveryLengthAndRejectTheGaps) {
  const Case cases[] = {
      {&addressIncrementTable(), "1", 1, 1},
      {&addressIncrementTable(), "0000 0011 000", 33, 11},
      {&addressIncrementTable(), "0000 0001 000", kAddressEscape, 11},
      {&addressIncrementTable(), "0000 0001 111", kAddressStuffing, 11},
      {&addressIncrementTable(), "0000 0000 000", MpegVlcTable::kNoEntry, 0},
      {&macroblockTypeTable(2), "0000 01", kMacroblockQuant | kMacroblockIntra, 6},
      {&macroblockTypeTable(3), "10", kMacroblockForward | kMacroblockBackward, 2},
      {&macroblockTypeTable(3), "0000 00", MpegVlcTable::kNoEntry, 0},
      {&codedBlockPatternTable(), "111", 60, 3},
      {&codedBlockPatternTable(), "0000 0001 0", 39, 9},
      {&motionCodeTable(), "0000 0011 00", 16, 10},
      {&dcSizeLumaTable(), "100", 0, 3},
      {&dcSizeChromaTable(), "1111 1110", 8, 8},
      {&coefficientTable(false), "10", kCoefficientEndOfBlock, 2},
      {&coefficientTable(true), "1", CoefficientValue(0, 1), 1},
      {&coefficientTable(false), "0000 01", kCoefficientEscape, 6},
      {&coefficientTable(false), "0000 0000 0001 1011", CoefficientValue(31, 1), 16},
      {&coefficientTable(false), "0000 0000 0010 000", CoefficientValue(0, 40), 15},
      {&coefficientTable(false), "0000 0000 0000 0000", MpegVlcTable::kNoEntry, 0},
  };
  for (const Case& c : cases) {
    int length = -1;
    EXPECT_EQ(Lookup(*c.table, c.bits, &length), c.value) << c.bits;
    EXPECT_EQ(length, c.length) << c.bits;
  }
}

}  // namespace
}  // namespace reelpack
