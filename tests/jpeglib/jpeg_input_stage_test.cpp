// The encoder's input stage: colour points, edge replication, the two chroma
// roundings, packed and generic converters and the choice of converter.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_mcu_place.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

using Blocks = std::vector<std::int16_t>;

// A record set up by a header-only write, with the scan's converter chosen.
struct Prepared {
  JPEG_PROPERTIES props{};
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(100000);
  JPEG_STATUS status = JPEG_SUCCESS;

  Prepared(const TestPicture& picture, int imageColor, int jpegColor, int jpegChannels, int sampling,
           int imageSampling = 0) {
    jpegInit(&props);
    props.imagePixels = const_cast<std::uint8_t*>(picture.pixels.data());
    props.imageWidth = picture.width;
    props.imageHeight = picture.height;
    props.imageRowPadding = picture.padding;
    props.imageChannels = imageSampling == JPEG_IMAGE_PACKED_422 ? 3 : picture.channels;
    props.imageColor = imageColor;
    props.imageSampling = imageSampling;
    props.jpegBuffer = out.data();
    props.jpegBufferSize = static_cast<std::uint32_t>(out.size());
    props.jpegWidth = picture.width;
    props.jpegHeight = picture.height;
    props.jpegChannels = jpegChannels;
    props.jpegColor = jpegColor;
    props.jpegSampling = sampling;
    status = jpegWrite(&props, JPEG_WRITE_HEADER_BUFFER);
    if (status == JPEG_SUCCESS) status = jpegSelectMcuConverter(*props.work);
  }
  ~Prepared() { jpegFree(&props); }
  JpegWorkingState& work() { return *props.work; }
  Blocks Mcu(int column, int row) {
    work().table.convertMcu(work(), column, row);
    return Blocks(work().mcuBlocks, work().mcuBlocks + kJpegMaxMcuBlocks * 64);
  }
};

TestPicture Uniform(int width, int height, std::initializer_list<std::uint8_t> pixel) {
  TestPicture picture;
  picture.width = width;
  picture.height = height;
  picture.channels = static_cast<int>(pixel.size());
  for (int i = 0; i < width * height; ++i) picture.pixels.insert(picture.pixels.end(), pixel);
  return picture;
}

TEST(InputStage, ColourPointsInWholeAndEdgeMcus) {
  struct Case {
    std::uint8_t b, g, r;
    int y, cb, cr;
  };
  const Case cases[] = {{255, 255, 255, 127, 0, 0}, {0, 0, 0, -128, 0, 0}, {255, 0, 0, -99, 128, -21}};
  for (const Case& c : cases) {
    for (int size : {16, 17}) {  // 17 puts the second MCU column on the edge path
      const TestPicture picture = Uniform(size, size, {c.b, c.g, c.r});
      Prepared prepared(picture, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420);
      ASSERT_EQ(prepared.status, JPEG_SUCCESS);
      EXPECT_EQ(prepared.work().converterKind, 4);
      const Blocks blocks = prepared.Mcu(size == 16 ? 0 : 1, 0);
      EXPECT_EQ(blocks[0], c.y);
      EXPECT_EQ(blocks[4 * 64], c.cb);
      EXPECT_EQ(blocks[5 * 64], c.cr);
    }
  }
}

TEST(InputStage, EdgeMcuRepeatsTheLastColumnAndRow) {
  TestPicture picture = MakePicture(17, 17, 3, 3, 0);
  for (int y = 0; y < 17; ++y) picture.at(16, y)[1] = static_cast<std::uint8_t>(y * 9);
  Prepared prepared(picture, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420);
  ASSERT_EQ(prepared.work().frame.mcuCount, 4);
  const Blocks topRight = prepared.Mcu(1, 0);
  for (int y = 0; y < 16; ++y) {
    const int first = topRight[jpegBlockSample(0, y, 2)];
    for (int x = 1; x < 16; ++x) ASSERT_EQ(topRight[jpegBlockSample(x, y, 2)], first) << x << "," << y;
  }
  const Blocks bottomRight = prepared.Mcu(1, 1);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) ASSERT_EQ(bottomRight[jpegBlockSample(x, y, 2)], bottomRight[0]);
  }
}

TEST(InputStage, EdgeChromaAveragesPerPixelValues) {
  // One textured 2x2 group (R, G, B): from sums it gives Cb -48, from the
  // average of per-pixel values -47.
  const std::uint8_t group[4][3] = {{199, 221, 1}, {228, 136, 117}, {52, 162, 15}, {11, 13, 4}};
  TestPicture picture;
  picture.width = 24;
  picture.height = 16;
  picture.channels = 3;
  picture.pixels.resize(24 * 16 * 3);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 24; ++x) {
      const std::uint8_t* rgb = group[(y & 1) * 2 + (x & 1)];
      picture.at(x, y)[0] = rgb[0];
      picture.at(x, y)[1] = rgb[1];
      picture.at(x, y)[2] = rgb[2];
    }
  }
  Prepared prepared(picture, JPEG_COLOR_RGB, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420);
  EXPECT_EQ(prepared.work().converterKind, 3);
  EXPECT_EQ(prepared.Mcu(0, 0)[4 * 64], -48);
  EXPECT_EQ(prepared.Mcu(1, 0)[4 * 64], -47);
}

