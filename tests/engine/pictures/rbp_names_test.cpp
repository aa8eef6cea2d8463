#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/pictures/picture_object.h"
#include "engine/pictures/rbp_format.h"
#include "engine/pictures/rbp_loader.h"
#include "picture_fixtures.h"

namespace {

TEST(PictureName, NormalisedToRbpWithinTheNameField) {
  struct Case {
    std::string name;
    const char* expected;  // null: refused
  };
  const std::string base59(59, 'a');
  const std::string base60(60, 'a');
  const Case cases[] = {
      {"title", "title.rbp"},
      {"title.bmp", "title.rbp"},
      {"title.RBP", "title.RBP"},
      {"x.b", "x.rbp"},
      {"bg.01.png", "bg.01.rbp"},
      {base59, nullptr},            // checked below: 63 characters fit
      {base60, nullptr},            // 64 once ".rbp" is appended
      {base60 + ".b", nullptr},     // 62 given, 64 after the extension grows
      {base60 + ".rbp", nullptr},   // 64 as given
      {std::string(300, 'z'), nullptr},
  };
  for (const Case& c : cases) {
    char out[kPictureNameSize];
    std::memset(out, 'X', sizeof out);
    const int fits = NormalisePictureName(c.name.c_str(), out);
    if (c.name == base59) {
      EXPECT_EQ(fits, 1);
      EXPECT_EQ(std::string(out), base59 + ".rbp");
      EXPECT_EQ(std::strlen(out), 63u);
    } else if (c.expected != nullptr) {
      EXPECT_EQ(fits, 1) << c.name;
      EXPECT_STREQ(out, c.expected);
    } else {
      EXPECT_EQ(fits, 0) << c.name;
      EXPECT_STREQ(out, "");
    }
  }
}

TEST(PictureName, ByteAfterALeadByteIsNeverTheExtensionDot) {
  char out[kPictureNameSize];
  ASSERT_EQ(NormalisePictureName("ab\x83.c", out), 1);
  EXPECT_STREQ(out, "ab\x83.c.rbp");
  ASSERT_EQ(NormalisePictureName("\x83\x41.bmp", out), 1);
  EXPECT_STREQ(out, "\x83\x41.rbp");
}

class RbpNames : public PictureTest {
 protected:
  void WritePicture(const std::string& fileName) {
    dir_.WriteFile(fileName, BuildRbpFile(MakeGradientPicture(4, 2), {kRbpKindRgb565, 5, 2}));
  }
};

TEST_F(RbpNames, LoadsTheNameWithRbpFromAFolder) {
  WritePicture("title.rbp");
  for (const char* name : {"title", "title.bmp", "title.RBP"}) {
    CImage image;
    ASSERT_EQ(image.LoadRbp(name, dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 1) << name;
    EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
    EXPECT_EQ(image.width, 4u);
    EXPECT_EQ(std::string(image.name), std::string(name) == "title.RBP" ? "title.RBP" : "title.rbp");
  }
}

TEST_F(RbpNames, SixtyThreeCharactersLoadAndSixtyFourFailUntouched) {
  const std::string fits(59, 'n');
  WritePicture(fits + ".rbp");
  CImage image;
  ASSERT_EQ(image.LoadRbp(fits.c_str(), dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(std::string(image.name), fits + ".rbp");

  void* pixels = image.pixels;
  for (const std::string& name : {std::string(60, 'n'), std::string(60, 'n') + ".rbp", std::string(60, 'n') + ".x"}) {
    EXPECT_EQ(image.LoadRbp(name.c_str(), dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(image.pixels, pixels);
    EXPECT_EQ(image.pixelKind, kPixelKindRgb565);
    EXPECT_EQ(std::string(image.name), fits + ".rbp");
  }
}

TEST_F(RbpNames, MissingFileAndMissingArchiveReaderFail) {
  CImage image;
  EXPECT_EQ(image.LoadRbp("absent", dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(image.LoadRbp("title", dir_.EnginePath("pict.mlz").c_str(), 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(image.pixelKind, kPixelKindEmpty);
}

}  // namespace
