#include "game/sprites/sprite_making.h"

#include <gtest/gtest.h>

#include "engine/pictures/rbp_format.h"
#include "engine/shell/game_engine.h"
#include "engine/shell/shell_fixture.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

class SpriteMakingTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    SourcePicture picture;
    picture.width = 40;
    picture.height = 20;
    picture.rgba.assign(40 * 20 * 4, 0xFF);
    // Design size 50 x 25 for the 640 x 480 screen.
    dir.WriteFile("pict.mlz", BuildMlzArchive({{"pic.rbp", BuildRbpFile(picture, {kRbpKindRgb565, 50, 25}), true}},
                                              '3'));
    engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    engine.pictureSlots.LoadPictureSlot(7, "pic", 0, nullptr, nullptr);
  }

  ScopedTempDir dir{"novel_sprite_making_"};
  CGameEngine engine;
};

TEST_F(SpriteMakingTest, ImageSpriteTakesTheSourceRectangleOrTheWholePicture) {
  const struct {
    std::int32_t sx, sy, sw, sh;
    std::int32_t left, top, width, height;  // design px
  } cases[] = {{10, 5, 20, 10, 10, 5, 20, 10}, {-3, -9, -1, -1, 0, 0, 50, 25}, {0, 0, 30, -5, 0, 0, 30, 25}};
  for (const auto& c : cases) {
    CSpritePart* part = CreateImageSprite(engine, 300, 7, c.sx, c.sy, c.sw, c.sh, 100, 60, 5, 4, 12);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(engine.sprites[300].get(), part);
    EXPECT_EQ(part->node.imageSlot, 7);
    EXPECT_EQ(part->node.srcLeft, c.left * 4 / 5) << c.sx;
    EXPECT_EQ(part->node.srcTop, c.top * 4 / 5) << c.sy;
    EXPECT_EQ(part->designWidth, c.width) << c.sw;
    EXPECT_EQ(part->designHeight, c.height) << c.sh;
    EXPECT_EQ(part->designX1000, 100000);
    EXPECT_EQ(part->designY1000, 60000);
    EXPECT_EQ(part->anchorX, 4);
    EXPECT_EQ(part->priority, 12);
  }
}

TEST_F(SpriteMakingTest, AnEmptyPictureSlotLeavesNoSprite) {
  ASSERT_NE(CreateImageSprite(engine, 301, 7, 0, 0, -1, -1, 0, 0, 0, 0, 3), nullptr);
  EXPECT_EQ(CreateImageSprite(engine, 301, 8, 0, 0, -1, -1, 0, 0, 0, 0, 3), nullptr);
  EXPECT_EQ(engine.sprites[301], nullptr);
  EXPECT_EQ(CreateImageSprite(engine, 512, 7, 0, 0, -1, -1, 0, 0, 0, 0, 3), nullptr);
  EXPECT_EQ(CreateImageSprite(engine, -1, 7, 0, 0, -1, -1, 0, 0, 0, 0, 3), nullptr);
}

TEST_F(SpriteMakingTest, ColorSpriteReplacesWhatWasThere) {
  CSpritePart* image = CreateImageSprite(engine, 20, 7, 0, 0, -1, -1, 0, 0, 0, 0, 3);
  ASSERT_NE(image, nullptr);
  CSpritePart* fill = CreateColorSprite(engine, 20, 100, 50, 200, 100, 0x123456, 9);
  ASSERT_NE(fill, nullptr);
  EXPECT_EQ(engine.sprites[20].get(), fill);
  EXPECT_EQ(fill->node.kind, kLayerFill);
  EXPECT_EQ(fill->node.color, 0x123456u);
  EXPECT_EQ(fill->priority, 9);
  EXPECT_EQ(fill->posX1000, 80000);
  EXPECT_EQ(fill->node.srcRight - fill->node.srcLeft, 160);
  EXPECT_EQ(CreateColorSprite(engine, 600, 0, 0, 1, 1, 0, 0), nullptr);
}

}  // namespace
