#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/shell/game_engine.h"
#include "engine/pictures/picture_design_space.h"
#include "engine/pictures/picture_slots.h"
#include "engine/pictures/rbp_format.h"
#include "picture_fixtures.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

std::vector<std::uint8_t> Picture(std::uint32_t width) {
  return BuildRbpFile(MakeGradientPicture(width, 2), {kRbpKindRgb565, 0, 0});
}

class PictureSlots : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    std::vector<std::uint8_t> damaged = Picture(3);
    damaged.resize(damaged.size() - 1);
    dir_.WriteFile("pict.mlz", BuildMlzArchive({{"bg00.rbp", Picture(1), true},
                                                {"both.rbp", Picture(2), false},
                                                {"broken.rbp", damaged, false}},
                                               '2'));
    dir_.WriteFile("pict2.mlz", BuildMlzArchive({{"BG01.rbp", Picture(4), true}, {"both.rbp", Picture(5), true}}, '3'));
    std::filesystem::create_directories(dir_.HostPath("save"));
    slots_.SetArchivePaths(dir_.EnginePath("pict.mlz").c_str(), dir_.EnginePath("pict2.mlz").c_str());
    slots_.SetSaveFolder(dir_.EnginePath("save/").c_str());
  }

  std::uint32_t WidthIn(int slot) const { return slots_.Get(slot) ? slots_.Get(slot)->width : 0; }

  std::uint32_t status_ = 0;
  CPictureSlots slots_{status_};
};

TEST_F(PictureSlots, SearchesTheArchivesInEitherOrder) {
  std::string path;
  EXPECT_EQ(slots_.FindPictureArchive("both.rbp", &path), 0);
  EXPECT_EQ(path, dir_.EnginePath("pict.mlz"));
  EXPECT_EQ(slots_.FindPictureArchiveSecondFirst("both.rbp", &path), 1);
  EXPECT_EQ(path, dir_.EnginePath("pict2.mlz"));
  EXPECT_EQ(slots_.FindPictureArchive("bg01.RBP", &path), 1);
  EXPECT_EQ(slots_.FindPictureArchiveSecondFirst("bg00.rbp", nullptr), 0);
  EXPECT_EQ(slots_.FindPictureArchive("none.rbp", nullptr), -1);

  int a = 1, b = 1;
  EXPECT_EQ(slots_.LoadPictureSlot(3, "bg01", 0, &a, &b), 1);
  EXPECT_EQ(WidthIn(3), 4u);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(slots_.LoadPictureSlot(4, "both.bmp", 1, nullptr, nullptr), 0);
  EXPECT_EQ(WidthIn(4), 2u);
  EXPECT_EQ(slots_.Get(4)->flags, kPictureFlagPartsSheet);
  EXPECT_EQ(slots_.LoadPictureSlotSecondFirst(4, "both", 0, nullptr, nullptr), 1);
  EXPECT_EQ(WidthIn(4), 5u);
  EXPECT_EQ(slots_.LoadPictureSlotSecondFirst(5, "bg00", 0, nullptr, nullptr), 0);
  EXPECT_EQ(WidthIn(5), 1u);
  EXPECT_EQ(status_, 0u);
}

TEST_F(PictureSlots, MissingPictureEmptiesTheSlotQuietly) {
  ASSERT_EQ(slots_.LoadPictureSlot(7, "bg00", 0, nullptr, nullptr), 0);
  EXPECT_EQ(slots_.LoadPictureSlot(7, "absent", 0, nullptr, nullptr), -1);
  EXPECT_EQ(slots_.IsPictureSlotUsed(7), 0);
  EXPECT_EQ(slots_.LoadPictureSlot(8, std::string(200, 'q').c_str(), 0, nullptr, nullptr), -1);
  EXPECT_EQ(status_, 0u);
}

TEST_F(PictureSlots, DamagedPictureStopsTheEngineAndNamesItself) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(slots_.LoadPictureSlot(9, "broken", 0, nullptr, nullptr), 0);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_EQ(status_, STATUS_PICTURE_FAILED);
  EXPECT_NE(message.find("broken.rbp"), std::string::npos) << message;
  ASSERT_TRUE(slots_.IsPictureSlotUsed(9));
  EXPECT_EQ(slots_.Get(9)->pixels, nullptr);
}

TEST_F(PictureSlots, SlotNumbersOutsideTheTableAreIgnored) {
  ASSERT_EQ(slots_.LoadPictureSlot(255, "bg00", 0, nullptr, nullptr), 0);
  for (const int slot : {256, -1, 100000}) {
    EXPECT_EQ(slots_.LoadPictureSlot(slot, "bg00", 0, nullptr, nullptr), -1);
    EXPECT_EQ(slots_.LoadPictureSlotSecondFirst(slot, "bg00", 0, nullptr, nullptr), -1);
    EXPECT_EQ(slots_.LoadThumbnailSlot(slot, 0, nullptr, nullptr, nullptr), 0);
    slots_.FreePictureSlot(slot);
    EXPECT_EQ(slots_.IsPictureSlotUsed(slot), 0);
    EXPECT_EQ(slots_.Get(slot), nullptr);
  }
  EXPECT_EQ(status_, 0u);

  slots_.CreateBlankPictureSlot(256, 100, 100);
  EXPECT_EQ(status_, STATUS_BLANK_HIGH_SLOT);
  status_ = 0;
  slots_.CreateBlankPictureSlot(-1, 100, 100);
  EXPECT_EQ(status_, STATUS_BLANK_HIGH_SLOT);
  EXPECT_EQ(WidthIn(255), 1u);
}

