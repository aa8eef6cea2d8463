#include "sprite_fixture.h"

namespace {

using Placement = SpriteTest;

TEST_F(Placement, DirtyRectangleCoversWhereThePartWasAndIs) {
  auto part = MakePart(0, 0, 100, 50, 400, 300);
  // New: the dirty rectangle is the bounds.
  EXPECT_EQ(BoxOf(part->bounds), (Box{320, 240, 400, 280}));
  EXPECT_EQ(BoxOf(part->dirtyRect), (Box{320, 240, 400, 280}));
  EXPECT_EQ(part->dirty, 1u);

  RECT taken;
  ASSERT_TRUE(part->TakeDirtyRect(&taken));
  EXPECT_EQ(part->dirty, 0u);
  EXPECT_FALSE(part->TakeDirtyRect(&taken));

  // A move: the union of the old and the new place.
  part->SetPosition(500, 350);
  EXPECT_EQ(BoxOf(part->dirtyRect), (Box{320, 240, 480, 320}));
  RECT out;
  part->GetDirtyRect(&out);
  EXPECT_EQ(BoxOf(out), (Box{320, 240, 480, 320}));

  // Showing a shown part changes nothing; hiding it marks it.
  part->TakeDirtyRect(&taken);
  part->SetVisible(1);
  EXPECT_EQ(part->dirty, 0u);
  part->SetVisible(0);
  EXPECT_EQ(part->dirty, 1u);
  EXPECT_EQ(part->visible, 0u);
}

TEST_F(Placement, BoundsWithAnchorScaleAndAngle) {
  auto part = MakePart(0, 0, 100, 50, 400, 300);
  part->SetAnchor(50, 25);
  EXPECT_EQ(Bounds(*part), (Box{280, 220, 360, 260}));
  part->SetScale(2000, 500);
  EXPECT_EQ(Bounds(*part), (Box{240, 230, 400, 250}));
  part->SetScale(1000, 1000);

  struct Case {
    int angle;
    Box bounds;
  };
  for (const Case& c : {Case{90, {280, 200, 361, 281}}, Case{45, {263, 183, 378, 298}}}) {
    part->angle = c.angle;
    EXPECT_EQ(Bounds(*part), c.bounds) << c.angle;
  }
  // Scale about the anchor of the turned box: k = (sx + sy) / 2.
  part->angle = 90;
  part->SetScale(1500, 500);
  EXPECT_EQ(Bounds(*part), (Box{280, 200, 361, 281}));
  part->SetScale(2000, 2000);
  EXPECT_EQ(Bounds(*part), (Box{240, 160, 401, 321}));
}

TEST_F(Placement, OutOfRangeValuesAreClampedOrIgnored) {
  auto part = MakePart(0, 0, 100, 50, 0, 0);
  struct Case {
    std::int32_t given;
    std::int16_t stored;
  };
  for (const Case& c : {Case{300, 256}, Case{-1, 256}, Case{100, 100}, Case{0, 0}, Case{256, 256}}) {
    part->SetOpacity(c.given);
    EXPECT_EQ(part->node.opacity, c.stored) << c.given;
  }
  part->SetPriority(5);
  for (std::int32_t ignored : {128, 1000, -1}) {
    part->SetPriority(ignored);
    EXPECT_EQ(part->priority, 5) << ignored;
  }
  part->SetPriority(127);
  EXPECT_EQ(part->priority, 127);
}

TEST_F(Placement, ImageRectangleAndColourFillInScreenPixels) {
  UseScreen(320, 240);
  CSpritePart part;
  part.InitImageRect(3, 100, 60, 200, 120);
  EXPECT_EQ(part.node.imageSlot, 3);
  EXPECT_EQ((Box{part.node.srcLeft, part.node.srcTop, part.node.srcRight, part.node.srcBottom}),
            (Box{40, 24, 120, 72}));
  EXPECT_EQ(part.width, 80);
  EXPECT_EQ(part.height, 48);
  EXPECT_EQ(part.designWidth, 200);
  EXPECT_EQ(part.dirty, 0u);  // no refresh
  part.SetImageRect(4, 0, 0, 100, 100);
  EXPECT_EQ(part.dirty, 1u);
  EXPECT_EQ(BoxOf(part.bounds), (Box{0, 0, 40, 40}));

  CSpritePart fill;
  fill.SetAnchor(10, 10);
  fill.InitColorFill(100, 50, 0, 30, 0xFF0000);
  EXPECT_EQ(fill.node.kind, static_cast<std::uint32_t>(kLayerFill));
  EXPECT_EQ(fill.node.color, 0xFF0000u);
  EXPECT_EQ(fill.node.imageSlot, 0);
  EXPECT_EQ(fill.width, 1);  // at least one pixel wide
  EXPECT_EQ((Box{fill.node.srcLeft, fill.node.srcTop, fill.node.srcRight, fill.node.srcBottom}), (Box{0, 0, 1, 12}));
  EXPECT_EQ(fill.anchorX, 0);
  EXPECT_EQ(BoxOf(fill.bounds), (Box{40, 20, 41, 32}));
}

TEST_F(Placement, UpdatePlacesTheNode) {
  auto part = MakePart(0, 0, 100, 50, 400, 300);
  part->SetAnchor(50, 25);
  part->SetScale(1500, 700);
  part->angle = 30;
  part->node.next = &part->node;
  std::uint32_t level = 256;
  EXPECT_EQ(part->Update(&level), 1);
  EXPECT_EQ(part->node.next, nullptr);
  EXPECT_EQ(part->node.drawX, 280);
  EXPECT_EQ(part->node.drawY, 220);
  EXPECT_EQ(part->node.anchorX, 40);
  EXPECT_EQ(part->node.scaleX, 1500);
  EXPECT_EQ(part->node.scaleY, 700);
  EXPECT_EQ(part->node.angle, 30);

  // Nothing to draw: updated no further.
  part->node.imageSlot = -1;
  part->SetPosition(0, 0);
  EXPECT_EQ(part->Update(&level), 1);
  EXPECT_EQ(part->node.drawX, 280);
  part->retired = 1;
  EXPECT_EQ(part->Update(&level), 0);
}

TEST_F(Placement, ResetPlacementKeepsPictureVisibilityAndBounds) {
  auto part = MakePart(0, 0, 100, 50, 400, 300);
  part->SetAnchor(50, 25);
  part->SetPriority(9);
  part->SetOpacity(10);
  part->SetVisible(0);
  part->node.kind = kLayerFill;
  const Box before = BoxOf(part->bounds);
  part->ResetPlacement();
  EXPECT_EQ(part->anchorX, 0);
  EXPECT_EQ(part->priority, 1);
  EXPECT_EQ(part->node.opacity, 256);
  EXPECT_EQ(part->node.kind, static_cast<std::uint32_t>(kLayerPicture));
  EXPECT_EQ(part->visible, 0u);
  EXPECT_EQ(part->node.srcRight, 80);
  EXPECT_EQ(BoxOf(part->bounds), before);
}

}  // namespace
