#include "sprite_fixture.h"

namespace {

struct SetupCase {
  int id;
  std::int32_t a, b, c;
  std::int32_t columns, rows, steps;
  std::int16_t startOpacity;
  std::uint32_t hideAtEnd;
};

// A whole-screen part (800 x 600 design px) of opacity 200.
class EffectSetup : public SpriteTest {
 protected:
  void Check(const SetupCase& c) {
    auto part = MakePart(0, 0, 800, 600, 0, 0);
    part->SetOpacity(200);
    EXPECT_EQ(part->StartEffect(c.id, 1000, c.a, c.b, c.c), 1);
    ASSERT_TRUE(part->IsEffectRunning()) << c.id;
    EXPECT_EQ(part->effect.columns, c.columns) << c.id;
    EXPECT_EQ(part->effect.rows, c.rows) << c.id;
    EXPECT_EQ(part->effect.stepCount, c.steps) << c.id;
    EXPECT_EQ(part->FirstTile()->opacity, c.startOpacity) << c.id;
    EXPECT_EQ(part->effect.hideAtEnd, c.hideAtEnd) << c.id;
    EXPECT_EQ(part->LastTile() - part->FirstTile() + 1, std::int64_t{c.columns} * c.rows) << c.id;
  }
};

TEST_F(EffectSetup, OneRowPerFamilyAt640x480) {
  const SetupCase cases[] = {
      {1, 0, 0, 0, 1, 1, 256, 0, 0},        {129, 0, 0, 0, 1, 1, 256, 256, 1},
      {5, 0, 0, 0, 1, 30, 30, 200, 0},      {137, 0, 0, 0, 1, 30, 30, 200, 1},
      {6, 0, 0, 0, 40, 1, 35, 200, 0},      {134, 0, 0, 0, 40, 1, 35, 200, 1},
      {11, 40, 3, 10, 1, 15, 7, 200, 0},    {13, 40, 3, 10, 20, 1, 9, 200, 0},
      {16, 100, 7, 32, 8, 1, 15, 0, 0},     {144, 100, 7, 32, 8, 1, 15, 256, 1},
      {18, 100, 7, 32, 1, 6, 13, 0, 0},     {20, 100, 7, 32, 8, 6, 20, 0, 0},
      {151, 100, 7, 32, 8, 6, 20, 256, 1},  {24, 0, 0, 0, 1, 60, 67, 200, 0},
      {26, 0, 0, 0, 80, 1, 87, 200, 0},     {155, 0, 0, 0, 80, 1, 87, 200, 1},
      {32, 0, 0, 0, 1, 1, 256, 256, 0},     {160, 0, 0, 0, 1, 1, 256, 256, 1},
      {40, 10, 0, 0, 1, 48, 640, 200, 0},   {169, 10, 0, 0, 64, 1, 640, 200, 1},
      {48, 20, 3, 2, 1, 480, 960, 200, 0},  {49, 20, 3, 2, 1, 480, 960, 0, 0},
      {51, 12, 0, 0, 1, 1, 12, 200, 0},     {60, 10, 0, 5, 1, 1, 26, 0, 0},
      {63, 16, 4, 1, 1, 1, 16, 256, 1},     {191, 16, 4, 0, 1, 1, 16, 256, 1},
      {178, 0, 0, 0, 8, 8, 64, 200, 1},
  };
  for (const SetupCase& c : cases) Check(c);
}

TEST_F(EffectSetup, OneRowPerFamilyAt320x240) {
  UseScreen(320, 240);
  const SetupCase cases[] = {
      {1, 0, 0, 0, 1, 1, 256, 0, 0},        {5, 0, 0, 0, 1, 30, 22, 200, 0},
      {6, 0, 0, 0, 40, 1, 27, 200, 0},      {11, 40, 3, 10, 1, 15, 7, 200, 0},
      {13, 40, 3, 10, 20, 1, 9, 200, 0},    {16, 100, 7, 32, 8, 1, 15, 0, 0},
      {18, 100, 7, 32, 1, 6, 13, 0, 0},     {20, 100, 7, 32, 8, 6, 20, 0, 0},
      {24, 0, 0, 0, 1, 30, 37, 200, 0},     {26, 0, 0, 0, 40, 1, 47, 200, 0},
      {32, 0, 0, 0, 1, 1, 256, 256, 0},     {40, 10, 0, 0, 1, 24, 320, 200, 0},
      {41, 10, 0, 0, 32, 1, 320, 200, 0},   {48, 20, 3, 2, 1, 240, 480, 200, 0},
      {51, 12, 0, 0, 1, 1, 12, 200, 0},     {60, 10, 0, 5, 1, 1, 26, 0, 0},
      {63, 16, 4, 1, 1, 1, 16, 256, 1},     {178, 0, 0, 0, 8, 8, 64, 200, 1},
  };
  for (const SetupCase& c : cases) Check(c);
}

TEST_F(EffectSetup, StripsOfEffectFiveFollowTheScreenWidth) {
  // 240 px high at 320 x 240: 30 strips of 8; 100 px high: 13 strips, the
  // last one reaching past the part's bottom.
  UseScreen(320, 240);
  auto tall = MakePart(0, 0, 800, 600, 0, 0);
  tall->StartEffect(5, 1000, 0, 0, 0);
  EXPECT_EQ(tall->effect.paramA, 8);
  EXPECT_EQ(tall->effect.rows, 30);
  EXPECT_EQ(tall->effect.stepCount, 22);
  auto small = MakePart(0, 0, 800, 250, 0, 0);
  ASSERT_EQ(small->height, 100);
  small->StartEffect(133, 1000, 0, 0, 0);  // at time 0 every strip is whole
  EXPECT_EQ(small->effect.rows, 13);
  std::uint32_t level = 256;
  small->Update(&level);
  EXPECT_EQ(small->LastTile()->srcBottom, 104);

  UseScreen(640, 480);
  auto wide = MakePart(0, 0, 800, 600, 0, 0);
  wide->StartEffect(5, 1000, 0, 0, 0);
  EXPECT_EQ(wide->effect.paramA, 16);
  EXPECT_EQ(wide->effect.rows, 30);
  EXPECT_EQ(wide->effect.stepCount, 30);
}

TEST_F(EffectSetup, TilesCarryThePartsPictureFillAndMarks) {
  CSpritePart fill;
  fill.InitColorFill(0, 0, 400, 300, 0x123456);
  fill.StartEffect(5, 1000, 0, 0, 0);
  for (const LayerNode* tile = fill.FirstTile(); tile <= fill.LastTile(); ++tile) {
    EXPECT_EQ(tile->kind, static_cast<std::uint32_t>(kLayerFill));
    EXPECT_EQ(tile->color, 0x123456u);
    EXPECT_EQ(tile->next, tile == fill.LastTile() ? nullptr : tile + 1);
  }

  auto part = MakePart(0, 0, 100, 100, 0, 0);
  part->InitImageRect(7, 0, 0, 100, 100);
  part->node.brightness = 300;
  part->StartEffect(51, 1000, 12, 0, 0);
  EXPECT_EQ(part->FirstTile()->drawMode, 99);
  EXPECT_EQ(part->FirstTile()->imageSlot, 7);
  EXPECT_EQ(part->FirstTile()->brightness, 300);
  part->StartEffect(60, 1000, 10, 0, 5);
  EXPECT_EQ(part->FirstTile()->ruleMode, 5);
  struct Bright {
    int id, c;
    std::int16_t brightness;
  };
  for (const Bright& b : {Bright{63, 0, 0}, Bright{63, 1, 512}, Bright{191, 0, 256}, Bright{191, 1, 256}}) {
    part->StartEffect(b.id, 1000, 16, 4, b.c);
    EXPECT_EQ(part->FirstTile()->brightness, b.brightness) << b.id << " " << b.c;
  }
}

// Tiles start from the head of a new tile, whatever the part's own head
// holds; only the picture, fill, brightness and opacity come from the part.
TEST_F(EffectSetup, TilesStartFromTheHeadOfANewTile) {
  auto part = MakePart(0, 0, 800, 600, 0, 0);
  part->node.scaleX = 500;
  part->node.scaleY = 700;
  part->node.angle = 90;
  part->node.anchorX = 11;
  part->node.anchorY = 12;
  part->node.drawMode = kDrawAdditive;
  part->node.ruleMode = kRuleModeTransition;
  part->node.effectLevel = 9;
  part->StartEffect(5, 1000, 0, 0, 0);
  for (const LayerNode* tile = part->FirstTile(); tile <= part->LastTile(); ++tile) {
    ASSERT_EQ(tile->size, kLayerNodeSize);
    ASSERT_EQ(tile->scaleX, kScaleUnit);
    ASSERT_EQ(tile->scaleY, kScaleUnit);
    ASSERT_EQ(tile->angle, 0);
    ASSERT_EQ(tile->anchorX, 0);
    ASSERT_EQ(tile->anchorY, 0);
    ASSERT_EQ(tile->drawMode, kDrawNormal);
    ASSERT_EQ(tile->ruleMode, kRuleModeNone);
    ASSERT_EQ(tile->effectLevel, 0);
    ASSERT_EQ(tile->kind, part->node.kind);
  }
}

}  // namespace