TEST(InputStage, SubsamplingWithoutConversionAveragesTheExtendedPicture) {
  const TestPicture picture = MakePicture(17, 9, 3, 5, 1);
  Prepared prepared(picture, JPEG_COLOR_YCBCR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420);
  EXPECT_EQ(prepared.work().converterKind, 16);
  auto extended = [&](int x, int y, int k) { return picture.at(std::min(x, 16), std::min(y, 8))[k]; };
  for (int column = 0; column < 2; ++column) {
    const Blocks blocks = prepared.Mcu(column, 0);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        ASSERT_EQ(blocks[jpegBlockSample(x, y, 2)], extended(column * 16 + x, y, 0) - 128);
      }
    }
    for (int k = 1; k <= 2; ++k) {
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          const int gx = column * 16 + 2 * x;
          const int sum = extended(gx, 2 * y, k) + extended(gx + 1, 2 * y, k) + extended(gx, 2 * y + 1, k) +
                          extended(gx + 1, 2 * y + 1, k);
          ASSERT_EQ(blocks[(3 + k) * 64 + y * 8 + x], ((sum + 2) >> 2) - 128) << "component " << k;
        }
      }
    }
  }
}

// Packed Y0 Cb Y1 Cr rows with no padding, exactly as long as the picture.
TestPicture Packed(int width, int height) {
  TestPicture picture;
  picture.width = width;
  picture.height = height;
  picture.channels = 2;
  picture.pixels.resize(static_cast<std::size_t>(width) * 2 * height);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return picture;
}

TEST(InputStage, PackedOddWidthTakesCrFromThePairBefore) {
  const TestPicture picture = Packed(5, 8);
  Prepared prepared(picture, JPEG_COLOR_YCBCR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, JPEG_IMAGE_PACKED_422);
  ASSERT_EQ(prepared.status, JPEG_SUCCESS);
  EXPECT_EQ(prepared.work().converterKind, 18);
  const Blocks blocks = prepared.Mcu(0, 0);
  const std::uint8_t* row = picture.pixels.data();
  EXPECT_EQ(blocks[4], row[8] - 128);           // lone last pixel's Y
  EXPECT_EQ(blocks[5], row[8] - 128);           // repeated to the right
  EXPECT_EQ(blocks[2 * 64 + 2], row[9] - 128);  // its own Cb
  EXPECT_EQ(blocks[3 * 64 + 2], row[7] - 128);  // Cr of the pair before
  EXPECT_EQ(blocks[3 * 64 + 7], row[7] - 128);
}

TEST(InputStage, PackedSinglePixelWidthGetsNeutralCr) {
  const TestPicture picture = Packed(1, 3);
  Prepared prepared(picture, JPEG_COLOR_YCBCR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, JPEG_IMAGE_PACKED_422);
  ASSERT_EQ(prepared.status, JPEG_SUCCESS);
  const Blocks blocks = prepared.Mcu(0, 0);
  EXPECT_EQ(blocks[2 * 64], picture.pixels[1] - 128);
  EXPECT_EQ(blocks[3 * 64], 0);
}

TEST(InputStage, GreyCodedAsYCbCrHasNeutralChroma) {
  const TestPicture picture = MakePicture(10, 10, 1, 2, 0);
  Prepared prepared(picture, JPEG_COLOR_GRAY, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420);
  ASSERT_EQ(prepared.status, JPEG_SUCCESS);
  EXPECT_EQ(prepared.work().converterKind, kJpegKindGeneric);
  const Blocks blocks = prepared.Mcu(0, 0);
  EXPECT_EQ(blocks[0], picture.at(0, 0)[0] - 128);
  for (int i = 4 * 64; i < 6 * 64; ++i) ASSERT_EQ(blocks[i], 0);
}

TEST(InputStage, GenericColourAveragesRgbBeforeConverting) {
  const TestPicture picture = MakePicture(16, 16, 4, 6, 0);
  Prepared prepared(picture, JPEG_COLOR_RGB, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420);
  ASSERT_EQ(prepared.status, JPEG_SUCCESS);
  const Blocks blocks = prepared.Mcu(0, 0);
  int sum[3] = {};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      for (int k = 0; k < 3; ++k) sum[k] += picture.at(x, y)[k];
    }
  }
  const int r = (sum[0] + 2) / 4, g = (sum[1] + 2) / 4, b = (sum[2] + 2) / 4;
  EXPECT_EQ(blocks[4 * 64], jpegCb(r, g, b));
  EXPECT_EQ(blocks[5 * 64], jpegCr(r, g, b));
}

