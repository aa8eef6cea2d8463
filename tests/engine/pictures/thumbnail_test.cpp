#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_rgb565.h"
#include "engine/pictures/picture_thumbnail.h"
#include "picture_fixtures.h"

namespace {


std::uint16_t BoxColour(std::uint32_t i, std::uint32_t j) { return PackRgb565(i * 2, j * 3, (i + j) * 2); }

TEST(ThumbnailBitmap, AveragesEightByEightBoxesBottomUp) {
  // Every box holds its colour on one checkerboard half and black on the
  // other, so its average is half its colour.
  std::vector<std::uint16_t> screen(800 * 600);
  for (std::uint32_t y = 0; y < 600; ++y)
    for (std::uint32_t x = 0; x < 800; ++x) screen[y * 800 + x] = (x + y) % 2 ? 0 : BoxColour(x / 8, y / 8);
  const std::vector<std::uint8_t> bmp = ThumbnailBytes(screen, 800, 600, 100, 75);
  ASSERT_EQ(bmp.size(), 15054u);

  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(ReadLe32(&bmp[2]), 15054u);
  EXPECT_EQ(ReadLe32(&bmp[6]), 0u);
  EXPECT_EQ(ReadLe32(&bmp[10]), 54u);
  EXPECT_EQ(ReadLe32(&bmp[14]), 40u);
  EXPECT_EQ(ReadLe32(&bmp[18]), 100u);
  EXPECT_EQ(ReadLe32(&bmp[22]), 75u);
  EXPECT_EQ(ReadLe16(&bmp[26]), 1);
  EXPECT_EQ(ReadLe16(&bmp[28]), 16);
  EXPECT_EQ(ReadLe32(&bmp[30]), 0u);
  EXPECT_EQ(ReadLe32(&bmp[34]), 15000u);
  for (int k = 38; k < 54; ++k) EXPECT_EQ(bmp[k], 0) << k;

  for (std::uint32_t j = 0; j < 75; ++j) {
    for (std::uint32_t i = 0; i < 100; ++i) {
      const std::uint16_t c = BoxColour(i, j);
      const std::uint16_t expected = PackRgb565(Red8(c) / 2, Green8(c) / 2, Blue8(c) / 2);
      ASSERT_EQ(ReadLe16(&bmp[54 + ((74 - j) * 100 + i) * 2]), expected) << i << "," << j;
    }
  }
}

TEST(ThumbnailBitmap, LargerTargetIsBlackAndZeroTargetIsRefused) {
  const std::vector<std::uint16_t> source(10 * 10, 0xFFFF);
  const std::vector<std::uint8_t> bmp = ThumbnailBytes(source, 10, 10, 20, 20);
  ASSERT_EQ(bmp.size(), 54u + 800u);
  EXPECT_EQ(std::vector<std::uint8_t>(bmp.begin() + 54, bmp.end()), std::vector<std::uint8_t>(800, 0));

  std::uint32_t size = 99;
  EXPECT_EQ(BuildThumbnailBitmap(source.data(), 10, 10, 0, 5, &size), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(BuildThumbnailBitmap(source.data(), 10, 10, 5, 0, nullptr), nullptr);
}

TEST(SaveTimeStamp, PacksTheFatLayout) {
  EXPECT_EQ(PackSaveTimeStamp("2024-05-06 07:08:09"),
            24u << 25 | 5u << 21 | 6u << 16 | 7u << 11 | 8u << 5 | 4u);
  EXPECT_EQ(PackSaveTimeStamp("1999-12-31 23:59:58"),
            99u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u);
  EXPECT_EQ(PackSaveTimeStamp("2024-05-06"), 0u);
  EXPECT_EQ(PackSaveTimeStamp(""), 0u);
}

class SaveThumbnail : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    for (std::uint32_t i = 0; i < screen_.size(); ++i) screen_[i] = static_cast<std::uint16_t>(i * 37);
    bitmap_ = ThumbnailBytes(screen_, 80, 60, 40, 30);
  }

