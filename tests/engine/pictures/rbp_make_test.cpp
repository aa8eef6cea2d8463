// The picture maker end to end: PNG files in, ".rbp" files out, loaded back
// by the engine's loader.
#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_rgb565.h"
#include "engine/pictures/rbp_format.h"
#include "picture_fixtures.h"
#include "tools/rbp_make/png_picture.h"

namespace {

class RbpMake : public PictureTest {
 protected:
  // An RGBA PNG, or with a palette a colour-mapped one.
  void WritePng(const std::string& file, const SourcePicture& picture) const {
    std::vector<std::uint8_t> colours;
    for (const auto& c : picture.palette) colours.insert(colours.end(), c.begin(), c.end());
    const bool mapped = !picture.palette.empty();
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = mapped ? PNG_FORMAT_RGB_COLORMAP : PNG_FORMAT_RGBA;
    image.colormap_entries = static_cast<png_uint_32>(picture.palette.size());
    const void* pixels = mapped ? picture.indexes.data() : picture.rgba.data();
    ASSERT_TRUE(png_image_write_to_file(&image, dir_.HostPath(file).c_str(), 0, pixels, 0,
                                        mapped ? colours.data() : nullptr));
  }

  // Runs the maker; its exit code, with what it printed in output.
  int Make(const std::string& arguments, std::string* output = nullptr) const {
    const std::string command = std::string(NOVEL_BINARY_DIR) + "/tools/rbp_make " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    const int status = pclose(pipe);
    if (output != nullptr) *output = text;
    return WEXITSTATUS(status);
  }

  std::string In(const std::string& file) const { return dir_.HostPath(file); }

  void LoadMade(const char* name, CImage& image) {
    ASSERT_EQ(image.LoadRbp(name, dir_.EnginePath("").c_str(), 0, nullptr, nullptr, nullptr), 1);
  }
};

TEST_F(RbpMake, WritesEveryKindItCodes) {
  const SourcePicture picture = MakeGradientPicture(12, 5);
  WritePng("in.png", picture);
  std::string output;
  ASSERT_EQ(Make("-k 13 " + In("in.png") + " " + In("k13.rbp"), &output), 0) << output;
  ASSERT_EQ(Make("-k 1 " + In("in.png") + " " + In("k1.rbp")), 0);
  ASSERT_EQ(Make("-k 90 " + In("in.png") + " " + In("k90.rbp")), 0);
  ASSERT_EQ(Make("-k 80 " + In("in.png") + " " + In("k80.rbp")), 0);

  CImage k13, k1, k90, k80;
  LoadMade("k13", k13);
  LoadMade("k1", k1);
  LoadMade("k90", k90);
  LoadMade("k80", k80);
  EXPECT_EQ(k13.pixelKind, kPixelKindRgb565);
  EXPECT_EQ(k1.pixelKind, kPixelKindRgb565Alpha);
  EXPECT_EQ(k90.pixelKind, kPixelKindRgb565);
  EXPECT_EQ(k80.pixelKind, kPixelKindPalette);
  for (std::size_t i = 0; i < 60; ++i) {
    const std::uint8_t* p = &picture.rgba[4 * i];
    const std::uint16_t expected = PackRgb565(p[0], p[1], p[2]);
    ASSERT_EQ(k13.GetPixels()[i], expected) << i;
    ASSERT_EQ(k1.GetPixels()[i], expected) << i;
    ASSERT_EQ(k1.GetAlphaPlane()[i], p[3] >> 2) << i;
    const std::uint8_t* entry = k80.palette + 4 * k80.GetIndexes()[i];
    ASSERT_EQ(PackRgb565(entry[2], entry[1], entry[0]), expected) << i;
    const std::uint32_t grey = (p[0] * 299 + p[1] * 587 + p[2] * 114 + 500) / 1000;
    ASSERT_EQ(k90.GetPixels()[i], PackRgb565(grey, grey, grey)) << i;
  }
}

// A smooth picture (JPEG keeps it close) whose rows and columns all differ,
// with an alpha ramp; its size is no multiple of 16.
SourcePicture MakeSmoothPicture(std::uint32_t width, std::uint32_t height) {
  SourcePicture picture;
  picture.width = width;
  picture.height = height;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      picture.rgba.push_back(static_cast<std::uint8_t>(x * 255 / (width - 1)));
      picture.rgba.push_back(static_cast<std::uint8_t>(y * 255 / (height - 1)));
      picture.rgba.push_back(static_cast<std::uint8_t>(64 + (x + y) * 128 / (width + height)));
      picture.rgba.push_back(static_cast<std::uint8_t>((x * 7 + y * 3) % 256));
    }
  }
  return picture;
}

