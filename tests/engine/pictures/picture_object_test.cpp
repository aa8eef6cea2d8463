#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/shell/back_buffer.h"
#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_rgb565.h"
#include "engine/pictures/rbp_format.h"
#include "picture_fixtures.h"

namespace {

// A width x height RGB565 picture holding the given values (repeated).
void Fill(CImage& image, std::uint32_t width, std::uint32_t height, const std::vector<std::uint16_t>& values) {
  ASSERT_EQ(image.CreateBlank(width, height, 0, 2), 1);
  for (std::uint32_t i = 0; i < width * height; ++i) image.GetPixels()[i] = values[i % values.size()];
}

std::vector<std::uint16_t> AllPixelValues() {
  std::vector<std::uint16_t> values(65536);
  for (std::uint32_t i = 0; i < 65536; ++i) values[i] = static_cast<std::uint16_t>(i);
  return values;
}

std::vector<std::uint16_t> PixelsOf(const CImage& image) {
  return {image.GetPixels(), image.GetPixels() + std::size_t{image.width} * image.height};
}

class PictureObject : public PictureTest {};

TEST_F(PictureObject, DarkenLowersEachChannelBelowEighty) {
  CImage image;
  Fill(image, 256, 256, AllPixelValues());
  image.DarkenByColor(0x505050);
  EXPECT_EQ(PixelsOf(image), AllPixelValues());
  EXPECT_EQ(image.effectState, kEffectDarkened);

  image.DarkenByColor(0x000050);  // red and green lose 80, blue nothing
  for (std::uint32_t p = 0; p < 65536; ++p) {
    const auto v = static_cast<std::uint16_t>(p);
    const std::uint16_t expected =
        PackRgb565(std::max<int>(Red8(v) - 80, 0), std::max<int>(Green8(v) - 80, 0), Blue8(v));
    ASSERT_EQ(image.GetPixels()[p], expected) << p;
  }
}

TEST_F(PictureObject, InvertTwiceRestoresPixelsAndState) {
  CImage image;
  Fill(image, 256, 256, AllPixelValues());
  image.InvertColors();
  EXPECT_EQ(image.effectState, kEffectInverted);
  EXPECT_EQ(image.GetPixels()[0x1234], static_cast<std::uint16_t>(~0x1234));
  image.InvertColors();
  EXPECT_EQ(image.effectState, kEffectNone);
  EXPECT_EQ(PixelsOf(image), AllPixelValues());
  image.DarkenByColor(0);
  image.InvertColors();  // any effect state goes back to none
  EXPECT_EQ(image.effectState, kEffectNone);
}

TEST_F(PictureObject, BrightnessScalesChannels) {
  CImage image;
  Fill(image, 256, 256, AllPixelValues());
  image.ScaleBrightness(256);
  EXPECT_EQ(PixelsOf(image), AllPixelValues());
  image.ScaleBrightness(128);
  EXPECT_EQ(image.GetPixels()[0xFFFF], PackRgb565(0x7C, 0x7E, 0x7C));
  image.ScaleBrightness(0);
  EXPECT_EQ(PixelsOf(image), std::vector<std::uint16_t>(65536, 0));
}

TEST_F(PictureObject, GreyAndSepiaTonesOfSinglePixels) {
  const struct {
    std::uint16_t pixel, grey, sepia;
  } kCases[] = {
      {0xF800, 0x528A, 0x5205},  // red: grey level (31 + 0 + 0) / 3 = 10
      {0xFFFF, 0xFFDF, 0xFE4F},  // white: grey green 2 x 31; sepia of 248, 252, 248
      {0x07E0, 0x528A, 0x5225},  // green: its upper five bits count
      {0x0020, 0x0000, 0x0000},  // the lowest green bit alone counts for nothing
      {0x001F, 0x528A, 0x5205},
      {0x8410, 0x8410, 0x7B48},  // mid grey: Y 128 gives 127, 104, 65
      {0x0000, 0x0000, 0x0000},
  };
  for (const auto& c : kCases) {
    CImage image;
    Fill(image, 2, 1, {c.pixel});
    image.ApplyGrey();
    EXPECT_EQ(image.GetPixels()[1], c.grey) << std::hex << c.pixel;
    EXPECT_EQ(image.effectState, kEffectGrey);
    Fill(image, 2, 1, {c.pixel});
    image.ApplySepia();
    EXPECT_EQ(image.GetPixels()[1], c.sepia) << std::hex << c.pixel;
    EXPECT_EQ(image.effectState, kEffectSepia);
  }
}

TEST_F(PictureObject, GreyLeavesGreyPixelsAsTheyAre) {
  CImage image;
  Fill(image, 256, 256, AllPixelValues());
  image.ApplyGrey();
  const std::vector<std::uint16_t> grey = PixelsOf(image);
  for (std::uint16_t p : grey) {
    ASSERT_EQ(p >> 11, p & 0x1F) << p;
    ASSERT_EQ((p >> 5) & 0x3F, (p & 0x1F) * 2) << p;
  }
  image.ApplyGrey();
  EXPECT_EQ(PixelsOf(image), grey);
}

TEST_F(PictureObject, TonesChangeThePixelsButNeverTheAlphaPlane) {
  CImage image;
  ASSERT_EQ(image.CreateBlank(16, 4, 0, 0), 1);
  ASSERT_EQ(image.pixelKind, kPixelKindRgb565Alpha);
  for (std::uint32_t i = 0; i < 64; ++i) {
    image.GetPixels()[i] = 0xF800;
    image.alphaPlane[i] = static_cast<std::uint8_t>(i);
  }
  image.ApplyGrey();
  EXPECT_EQ(PixelsOf(image), std::vector<std::uint16_t>(64, 0x528A));
  image.ApplySepia();
  EXPECT_EQ(PixelsOf(image), std::vector<std::uint16_t>(64, 0x4A05));  // Y 80 gives 79, 65, 40
  for (std::uint32_t i = 0; i < 64; ++i) ASSERT_EQ(image.alphaPlane[i], i);
}

TEST_F(PictureObject, EffectsLeavePalettePicturesButRecordTheState) {
  dir_.WriteFile("pal.rbp", BuildRbpFile(MakeGradientPicture(4, 4), {kRbpKindPalette, 0, 0}));
  CImage image;
  ASSERT_EQ(image.LoadRbp("pal", dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 1);
  const std::vector<std::uint8_t> before(image.GetIndexes(), image.GetIndexes() + 16);
  image.DarkenByColor(0);
  EXPECT_EQ(image.effectState, kEffectDarkened);
  image.ScaleBrightness(0);
  image.InvertColors();
  EXPECT_EQ(image.effectState, kEffectNone);
  image.InvertColors();
  EXPECT_EQ(image.effectState, kEffectInverted);
  image.ApplyGrey();
  EXPECT_EQ(image.effectState, kEffectGrey);
  image.ApplySepia();
  EXPECT_EQ(image.effectState, kEffectSepia);
  EXPECT_EQ(image.pixelKind, kPixelKindPalette);
  EXPECT_EQ(std::vector<std::uint8_t>(image.GetIndexes(), image.GetIndexes() + 16), before);
}

TEST_F(PictureObject, BlankPicturesAndTheirDesignSize) {
  CImage image;
  ASSERT_EQ(image.CreateBlank(320, 240, 0, 0), 1);
  EXPECT_EQ(image.pixelKind, kPixelKindRgb565Alpha);
  EXPECT_EQ(image.flags, kPictureFlagPartsSheet);
  EXPECT_EQ(image.designWidth, 400);
  EXPECT_EQ(image.designHeight, 300);
  EXPECT_EQ(std::count(image.alphaPlane, image.alphaPlane + 320 * 240, 0), 320 * 240);
  ASSERT_EQ(image.CreateBlank(3, 2, 0xFF, 2), 1);
  EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
  EXPECT_EQ(image.alphaPlane, nullptr);
  EXPECT_EQ(PixelsOf(image), std::vector<std::uint16_t>(6, 0xFFFF));
  image.Free();
  image.Free();
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.pixelKind, kPixelKindEmpty);
}

TEST_F(PictureObject, SnapshotCopiesTheBackBufferAndKeepsTheDesignSize) {
  SetScreenSize(4, 3);
  CBackBuffer backBuffer;
  const std::vector<std::uint16_t> back = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  std::copy(back.begin(), back.end(), backBuffer.GetPixels());
  CImage image;
  image.designWidth = 77;
  ASSERT_EQ(image.CopyFromBackBuffer(backBuffer), 1);
  EXPECT_EQ(image.width, 4u);
  EXPECT_EQ(image.height, 3u);
  EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
  EXPECT_EQ(image.flags, 0u);
  EXPECT_EQ(image.designWidth, 77);
  EXPECT_EQ(PixelsOf(image), back);
}

TEST_F(PictureObject, DrawImageClipsToBothPictures) {
  CImage source;
  Fill(source, 3, 2, {1, 2, 3, 4, 5, 6});
  struct Case {
    int x, y, w, h;
    std::vector<std::uint16_t> expected;  // destination 4 x 3, cleared to 0
  };
  const Case cases[] = {
      {0, 0, 3, 2, {1, 2, 3, 0, 4, 5, 6, 0, 0, 0, 0, 0}},
      {2, 1, 3, 2, {0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 4, 5}},   // cut by the destination
      {-1, -1, 3, 2, {5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // negative start skips source
      {0, 0, 50, 50, {1, 2, 3, 0, 4, 5, 6, 0, 0, 0, 0, 0}},  // larger than the source
      {1, 0, 1, 1, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {4, 0, 3, 2, std::vector<std::uint16_t>(12, 0)},
      {-3, 0, 3, 2, std::vector<std::uint16_t>(12, 0)},
  };
  for (const Case& c : cases) {
    CImage destination;
    Fill(destination, 4, 3, {0});
    destination.DrawImage(source, c.x, c.y, c.w, c.h);
    EXPECT_EQ(PixelsOf(destination), c.expected) << c.x << "," << c.y << " " << c.w << "x" << c.h;
  }
}

TEST_F(PictureObject, DrawImageBlendsAnAlphaSourceOverSixtyFourLevels) {
  CImage source;
  ASSERT_EQ(source.CreateBlank(4, 1, 0, 0), 1);
  const std::uint8_t levels[4] = {0, 63, 32, 200};
  for (int i = 0; i < 4; ++i) {
    source.GetPixels()[i] = 0xFFFF;
    source.alphaPlane[i] = levels[i];
  }
  CImage destination;
  Fill(destination, 4, 1, {0x0841});
  destination.DrawImage(source, 0, 0, 4, 1);
  EXPECT_EQ(destination.GetPixels()[0], 0x0841);
  EXPECT_EQ(destination.GetPixels()[1], 0xFFFF);
  const std::uint32_t redBlue = (((0xF81Fu * 32 + 0x0801u * 32) >> 6) & 0xF81F);
  const std::uint32_t green = (((0x07E0u * 32 + 0x0040u * 32) >> 6) & 0x07E0);
  EXPECT_EQ(destination.GetPixels()[2], redBlue | green);
  EXPECT_EQ(destination.GetPixels()[3], 0xFFFF);  // stored alpha above 63 counts as opaque
}

}  // namespace
