#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_rgb565.h"
#include "engine/pictures/rbp_format.h"
#include "engine/pictures/rbp_loader.h"
#include "picture_fixtures.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

class RbpKinds : public PictureTest {
 protected:
  // Writes file as name and loads it from the folder.
  int Load(const std::vector<std::uint8_t>& file, CImage& image, int parts = 0, int* outA = nullptr,
           int* outB = nullptr) {
    dir_.WriteFile("pic.rbp", file);
    return image.LoadRbp("pic", dir_.EnginePath("").c_str(), parts, nullptr, outA, outB);
  }
};

TEST_F(RbpKinds, Rgb565KeepsEveryPixelAndTheHeaderValues) {
  const SourcePicture source = MakeGradientPicture(7, 3);
  std::vector<std::uint8_t> file = BuildRbpFile(source, {kRbpKindRgb565, 9, 4});
  file[24] = 0xFB;  // value A = -5
  file[25] = 0xFF;
  file[26] = 12;  // value B = 12
  CImage image;
  int a = 0, b = 0;
  ASSERT_EQ(Load(file, image, 1, &a, &b), 1);
  EXPECT_EQ(a, -5);
  EXPECT_EQ(b, 12);
  EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
  EXPECT_EQ(image.flags, kPictureFlagPartsSheet);
  EXPECT_EQ(image.designWidth, 9);
  EXPECT_EQ(image.designHeight, 4);
  ASSERT_EQ(image.width * image.height, 21u);
  for (std::size_t i = 0; i < 21; ++i)
    EXPECT_EQ(image.GetPixels()[i], PackRgb565(source.rgba[4 * i], source.rgba[4 * i + 1], source.rgba[4 * i + 2]));
}

TEST_F(RbpKinds, AlphaKindKeepsOrScalesItsAlphaByVariant) {
  const SourcePicture source = MakeGradientPicture(2, 2);
  std::vector<std::uint8_t> file = BuildRbpFile(source, {kRbpKindRgb565Alpha, 0, 0});
  file[kRbpHeaderSize + 2] = 200;
  file[kRbpHeaderSize + 5] = 252;
  struct Case {
    std::uint8_t variant;
    std::uint8_t first, second;
  };
  for (const Case c : {Case{'1', 200, 252}, Case{'0', 50, 63}, Case{'R', 50, 63}}) {
    file[3] = c.variant;
    CImage image;
    ASSERT_EQ(Load(file, image), 1);
    EXPECT_EQ(image.pixelKind, kPixelKindRgb565Alpha);
    EXPECT_EQ(image.GetAlphaPlane()[0], c.first) << c.variant;
    EXPECT_EQ(image.GetAlphaPlane()[1], c.second) << c.variant;
    EXPECT_EQ(image.GetPixels()[3], PackRgb565(source.rgba[12], source.rgba[13], source.rgba[14]));
  }
}

TEST_F(RbpKinds, GreyBecomesEqualChannels) {
  SourcePicture source = MakeGradientPicture(3, 1);
  const std::uint8_t greys[3] = {255, 0, 0x80};
  std::vector<std::uint8_t> file = BuildRbpFile(source, {kRbpKindGrey, 0, 0});
  std::memcpy(file.data() + kRbpHeaderSize, greys, 3);
  CImage image;
  ASSERT_EQ(Load(file, image), 1);
  EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
  EXPECT_EQ(image.GetPixels()[0], 0xFFFF);
  EXPECT_EQ(image.GetPixels()[1], 0x0000);
  EXPECT_EQ(image.GetPixels()[2], 0x8410);
}

