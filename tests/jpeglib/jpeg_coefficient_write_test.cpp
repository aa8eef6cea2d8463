// The transform-once entries against jpegWrite: the header bytes, the
// quantised blocks (read back from the written JPEG by libjpeg-turbo) and the
// scan's bit count, for both arithmetics and the qualities' extremes; and the
// calls they refuse.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/zigzag.h"
#include "jpeg_reference_library.h"
#include "jpeg_test_support.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Transformed {
  JPEG_STATUS status = JPEG_SUCCESS;
  Bytes header;
  std::uint32_t blockCount = 0;
  std::vector<std::int16_t> blocks;
};

Transformed Transform(Writer& writer, std::uint32_t blockRoom = 1 << 16) {
  Transformed result;
  result.blocks.assign(static_cast<std::size_t>(blockRoom) * 64, 0);
  result.status = jpegTransformImage(&writer.props, result.blocks.data(), blockRoom, &result.blockCount);
  result.header = writer.Output();
  result.blocks.resize(static_cast<std::size_t>(result.blockCount) * 64);
  return result;
}

// Scan data bytes without the stuffed zero after each 0xFF.
std::size_t UnstuffedBytes(const Bytes& jpeg, std::size_t scanStart) {
  std::size_t bytes = 0;
  for (std::size_t i = scanStart; i + 2 < jpeg.size(); ++i) {
    ++bytes;
    if (jpeg[i] == 0xFF) ++i;
  }
  return bytes;
}

// Block (row, column) of component c of the MCU-ordered 4:2:0 blocks.
const std::int16_t* McuBlock(const std::vector<std::int16_t>& blocks, int mcusPerRow, int c, int row, int column) {
  const int mcuRow = c == 0 ? row / 2 : row;
  const int mcuColumn = c == 0 ? column / 2 : column;
  const int inMcu = c == 0 ? (row % 2) * 2 + column % 2 : 3 + c;
  const std::size_t mcu = static_cast<std::size_t>(mcuRow) * mcusPerRow + mcuColumn;
  return blocks.data() + (mcu * 6 + inMcu) * 64;
}

TEST(CoefficientWrite, QuantisedBlocksAndScanBitsAreThoseOfTheWrittenJpeg) {
  std::vector<TestPicture> pictures = NaturalFrames(96, 64);
  pictures.push_back(MakePicture(37, 21, 3, 4, 1));
  pictures.push_back(MakePicture(1, 1, 3, 2));
  pictures.push_back(MakePicture(130, 18, 3, 9, 2));
  ASSERT_TRUE(ReferenceLibraryLoaded());
  for (const TestPicture& picture : pictures) {
    for (int processorClass : {0, 6}) {
      for (int quality : {1, 30, 75, 100}) {
        const std::string where = std::to_string(picture.width) + "x" + std::to_string(picture.height) +
                                  " class " + std::to_string(processorClass) + " quality " + std::to_string(quality);
        Writer written(picture, picture.pixels.size() * 3 + 4096);
        written.UseClass(processorClass);
        written.props.quality = quality;
        ASSERT_EQ(jpegWrite(&written.props, JPEG_WRITE_IMAGE_BUFFER), JPEG_SUCCESS) << where;
        const Bytes jpeg = written.Output();

        // The transform runs at another quality: only the tables differ.
        Writer writer(picture, 4096);
        writer.UseClass(processorClass);
        writer.props.quality = 100 - quality / 2;
        const Transformed transformed = Transform(writer);
        ASSERT_EQ(transformed.status, JPEG_SUCCESS) << where;
        std::vector<std::int16_t> quantised(transformed.blocks.size());
        std::uint16_t tables[2][64];
        ASSERT_EQ(jpegQuantizeImage(&writer.props, quality, transformed.blocks.data(), quantised.data(), tables),
                  JPEG_SUCCESS);
        std::uint64_t bits = 0;
        ASSERT_EQ(jpegCountScanBits(&writer.props, quantised.data(), &bits), JPEG_SUCCESS);

        // The header's bytes are the JPEG's up to its scan data, the DQT
        // segments apart (they carry the quality).
        const std::vector<Segment> segments = HeaderSegments(jpeg);
        ASSERT_EQ(transformed.header.size(), segments.back().offset + segments.back().length) << where;
        for (const Segment& segment : segments) {
          if (segment.marker == 0xDB) continue;
          EXPECT_TRUE(std::equal(jpeg.begin() + segment.offset, jpeg.begin() + segment.offset + segment.length,
                                 transformed.header.begin() + segment.offset))
              << where << " marker " << segment.marker;
        }
        const auto writtenTables = QuantTablesOf(jpeg);
        for (int t = 0; t < 2; ++t) {
          for (int k = 0; k < 64; ++k) {
            ASSERT_EQ(writtenTables[t][kZigzagToNatural[k]], tables[t][k]) << where << " table " << t;
          }
        }
        EXPECT_EQ((bits + 7) / 8, UnstuffedBytes(jpeg, transformed.header.size())) << where;

        const ReferenceRead read = ReadCoefficientsWithReference(jpeg);
        ASSERT_TRUE(read.ok) << where << read.messages;
        const int mcusPerRow = (picture.width + 15) / 16;
        ASSERT_EQ(transformed.blockCount, static_cast<std::uint32_t>(mcusPerRow * ((picture.height + 15) / 16) * 6));
        for (int c = 0; c < 3; ++c) {
          const ReferenceComponent& component = read.components[static_cast<std::size_t>(c)];
          for (int row = 0; row < component.heightInBlocks; ++row) {
            for (int column = 0; column < component.widthInBlocks; ++column) {
              const std::int16_t* ours = McuBlock(quantised, mcusPerRow, c, row, column);
              const std::int16_t* theirs =
                  component.coefficients.data() +
                  (static_cast<std::size_t>(row) * component.widthInBlocks + column) * 64;
              ASSERT_TRUE(std::equal(ours, ours + 64, theirs)) << where << " component " << c << " block " << row
                                                               << "," << column;
            }
          }
        }
      }
    }
  }
}

