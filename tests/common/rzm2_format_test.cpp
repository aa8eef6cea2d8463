#include "common/rzm2_format.h"

#include <gtest/gtest.h>

#include "common/byte_order.h"

namespace {

Rzm2Header Header(bool version2) {
  Rzm2Header header;
  header.version2 = version2;
  header.rateNumerator = 30000;
  header.timeBase = 2002;
  header.storedWidth = 240;
  header.storedHeight = 320;
  return header;
}

TEST(Rzm2FormatTest, WritesTheHeaderAndIndexByteForByte) {
  const auto block = BuildRzm2IndexBlock(Header(true), {100, 250});
  ASSERT_EQ(block.size(), 4u * 24);
  EXPECT_EQ(std::string(block.begin(), block.begin() + 4), "RZM2");
  const std::uint32_t words[] = {0, 2, 30000, 2002, ~240u, ~320u, 24, 96 + 350, 0, 0, 96};
  for (std::size_t i = 0; i < std::size(words); ++i) EXPECT_EQ(ReadLe32(block.data() + 4 + 4 * i), words[i]) << i;
  const std::uint32_t entries[2][6] = {{0, 100, 240 * 320 * 3, 2, 0, 0}, {1, 250, 240 * 320 * 3, 2, 100, 0}};
  for (int e = 0; e < 2; ++e) {
    for (int w = 0; w < 6; ++w) EXPECT_EQ(ReadLe32(block.data() + 48 + 24 * e + 4 * w), entries[e][w]) << e << w;
  }
}

TEST(Rzm2FormatTest, ReadsBackWhatItWroteInBothVersions) {
  for (bool version2 : {false, true}) {
    const auto block = BuildRzm2IndexBlock(Header(version2), {7, 9, 11});
    const Rzm2Header header = ReadRzm2Header(block.data());
    EXPECT_EQ(header.version2, version2);
    EXPECT_EQ(header.frameCount, 3u);
    EXPECT_EQ(header.storedWidth, 240u);
    EXPECT_EQ(header.storedHeight, 320u);
    EXPECT_EQ(ReadRzm2FrameEntry(block.data(), 2).offset, 16u);
    EXPECT_EQ(ReadRzm2FrameEntry(block.data(), 2).recordBytes, 11u);
    EXPECT_TRUE(ValidateRzm2Index(block.data(), block.size(), block.size() + 27));
  }
}

TEST(Rzm2FormatTest, RefusesIndexesThatDoNotFitTheFile) {
  const auto good = BuildRzm2IndexBlock(Header(true), {10, 20, 30});
  const std::uint64_t fileBytes = good.size() + 60;
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    std::uint64_t fileBytes;
  };
  const Case cases[] = {
      {"file one byte short", 0, 0, fileBytes - 1},
      {"frame count beyond the file", 8, 0x0AAAAAAB, fileBytes},
      {"rate numerator 0", 12, 0, fileBytes},
      {"time base 0", 16, 0, fileBytes},
      {"record size wraps", 48 + 2 * 24 + 4, 0xFFFFFFF0u, fileBytes},
      {"offset past the end", 48 + 2 * 24 + 16, 0xFFFFFF00u, fileBytes},
      {"records overlap", 48 + 1 * 24 + 16, 5, fileBytes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto block = good;
    if (c.at != 0) WriteLe32(block.data() + c.at, c.value);
    EXPECT_FALSE(ValidateRzm2Index(block.data(), block.size(), c.fileBytes));
  }
  EXPECT_TRUE(ValidateRzm2Index(good.data(), good.size(), fileBytes));
}

}  // namespace