TEST_F(RbpKinds, PaletteKindKeepsItsOwnCopyOfTheFile) {
  SourcePicture source;
  source.width = 3;
  source.height = 2;
  source.rgba = {10, 20, 30, 255, 40, 50, 60, 255, 10, 20, 30, 255, 1, 2, 3, 255, 40, 50, 60, 255, 1, 2, 3, 255};
  const std::vector<std::uint8_t> file = BuildRbpFile(source, {kRbpKindPalette, 0, 0});

  // Stored in an archive, the entry arrives in the shared read buffer; from
  // a folder, in a block of its own.
  dir_.WriteFile("pict.mlz", BuildMlzArchive({{"pal.rbp", file, false}}, '2'));
  dir_.WriteFile("pal.rbp", file);
  CArchiveReader reader;
  CImage fromArchive, fromFolder;
  ASSERT_EQ(fromArchive.LoadRbp("pal", dir_.EnginePath("pict.mlz").c_str(), 0, &reader, nullptr, nullptr), 1);
  ASSERT_EQ(std::memcmp(gPictureReadBuffer, file.data(), file.size()), 0);
  ASSERT_EQ(fromFolder.LoadRbp("pal", dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 1);
  for (const CImage* image : {&fromArchive, &fromFolder}) {
    EXPECT_EQ(image->pixelKind, kPixelKindPalette);
    const auto* owned = static_cast<const std::uint8_t*>(image->ownedBlock);
    ASSERT_NE(owned, nullptr);
    EXPECT_NE(owned, gPictureReadBuffer);
    EXPECT_EQ(image->palette, owned + kRbpPaletteOffset);
    EXPECT_EQ(image->GetIndexes(), owned + kRbpIndexOffset);
    const std::uint8_t expectedIndexes[6] = {0, 1, 0, 2, 1, 2};
    EXPECT_EQ(std::memcmp(image->GetIndexes(), expectedIndexes, 6), 0);
    // Entries hold blue, green, red.
    EXPECT_EQ(image->palette[4 + 0], 60);
    EXPECT_EQ(image->palette[4 + 1], 50);
    EXPECT_EQ(image->palette[4 + 2], 40);
  }
  // A later load through the shared buffer leaves the first picture intact.
  std::memset(gPictureReadBuffer, 0xEE, 2048);
  EXPECT_EQ(fromArchive.GetIndexes()[1], 1);
}

TEST_F(RbpKinds, JbpKindCropsTheAlignedRowsToTheWidth) {
  for (const int width : {100, 32}) {
    const std::vector<std::uint8_t> record = MakeJbpRecord(width, 20, 7);
    std::uint32_t alignedWidth = 0;
    const std::vector<std::uint16_t> raster = DecodeAligned(record, alignedWidth);
    CImage image;
    ASSERT_EQ(Load(BuildJbpRbpFile(record, width, 20, nullptr, 125, 25), image), 1) << width;
    EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
    EXPECT_EQ(image.width, static_cast<std::uint32_t>(width));
    EXPECT_EQ(image.designWidth, 125);
    if (width == 100) {
      EXPECT_EQ(alignedWidth, 112u);
    }
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(image.GetPixels()[y * width + x], raster[y * alignedWidth + x]) << width << " " << x << "," << y;
  }
}

TEST_F(RbpKinds, JbpAlphaKindUnpacksAndScalesItsAlpha) {
  const int width = 40, height = 18;
  const std::vector<std::uint8_t> record = MakeJbpRecord(width, height, 3);
  std::vector<std::uint8_t> alpha(width * height);
  for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<std::uint8_t>(i < 300 ? 255 : i * 13);
  CImage image;
  ASSERT_EQ(Load(BuildJbpRbpFile(record, width, height, alpha.data(), 50, 22), image), 1);
  EXPECT_EQ(image.pixelKind, kPixelKindRgb565Alpha);
  std::uint32_t alignedWidth = 0;
  const std::vector<std::uint16_t> raster = DecodeAligned(record, alignedWidth);
  for (int i = 0; i < width * height; ++i) {
    ASSERT_EQ(image.GetAlphaPlane()[i], alpha[i] >> 2) << i;
    ASSERT_EQ(image.GetPixels()[i], raster[(i / width) * alignedWidth + i % width]) << i;
  }
}

TEST_F(RbpKinds, UnknownKindLoadsAsAnEmptyPicture) {
  std::vector<std::uint8_t> file = BuildRbpFile(MakeGradientPicture(5, 5), {kRbpKindRgb565, 0, 0});
  file[4] = 7;
  CImage image;
  ASSERT_EQ(Load(file, image), 1);
  EXPECT_EQ(image.pixelKind, kPixelKindEmpty);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.width, 5u);
}

TEST_F(RbpKinds, CompressedArchiveEntriesLoadToo) {
  const SourcePicture source = MakeGradientPicture(16, 16);
  dir_.WriteFile("pict.mlz",
                 BuildMlzArchive({{"big.rbp", BuildRbpFile(source, {kRbpKindRgb565Alpha, 0, 0}), true}}, '3'));
  CArchiveReader reader;
  CImage image;
  ASSERT_EQ(image.LoadRbp("big.bmp", dir_.EnginePath("pict.mlz").c_str(), 0, &reader, nullptr, nullptr), 1);
  EXPECT_EQ(image.GetAlphaPlane()[255], source.rgba[4 * 255 + 3] >> 2);
}

}  // namespace
