#include <gtest/gtest.h>

#include <algorithm>

#include "engine/pictures/picture_object.h"
#include "message_fixture.h"

namespace {

class MessageImageTest : public MessageWindowTest {
 protected:
  void SetUp() override {
    MessageWindowTest::SetUp();
    ASSERT_EQ(picture.CreateBlank(40, 30, 0, 0), 1);
    for (std::uint32_t i = 0; i < 40 * 30; ++i) {
      picture.GetPixels()[i] = kGround;
      picture.GetAlphaPlane()[i] = 20;
    }
  }
  std::uint16_t Pixel(int x, int y) { return picture.GetPixels()[y * 40 + x]; }
  int Alpha(int x, int y) { return picture.GetAlphaPlane()[y * 40 + x]; }

  static constexpr std::uint16_t kGround = 0x39E7;
  CImage picture;
};

TEST_F(MessageImageTest, CoverageRaisesAlphaAndBlendsThePixel) {
  // Size 24 gives g 19; factor 2 draws the fake 'A' at 38: 19 wide, so
  // column 9 has half its samples set, column 0 row 0 three of four.
  ASSERT_EQ(window->RenderTextToImage(picture, "A", 24, 0, 0x0000FF, 0, 0, 2, 0), 1);
  const std::uint16_t blue = 0x001F;
  EXPECT_EQ(Pixel(5, 5), blue);
  EXPECT_EQ(Alpha(5, 5), 63);
  // c = 255 x 2 / 4 = 127: level 31, alpha 20 + 43 x 31 / 64 = 40.
  EXPECT_EQ(Alpha(9, 5), 40);
  EXPECT_EQ(Pixel(9, 5), Mix(blue, kGround, 31));
  // c = 255 x 3 / 4 = 191: level 47.
  EXPECT_EQ(Alpha(0, 0), 20 + 43 * 47 / 64);
  EXPECT_EQ(Pixel(0, 0), Mix(blue, kGround, 47));
  EXPECT_EQ(Pixel(10, 5), kGround);
  EXPECT_EQ(Alpha(10, 5), 20);
}

TEST_F(MessageImageTest, FactorsAboveFourSampleFourByFour) {
  CImage four;
  ASSERT_EQ(four.CreateBlank(40, 30, 0, 0), 1);
  CImage nine;
  ASSERT_EQ(nine.CreateBlank(40, 30, 0, 0), 1);
  ASSERT_EQ(window->RenderTextToImage(four, "Ab", 24, 0, 0x00FF00, 0, 0, 4, 1), 1);
  ASSERT_EQ(window->RenderTextToImage(nine, "Ab", 24, 0, 0x00FF00, 0, 0, 9, 1), 1);
  EXPECT_TRUE(std::equal(four.GetPixels(), four.GetPixels() + 40 * 30, nine.GetPixels()));
  EXPECT_TRUE(std::equal(four.GetAlphaPlane(), four.GetAlphaPlane() + 40 * 30, nine.GetAlphaPlane()));
}

TEST_F(MessageImageTest, ShadowPassRunsFirstInBlack) {
  ASSERT_EQ(window->RenderTextToImage(picture, "A", 24, 0, 0xFFFFFF, 0, 0, 1, 1), 1);
  // The glyph's own pixels win over the shadow; the shadow shows right and
  // below it.
  EXPECT_EQ(Pixel(3, 3), 0xFFFF);
  EXPECT_EQ(Pixel(9, 3), 0x0000);
  EXPECT_EQ(Alpha(9, 3), 63);
  EXPECT_EQ(Pixel(4, 19), 0x0000);
  EXPECT_EQ(Pixel(10, 3), kGround);
}

TEST_F(MessageImageTest, TextBeyondThePictureIsClippedAndPlainPicturesAreRefused) {
  const std::string line = std::string(kWideA) + kWideA + kWideA;
  // Design x 30 is screen x 24; the second glyph starts past the 40 px edge.
  ASSERT_EQ(window->RenderTextToImage(picture, line.c_str(), 24, 0, 0xFF0000, 30, 20, 4, 1), 1);
  EXPECT_EQ(Pixel(39, 29), 0xF800);
  ASSERT_EQ(window->RenderLabelToImage(picture, line.c_str(), 24, 0, 0xFF0000, -10, -10, 3, 1, 4), 1);
  CImage plain;
  ASSERT_EQ(plain.CreateBlank(8, 8, 0, 2), 1);
  EXPECT_EQ(window->RenderTextToImage(plain, "A", 24, 0, 0xFFFFFF, 0, 0, 1, 0), 0);
}

}  // namespace