TEST_F(PictureSlots, BlankPicturesAreTransparentBlackInScreenPixels) {
  struct Case {
    std::int32_t screenW, screenH, designW, designH;
    std::uint32_t width, height;
  };
  for (const Case c : {Case{640, 480, 800, 600, 640, 480}, Case{320, 240, 100, 50, 40, 20},
                       Case{320, 240, 3, 3, 1, 1}}) {
    SetScreenSize(c.screenW, c.screenH);
    slots_.CreateBlankPictureSlot(12, c.designW, c.designH);
    const CImage* image = slots_.Get(12);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, c.height);
    EXPECT_EQ(image->pixelKind, kPixelKindRgb565Alpha);
    const std::size_t count = std::size_t{c.width} * c.height;
    EXPECT_EQ(std::count(image->GetPixels(), image->GetPixels() + count, 0), static_cast<std::ptrdiff_t>(count));
    EXPECT_EQ(std::count(image->alphaPlane, image->alphaPlane + count, 0), static_cast<std::ptrdiff_t>(count));
  }
  EXPECT_EQ(status_, 0u);
}

TEST_F(PictureSlots, ThumbnailSlotsCountSavesFromOne) {
  const std::vector<std::uint8_t> file =
      MakeSaveFile("line", ThumbnailBytes(std::vector<std::uint16_t>(16 * 12, 0x1234), 16, 12, 8, 6));
  dir_.WriteFile("save/save012.dat", file);

  char text[kSaveTextSize] = {};
  EXPECT_EQ(slots_.LoadThumbnailSlot(160, 11, text, nullptr, nullptr), 1);
  EXPECT_EQ(WidthIn(160), 8u);
  EXPECT_STREQ(text, "line");
  EXPECT_EQ(slots_.LoadThumbnailSlot(160, 0, text, nullptr, nullptr), 0);
  EXPECT_FALSE(slots_.IsPictureSlotUsed(160));
}

TEST_F(PictureSlots, FreeingEmptiesSlots) {
  slots_.LoadPictureSlot(1, "bg00", 0, nullptr, nullptr);
  slots_.LoadPictureSlot(2, "bg00", 0, nullptr, nullptr);
  slots_.FreePictureSlot(1);
  slots_.FreePictureSlot(1);
  EXPECT_FALSE(slots_.IsPictureSlotUsed(1));
  EXPECT_TRUE(slots_.IsPictureSlotUsed(2));
  slots_.FreeAllPictureSlots();
  EXPECT_FALSE(slots_.IsPictureSlotUsed(2));
}

class DesignSpace : public PictureTest {};

TEST_F(DesignSpace, RectanglesScaleToEachScreen) {
  struct Case {
    std::int32_t screenW, screenH, x, y, w, h;
    RECT expected;
  };
  const Case cases[] = {
      {320, 240, 0, 0, 800, 600, {0, 0, 320, 240}},
      {320, 240, 1, 1, 1, 1, {0, 0, 0, 0}},
      {640, 480, 0, 0, 800, 600, {0, 0, 640, 480}},
      {640, 480, 1, 1, 1, 1, {0, 0, 0, 0}},
      {640, 480, 100, 50, 201, 99, {80, 40, 240, 119}},
      {320, 240, 799, 599, 3, 3, {319, 239, 320, 240}},
  };
  for (const Case& c : cases) {
    SetScreenSize(c.screenW, c.screenH);
    const RECT r = DesignRectToScreen(c.x, c.y, c.w, c.h);
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
              (std::vector<int>{c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
        << c.screenW << ": " << c.x << "," << c.y << " " << c.w << "x" << c.h;
  }
}

TEST_F(DesignSpace, StylusHitIncludesTheRightAndBottomEdges) {
  SetScreenSize(320, 240);
  // (100, 100, 200, 100) design is (40, 40, 80, 40) on this screen.
  EXPECT_TRUE(IsPointInDesignRect(40, 40, 100, 100, 200, 100));
  EXPECT_TRUE(IsPointInDesignRect(120, 80, 100, 100, 200, 100));
  EXPECT_FALSE(IsPointInDesignRect(121, 80, 100, 100, 200, 100));
  EXPECT_FALSE(IsPointInDesignRect(120, 81, 100, 100, 200, 100));
  EXPECT_FALSE(IsPointInDesignRect(39, 40, 100, 100, 200, 100));
  SetScreenSize(640, 480);
  EXPECT_TRUE(IsPointInDesignRect(240, 160, 100, 100, 200, 100));
  EXPECT_FALSE(IsPointInDesignRect(241, 160, 100, 100, 200, 100));
}

}  // namespace