  std::vector<std::uint8_t> SaveFile(const std::string& text) const { return MakeSaveFile(text, bitmap_); }

  int Load(const std::vector<std::uint8_t>& file, CImage& image, char* text, std::int32_t* chapter,
           std::uint32_t* stamp) {
    dir_.WriteFile("save001.dat", file);
    return image.LoadSaveThumbnail("save001.dat", dir_.EnginePath("").c_str(), text, chapter, stamp);
  }

  std::vector<std::uint16_t> screen_ = std::vector<std::uint16_t>(80 * 60);
  std::vector<std::uint8_t> bitmap_;
};

TEST_F(SaveThumbnail, ReadsPictureTopDownTextAndStamp) {
  CImage image;
  char text[kSaveTextSize];
  std::int32_t chapter = -1;
  std::uint32_t stamp = 0;
  ASSERT_EQ(Load(SaveFile("\x82\xa0hello"), image, text, &chapter, &stamp), 1);
  EXPECT_EQ(image.width, 40u);
  EXPECT_EQ(image.height, 30u);
  EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
  for (std::uint32_t y = 0; y < 30; ++y)
    for (std::uint32_t x = 0; x < 40; ++x)
      ASSERT_EQ(image.GetPixels()[y * 40 + x], ReadLe16(&bitmap_[54 + ((29 - y) * 40 + x) * 2]));
  EXPECT_STREQ(text, "\x82\xa0hello");
  EXPECT_EQ(chapter, 0);
  EXPECT_EQ(stamp, PackSaveTimeStamp("2024-05-06 07:08:09"));
}

TEST_F(SaveThumbnail, UnterminatedTextIsCutToTheField) {
  CImage image;
  char text[kSaveTextSize + 8];
  std::memset(text, 'X', sizeof text);
  std::vector<std::uint8_t> file = SaveFile(std::string(256, 'a'));
  ASSERT_EQ(Load(file, image, text, nullptr, nullptr), 1);
  EXPECT_EQ(std::strlen(text), 255u);
  EXPECT_EQ(text[256], 'X');
}

TEST_F(SaveThumbnail, ForeignOrDamagedFilesFail) {
  const auto put32 = [](std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  };
  const Case cases[] = {
      {"magic STB", [](auto& f) { f[2] = 'B'; }},
      {"version not a digit", [](auto& f) { f[3] = 'x'; }},
      {"cut inside the pixels", [](auto& f) { f.resize(f.size() - 1); }},
      {"cut inside the header", [](auto& f) { f.resize(200); }},
      {"bitmap offset past the end", [&](auto& f) { put32(f, 4, static_cast<std::uint32_t>(f.size()) - 10); }},
      {"bitmap offset absurd", [&](auto& f) { put32(f, 4, 0xFFFFFFF0u); }},
      {"height absurd", [&](auto& f) { put32(f, kSaveHeaderBytes + 22, 0x7FFFFFFF); }},
      {"height negative", [&](auto& f) { put32(f, kSaveHeaderBytes + 22, 0xFFFFFFE2u); }},
      {"width doubled", [&](auto& f) { put32(f, kSaveHeaderBytes + 18, 80); }},
      {"not 16 bits", [](auto& f) { f[kSaveHeaderBytes + 28] = 24; }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> file = SaveFile("text");
    c.damage(file);
    CImage image;
    std::uint32_t stamp = 5;
    EXPECT_EQ(Load(file, image, nullptr, nullptr, &stamp), 0) << c.what;
    EXPECT_EQ(image.pixels, nullptr) << c.what;
    EXPECT_EQ(stamp, 0u) << c.what;
  }
  CImage image;
  EXPECT_EQ(image.LoadSaveThumbnail("save009.dat", dir_.EnginePath("").c_str(), nullptr, nullptr, nullptr), 0);
}

}  // namespace