TEST(InputStage, ConverterChoiceForEveryAcceptedLayout) {
  struct Case {
    int imageColor, channels, jpegColor, jpegChannels, sampling, imageSampling;
    JpegMcuConverter converter;
    int kind;
  };
  const Case cases[] = {
      {1, 3, 3, 3, 1, 0, convertRgbMcu411, 3},
      {2, 3, 3, 3, 1, 0, convertBgrMcu411, 4},
      {1, 3, 3, 3, 2, 0, convertRgbMcu422, 5},
      {2, 3, 3, 3, 2, 0, convertBgrMcu422, 6},
      {1, 3, 3, 3, 0, 0, convertRgbMcu, 1},
      {2, 3, 3, 3, 0, 0, convertBgrMcu, 2},
      {5, 4, 6, 4, 0, 0, convertRgbaMcu, 10},
      {5, 4, 6, 4, 3, 0, convertRgbaMcu411, 11},
      {5, 4, 6, 4, 4, 0, convertRgbaMcu422, 12},
      {5, 4, 5, 4, 0, 0, convertCopyMcu4, 14},
      {5, 4, 5, 4, 3, 0, convertMcuGenericSample, 0},
      {3, 3, 3, 3, 0, 0, convertCopyMcu3, 15},
      {1, 3, 1, 3, 0, 0, convertCopyMcu3, 15},
      {3, 3, 3, 3, 1, 0, convertSubsampleMcu411, 16},
      {3, 3, 3, 3, 2, 0, convertSubsampleMcu422, 17},
      {3, 3, 3, 3, 1, 2, convertPackedMcu422, 18},
      {4, 1, 4, 1, 0, 0, convertGreyMcu, 20},
      {1, 3, 4, 1, 0, 0, convertMcuToGrey, 0},
      {2, 3, 4, 1, 0, 0, convertMcuToGrey, 0},
      {1, 4, 3, 3, 1, 0, convertMcuGenericColour, 0},
      {1, 4, 3, 3, 0, 0, convertMcuGenericColour, 0},
      {2, 3, 1, 3, 0, 0, convertMcuGenericSample, 0},
      {2, 3, 1, 3, 1, 0, convertMcuGenericSample, 0},
      {4, 1, 3, 3, 0, 0, convertMcuGenericSample, 0},
      {4, 1, 3, 3, 1, 0, convertMcuGenericSample, 0},
      {255, 3, 255, 3, 1, 0, convertSubsampleMcu411, 16},
      {255, 5, 255, 2, 0, 0, convertMcuGenericSample, 0},
  };
  for (const Case& c : cases) {
    const TestPicture picture = MakePicture(8, 8, c.imageSampling == 2 ? 2 : c.channels, 1, 0);
    Prepared prepared(picture, c.imageColor, c.jpegColor, c.jpegChannels, c.sampling, c.imageSampling);
    const std::string label = std::to_string(c.imageColor) + "/" + std::to_string(c.channels) + " -> " +
                              std::to_string(c.jpegColor) + "/" + std::to_string(c.jpegChannels) + " sampling " +
                              std::to_string(c.sampling);
    ASSERT_EQ(prepared.status, JPEG_SUCCESS) << label;
    EXPECT_EQ(prepared.work().table.convertMcu, c.converter) << label;
    EXPECT_EQ(prepared.work().converterKind, c.kind) << label;
  }
}

TEST(InputStage, LayoutsWithoutAConverterAreRefused) {
  // Only a state set up by hand reaches these; a write never codes them.
  JpegWorkingState work;
  work.frame.componentCount = 3;
  work.frame.convertColour = true;
  work.source.channels = 3;
  work.source.color = JPEG_COLOR_YCBCRA;
  EXPECT_EQ(jpegSelectMcuConverter(work), JPEG_NOT_SUPPORTED);
  EXPECT_EQ(work.table.convertMcu, nullptr);

  work.frame.convertColour = false;
  work.source.color = JPEG_COLOR_OTHER;
  work.fields.jpegColor = JPEG_COLOR_OTHER;
  work.source.channels = 2;  // fewer bytes a pixel than components
  EXPECT_EQ(jpegSelectMcuConverter(work), JPEG_NOT_SUPPORTED);

  work.frame.componentCount = 5;
  EXPECT_EQ(jpegSelectMcuConverter(work), JPEG_ERROR_COMP);
}

}  // namespace