TEST(CoefficientWrite, RefusedCalls) {
  const TestPicture picture = MakePicture(64, 32, 3, 3);
  std::vector<std::int16_t> blocks(64 * 64);
  std::uint16_t tables[2][64];
  std::uint64_t bits = 0;
  std::uint32_t count = 0;
  {
    // Nothing transformed yet.
    Writer writer(picture, 4096);
    EXPECT_EQ(jpegQuantizeImage(&writer.props, 75, blocks.data(), blocks.data(), tables), JPEG_INVALID_PROPERTIES);
    EXPECT_EQ(jpegCountScanBits(&writer.props, blocks.data(), &bits), JPEG_INVALID_PROPERTIES);
  }
  {
    // 4 x 2 MCUs of six blocks do not fit 47 blocks.
    Writer writer(picture, 4096);
    EXPECT_EQ(Transform(writer, 47).status, JPEG_OUTPUT_TOO_SMALL);
    EXPECT_EQ(jpegQuantizeImage(&writer.props, 75, blocks.data(), blocks.data(), tables), JPEG_INVALID_PROPERTIES);
    // The buffer's size stays as it was after a failure, as after a write.
    EXPECT_EQ(writer.props.jpegBufferSize, 4096u);
    EXPECT_EQ(Transform(writer, 48).status, JPEG_SUCCESS);
    EXPECT_EQ(jpegQuantizeImage(&writer.props, 0, blocks.data(), blocks.data(), tables), JPEG_INVALID_PROPERTIES);
    EXPECT_EQ(jpegQuantizeImage(&writer.props, 101, blocks.data(), blocks.data(), tables), JPEG_INVALID_PROPERTIES);
  }
  {
    Writer writer(picture, 4096);
    writer.props.work->restartInterval = 2;
    EXPECT_EQ(jpegTransformImage(&writer.props, blocks.data(), 64, &count), JPEG_NOT_SUPPORTED);
    writer.props.work->restartInterval = 0;
    writer.props.work->progressive = true;
    EXPECT_EQ(jpegTransformImage(&writer.props, blocks.data(), 64, &count), JPEG_NOT_SUPPORTED);
  }
  {
    // A header that does not fit its buffer.
    Writer writer(picture, 64);
    EXPECT_EQ(jpegTransformImage(&writer.props, blocks.data(), 64, &count), JPEG_OUTPUT_TOO_SMALL);
  }
  {
    Writer writer(picture, 4096);
    writer.props.imagePixels = nullptr;
    EXPECT_EQ(jpegTransformImage(&writer.props, blocks.data(), 64, &count), JPEG_INVALID_PROPERTIES);
    EXPECT_EQ(jpegTransformImage(nullptr, blocks.data(), 64, &count), JPEG_INVALID_PROPERTIES);
  }
}

TEST(CoefficientWrite, ValueWithoutCodeFailsTheCountAsItFailsTheWrite) {
  // Blocks no 8-bit picture gives: an AC value of 1,024 has no code in the
  // standard tables, nor has a DC step of 2,048.
  const TestPicture picture = MakePicture(16, 16, 3, 1);
  Writer writer(picture, 4096);
  const Transformed transformed = Transform(writer);
  ASSERT_EQ(transformed.status, JPEG_SUCCESS);
  std::vector<std::int16_t> blocks(transformed.blocks.size(), 0);
  std::uint64_t bits = 0;
  ASSERT_EQ(jpegCountScanBits(&writer.props, blocks.data(), &bits), JPEG_SUCCESS);
  EXPECT_GT(bits, 0u);
  blocks[64 + 1] = 1023;
  EXPECT_EQ(jpegCountScanBits(&writer.props, blocks.data(), &bits), JPEG_SUCCESS);
  blocks[64 + 1] = 1024;
  EXPECT_EQ(jpegCountScanBits(&writer.props, blocks.data(), &bits), JPEG_BAD_HUFFMAN_TABLE);
  blocks[64 + 1] = 0;
  blocks[4 * 64] = 2047;
  EXPECT_EQ(jpegCountScanBits(&writer.props, blocks.data(), &bits), JPEG_SUCCESS);
  blocks[4 * 64] = -2048;
  EXPECT_EQ(jpegCountScanBits(&writer.props, blocks.data(), &bits), JPEG_BAD_HUFFMAN_TABLE);
}

}  // namespace