TEST_F(RbpMake, CodesJbpKindsTheEngineReadsBack) {
  const SourcePicture picture = MakeSmoothPicture(70, 37);
  WritePng("in.png", picture);
  std::string output;
  ASSERT_EQ(Make("-k 30 -q 90 -d 87x46 " + In("in.png") + " " + In("k30.rbp"), &output), 0) << output;
  ASSERT_EQ(Make("-k 32 " + In("in.png") + " " + In("k32.rbp"), &output), 0) << output;
  ASSERT_EQ(Make("-k 30 -q 20 " + In("in.png") + " " + In("low.rbp"), &output), 0) << output;

  CImage k30, k32;
  LoadMade("k30", k30);
  LoadMade("k32", k32);
  EXPECT_EQ(k30.pixelKind, kPixelKindRgb565);
  EXPECT_EQ(k32.pixelKind, kPixelKindRgb565Alpha);
  EXPECT_EQ(k30.designWidth, 87);
  EXPECT_EQ(k30.designHeight, 46);
  for (const CImage* image : {&k30, &k32}) {
    ASSERT_EQ(image->width, 70u);
    ASSERT_EQ(image->height, 37u);
    for (std::size_t i = 0; i < 70 * 37; ++i) {
      const std::uint8_t* p = &picture.rgba[4 * i];
      const std::uint16_t got = image->GetPixels()[i];
      const int errors[3] = {int(Red8(got)) - p[0], int(Green8(got)) - p[1], int(Blue8(got)) - p[2]};
      for (const int error : errors) ASSERT_LE(std::abs(error), 20) << i;
    }
  }
  for (std::size_t i = 0; i < 70 * 37; ++i) ASSERT_EQ(k32.GetAlphaPlane()[i], picture.rgba[4 * i + 3] >> 2) << i;
  // The quality reaches the coder: a low one makes a smaller record.
  EXPECT_LT(std::filesystem::file_size(In("low.rbp")), std::filesystem::file_size(In("k30.rbp")));
}

TEST_F(RbpMake, NamesTheDesignSizeForTheScreen) {
  WritePng("in.png", MakeGradientPicture(320, 240));
  std::string output;
  ASSERT_EQ(Make(In("in.png") + " " + In("full.rbp"), &output), 0);
  EXPECT_NE(output.find("design 400 x 300"), std::string::npos) << output;
  ASSERT_EQ(Make("-s 320x240 " + In("in.png") + " " + In("small.rbp"), &output), 0);
  EXPECT_NE(output.find("design 800 x 600"), std::string::npos) << output;
  ASSERT_EQ(Make("-d 123x45 " + In("in.png") + " " + In("given.rbp")), 0);

  struct Case {
    const char* name;
    std::int32_t w, h;
  };
  for (const Case c : {Case{"full", 400, 300}, Case{"small", 800, 600}, Case{"given", 123, 45}}) {
    CImage image;
    LoadMade(c.name, image);
    EXPECT_EQ(image.designWidth, c.w) << c.name;
    EXPECT_EQ(image.designHeight, c.h) << c.name;
  }
}

TEST_F(RbpMake, KeepsThePaletteOfAPalettePng) {
  SourcePicture picture;
  picture.width = 4;
  picture.height = 2;
  picture.palette = {{9, 8, 7}, {200, 100, 50}, {0, 0, 255}};
  picture.indexes = {2, 1, 0, 1, 2, 2, 0, 0};
  WritePng("pal.png", picture);

  SourcePicture read;
  std::string error;
  ASSERT_TRUE(ReadPngPicture(In("pal.png"), read, error)) << error;
  EXPECT_EQ(read.indexes, picture.indexes);
  EXPECT_EQ(read.palette, picture.palette);

  ASSERT_EQ(Make("-k 80 " + In("pal.png") + " " + In("pal.rbp")), 0);
  CImage image;
  LoadMade("pal", image);
  EXPECT_EQ(std::vector<std::uint8_t>(image.GetIndexes(), image.GetIndexes() + 8), picture.indexes);
  EXPECT_EQ(image.palette[4 * 1 + 0], 50);
  EXPECT_EQ(image.palette[4 * 1 + 2], 200);
}

TEST_F(RbpMake, RefusesWhatItCannotMake) {
  WritePng("many.png", MakeGradientPicture(40, 40));  // well over 256 colours
  dir_.WriteFile("bad.png", {0x89, 'P', 'N', 'G', 0, 0});
  std::string output;
  EXPECT_EQ(Make("-k 80 " + In("many.png") + " " + In("out.rbp"), &output), 1);
  EXPECT_NE(output.find("256"), std::string::npos) << output;
  EXPECT_EQ(Make("-k 30 -q 0 " + In("many.png") + " " + In("out.rbp")), 1);
  EXPECT_EQ(Make("-k 32 -q 101 " + In("many.png") + " " + In("out.rbp")), 1);
  EXPECT_EQ(Make("-k 30 -q 9x " + In("many.png") + " " + In("out.rbp")), 2);
  EXPECT_EQ(Make("-k 7 " + In("many.png") + " " + In("out.rbp")), 1);
  EXPECT_EQ(Make(In("bad.png") + " " + In("out.rbp")), 1);
  EXPECT_EQ(Make(In("absent.png") + " " + In("out.rbp")), 1);
  EXPECT_EQ(Make("-k x " + In("many.png") + " " + In("out.rbp")), 2);
  EXPECT_EQ(Make(In("many.png")), 2);
  EXPECT_FALSE(std::filesystem::exists(dir_.HostPath("out.rbp")));
}

}  // namespace
