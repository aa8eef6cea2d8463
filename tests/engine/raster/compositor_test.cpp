#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/raster/compositor.h"
#include "engine/raster/compositor_transform.h"
#include "engine/raster/node_angle.h"
#include "engine/raster/raster_pixel.h"
#include "engine/raster/raster_primitives.h"
#include "raster_fixtures.h"

namespace {

constexpr int kSize = 16;
constexpr std::uint16_t kBackground = 0x1111;

// Pixel (x, y) of a distinct-valued picture.
std::uint16_t Distinct(int x, int y) { return static_cast<std::uint16_t>(0x0400 + 32 * y + x); }

LayerNode PictureNode(int slot, int width, int height, int x, int y) {
  LayerNode node;
  node.kind = kLayerPicture;
  node.imageSlot = static_cast<std::int16_t>(slot);
  node.srcRight = static_cast<std::int16_t>(width);
  node.srcBottom = static_cast<std::int16_t>(height);
  node.drawX = static_cast<std::int16_t>(x);
  node.drawY = static_cast<std::int16_t>(y);
  return node;
}

class CompositorTest : public ::testing::Test {
 protected:
  CompositorBindings Bindings() {
    // The lookup wraps, as a table indexed by a byte would: refusing slots
    // outside 0 to 255 is left to the compositor.
    return {RasterTarget{screen_.data(), kSize, kSize},
            [this](int slot) { return slots_[static_cast<unsigned>(slot) % 256].get(); }, &rule_, &linear_};
  }

  std::uint16_t At(int x, int y) const { return screen_[y * kSize + x]; }

  // Every pixel outside the rectangle still holds the background.
  void ExpectBackgroundOutside(int left, int top, int right, int bottom) const {
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x)
        if (x < left || x >= right || y < top || y >= bottom) {
          EXPECT_EQ(At(x, y), kBackground) << x << "," << y;
        }
  }

  void Reset() { screen_.assign(kSize * kSize, kBackground); }

  std::vector<std::uint16_t> screen_ = std::vector<std::uint16_t>(kSize * kSize, kBackground);
  std::array<std::unique_ptr<CImage>, 256> slots_;
  std::unique_ptr<CRuleTransition> rule_;
  std::uint32_t linear_ = 0;
  CLayerCompositor compositor_{Bindings()};
};

TEST_F(CompositorTest, PlainNodeIsClippedToTheRectangle) {
  slots_[3] = MakeRgb565Picture(4, 4, Distinct);
  const RECT clip{2, 2, 10, 10};
  compositor_.DrawLayerNode(PictureNode(3, 4, 4, 0, 0), &clip);
  for (int y = 2; y < 4; ++y)
    for (int x = 2; x < 4; ++x) EXPECT_EQ(At(x, y), Distinct(x, y));
  ExpectBackgroundOutside(2, 2, 4, 4);

  // Touching the clip's right edge leaves nothing to draw.
  Reset();
  compositor_.DrawLayerNode(PictureNode(3, 4, 4, 10, 4), &clip);
  ExpectBackgroundOutside(0, 0, 0, 0);

  // Without a clip the back buffer's edges cut it; the source shifts along.
  compositor_.DrawLayerNode(PictureNode(3, 4, 4, -2, 14), nullptr);
  EXPECT_EQ(At(0, 14), Distinct(2, 0));
  EXPECT_EQ(At(1, 15), Distinct(3, 1));
  ExpectBackgroundOutside(0, 14, 2, 16);
}

TEST_F(CompositorTest, SourceIsClippedToThePicture) {
  slots_[0] = MakeRgb565Picture(4, 4, Distinct);
  // The node asks for a 4 x 4 area from (2, 2): only 2 x 2 of it exists.
  LayerNode node = PictureNode(0, 6, 6, 5, 5);
  node.srcLeft = node.srcTop = 2;
  compositor_.DrawLayerNode(node, nullptr);
  EXPECT_EQ(At(5, 5), Distinct(2, 2));
  EXPECT_EQ(At(6, 6), Distinct(3, 3));
  ExpectBackgroundOutside(5, 5, 7, 7);

  // A source rectangle starting left of the picture keeps its pixels in place.
  Reset();
  node = PictureNode(0, 2, 1, 5, 5);
  node.srcLeft = -1;
  compositor_.DrawLayerNode(node, nullptr);
  EXPECT_EQ(At(6, 5), Distinct(0, 0));
  EXPECT_EQ(At(7, 5), Distinct(1, 0));
  ExpectBackgroundOutside(6, 5, 8, 6);
}

// A sheet smaller than the rectangle cut from it, in every picture kind and
// every member: only the sheet's own pixels reach the screen, none from past
// its edges.
TEST_F(CompositorTest, EveryKindIsCutToASheetSmallerThanItsRectangle) {
  constexpr std::uint16_t kSrc = 0x4A69;
  const auto distinctIndex = [](int x, int y) { return static_cast<std::uint8_t>(2 * y + x); };
  const auto opaque = [](int, int) { return static_cast<std::uint8_t>(kAlphaOpaque); };
  slots_[8] = MakePalettePicture(2, 2, distinctIndex, {0xFF8040, 0x40FF80, 0x8040FF, 0xFFFFFF});
  slots_[16] = MakeRgb565Picture(2, 2, [](int, int) { return kSrc; });
  slots_[24] = MakeAlphaPicture(2, 2, [](int, int) { return kSrc; }, opaque);
  slots_[25] = MakeAlphaPicture(2, 2, [](int, int) { return kSrc; }, opaque);
  AddMaskPlane(*slots_[25], kSize, kSize, [](int, int) { return std::uint8_t{255}; });
  for (int slot : {8, 16, 24, 25}) {
    for (int opacity : {256, 128}) {
      for (int drawMode : {kDrawNormal, kDrawAdditive}) {
        SCOPED_TRACE(testing::Message() << "slot " << slot << " opacity " << opacity << " draw mode " << drawMode);
        Reset();
        LayerNode node = PictureNode(slot, 6, 5, 5, 5);
        node.opacity = static_cast<std::int16_t>(opacity);
        node.drawMode = static_cast<std::int16_t>(drawMode);
        compositor_.DrawLayerNode(node, nullptr);
        for (int y = 5; y < 7; ++y)
          for (int x = 5; x < 7; ++x) EXPECT_NE(At(x, y), kBackground) << x << "," << y;
        ExpectBackgroundOutside(5, 5, 7, 7);
      }
    }
  }
}

TEST_F(CompositorTest, NodesWithNothingToDrawChangeNothing) {
  slots_[1] = MakeRgb565Picture(4, 4, Distinct);
  slots_[2] = std::make_unique<CImage>();  // empty picture
  slots_[255] = MakeRgb565Picture(4, 4, Distinct);
  LayerNode opacityZero = PictureNode(1, 4, 4, 0, 0);
  opacityZero.opacity = 0;
  LayerNode negativeSlot = PictureNode(1, 4, 4, 0, 0);
  negativeSlot.imageSlot = -1;
  LayerNode slotPastTheEnd = PictureNode(1, 4, 4, 0, 0);
  slotPastTheEnd.imageSlot = 257;  // would wrap to slot 1
  LayerNode listHead = PictureNode(1, 4, 4, 0, 0);
  listHead.kind = kLayerEmpty;
  LayerNode otherKind = PictureNode(1, 4, 4, 0, 0);
  otherKind.kind = 2;
  LayerNode fillOpacityZero = PictureNode(0, 4, 4, 0, 0);
  fillOpacityZero.kind = kLayerFill;
  fillOpacityZero.opacity = 0;
  // Only the rule mode lets a node of no opacity through; an additive draw
  // with a negative weight then adds nothing.
  LayerNode negativeAdditive = PictureNode(1, 4, 4, 0, 0);
  negativeAdditive.drawMode = kDrawAdditive;
  negativeAdditive.ruleMode = 0;
  negativeAdditive.opacity = -40;
  for (const LayerNode& node : {opacityZero, negativeSlot, slotPastTheEnd, listHead, otherKind, fillOpacityZero,
                                negativeAdditive, PictureNode(2, 4, 4, 0, 0), PictureNode(9, 4, 4, 0, 0)})
    compositor_.DrawLayerNode(node, nullptr);
  ExpectBackgroundOutside(0, 0, 0, 0);
}

// Which raster member draws a picture: by kind, opacity, draw mode and rule
// mode. Each member's result for the test pixel is worked out by calling it
// directly; the table says which one the compositor must have used.
TEST_F(CompositorTest, DispatchPicksTheMemberForKindOpacityDrawModeAndRuleMode) {
  constexpr std::uint16_t kDst = 0x8410;
  constexpr std::uint16_t kSrc = 0x4A69;
  constexpr std::uint8_t kAlpha = 40;
  constexpr std::uint8_t kMask = 200;
  const std::uint8_t paletteEntry[1024] = {0x40, 0x80, 0xFF};
  const std::uint8_t index = 0;
  const std::uint16_t src = kSrc;
  const std::uint8_t alpha = kAlpha, mask = kMask;

  using Member = std::function<void(std::uint16_t*)>;
  const std::map<std::string, Member> members = {
      {"none", [](std::uint16_t*) {}},
      {"BlitPalette", [&](std::uint16_t* d) { BlitPalette(d, 1, &index, 1, paletteEntry, 1, 1); }},
      {"BlitPaletteBlend", [&](std::uint16_t* d) { BlitPaletteBlend(d, 1, &index, 1, paletteEntry, 1, 1, 128); }},
      {"BlitPaletteAdd", [&](std::uint16_t* d) { BlitPaletteAdd(d, 1, &index, 1, paletteEntry, 1, 1); }},
      {"BlitPaletteAddWeighted",
       [&](std::uint16_t* d) { BlitPaletteAddWeighted(d, 1, &index, 1, paletteEntry, 1, 1, 128); }},
      {"BlitCopy", [&](std::uint16_t* d) { BlitCopy(d, 1, &src, 1, 1, 1); }},
      {"BlitBlend", [&](std::uint16_t* d) { BlitBlend(d, 1, &src, 1, 1, 1, 128); }},
      {"BlitAdd", [&](std::uint16_t* d) { BlitAdd(d, 1, &src, 1, 1, 1); }},
      {"BlitAddWeighted", [&](std::uint16_t* d) { BlitAddWeighted(d, 1, &src, 1, 1, 1, 128); }},
      {"BlitAlpha", [&](std::uint16_t* d) { BlitAlpha(d, 1, &src, 1, &alpha, 1, 1, 1); }},
      {"BlitAlphaOpacity", [&](std::uint16_t* d) { BlitAlphaOpacity(d, 1, &src, 1, &alpha, 1, 1, 1, 128); }},
      {"BlitAddAlpha", [&](std::uint16_t* d) { BlitAddAlpha(d, 1, &src, 1, &alpha, 1, 1, 1); }},
      {"BlitAddAlphaWeighted", [&](std::uint16_t* d) { BlitAddAlphaWeighted(d, 1, &src, 1, &alpha, 1, 1, 1, 128); }},
      {"BlitMaskAlpha", [&](std::uint16_t* d) { BlitMaskAlpha(d, 1, &src, 1, &alpha, 1, &mask, 1, 1, 1); }},
      {"BlitMaskAlphaOpacity",
       [&](std::uint16_t* d) { BlitMaskAlphaOpacity(d, 1, &src, 1, &alpha, 1, &mask, 1, 1, 1, 128); }},
  };
  std::map<std::uint16_t, std::string> seen;
  for (const auto& [name, member] : members) {
    std::uint16_t pixel = kDst;
    member(&pixel);
    ASSERT_TRUE(seen.emplace(pixel, name).second) << name << " draws the test pixel as " << seen[pixel] << " does";
  }

  slots_[8] = MakePalettePicture(1, 1, [](int, int) { return 0; }, {0xFF8040});
  slots_[16] = MakeRgb565Picture(1, 1, [](int, int) { return kSrc; });
  slots_[24] = MakeAlphaPicture(1, 1, [](int, int) { return kSrc; }, [](int, int) { return kAlpha; });
  slots_[25] = MakeAlphaPicture(1, 1, [](int, int) { return kSrc; }, [](int, int) { return kAlpha; });
  AddMaskPlane(*slots_[25], kSize, kSize, [](int, int) { return kMask; });
  // The same with mask planes that do not cover the screen: not used.
  slots_[26] = MakeAlphaPicture(1, 1, [](int, int) { return kSrc; }, [](int, int) { return kAlpha; });
  AddMaskPlane(*slots_[26], kSize, kSize, [](int, int) { return kMask; });
  slots_[26]->maskHeight = kSize - 1;
  slots_[27] = MakeAlphaPicture(1, 1, [](int, int) { return kSrc; }, [](int, int) { return kAlpha; });
  AddMaskPlane(*slots_[27], kSize, kSize, [](int, int) { return kMask; });
  slots_[27]->maskStride = kSize - 1;

  struct Row {
    int slot;
    const char* normalOpaque;
    const char* normalBlend;
    const char* addOpaque;
    const char* addWeighted;
  };
  const Row rows[] = {
      {8, "BlitPalette", "BlitPaletteBlend", "BlitPaletteAdd", "BlitPaletteAddWeighted"},
      {16, "BlitCopy", "BlitBlend", "BlitAdd", "BlitAddWeighted"},
      {24, "BlitAlpha", "BlitAlphaOpacity", "BlitAddAlpha", "BlitAddAlphaWeighted"},
      {25, "BlitMaskAlpha", "BlitMaskAlphaOpacity", "BlitAddAlpha", "BlitAddAlphaWeighted"},
      {26, "BlitAlpha", "BlitAlphaOpacity", "BlitAddAlpha", "BlitAddAlphaWeighted"},
      {27, "BlitAlpha", "BlitAlphaOpacity", "BlitAddAlpha", "BlitAddAlphaWeighted"},
  };
  for (const Row& row : rows) {
    for (int opacity : {256, 128}) {
      for (int drawMode : {0, 1, 2}) {
        for (int ruleMode : {-1, 0}) {
          const char* expected = "none";
          if (drawMode == 1) expected = opacity == 256 ? row.addOpaque : row.addWeighted;
          if (drawMode == 0 && ruleMode < 0) expected = opacity == 256 ? row.normalOpaque : row.normalBlend;
          std::uint16_t want = kDst;
          members.at(expected)(&want);

          screen_[3 * kSize + 3] = kDst;
          LayerNode node = PictureNode(row.slot, 1, 1, 3, 3);
          node.opacity = static_cast<std::int16_t>(opacity);
          node.drawMode = static_cast<std::int16_t>(drawMode);
          node.ruleMode = static_cast<std::int16_t>(ruleMode);
          compositor_.DrawLayerNode(node, nullptr);
          EXPECT_EQ(At(3, 3), want) << "slot " << row.slot << " opacity " << opacity << " draw mode " << drawMode
                                    << " rule mode " << ruleMode << ": expected " << expected;
        }
      }
    }
  }
}

TEST_F(CompositorTest, FillNodesByDrawMode) {
  LayerNode fill = PictureNode(0, 3, 2, 14, 1);
  fill.kind = kLayerFill;
  fill.color = 0xFF8040;
  compositor_.DrawLayerNode(fill, nullptr);
  EXPECT_EQ(At(14, 1), 0xFC08);
  EXPECT_EQ(At(15, 2), 0xFC08);
  ExpectBackgroundOutside(14, 1, 16, 3);

  const struct {
    int drawMode;
    int opacity;
    std::function<void(std::uint16_t*)> member;
  } cases[] = {
      {0, 128, [](std::uint16_t* d) { FillColorBlend(d, 1, 1, 1, 0xFF8040, 128); }},
      {1, 256, [](std::uint16_t* d) { FillColorAdd(d, 1, 1, 1, 0xFF8040); }},
      {1, 100, [](std::uint16_t* d) { FillColorAddWeighted(d, 1, 1, 1, 0xFF8040, 100); }},
      {2, 256, [](std::uint16_t*) {}},
      {0, 300, [](std::uint16_t* d) { FillColor(d, 1, 1, 1, 0xFF8040); }},  // above 256 is opaque
  };
  for (const auto& c : cases) {
    Reset();
    fill.drawMode = static_cast<std::int16_t>(c.drawMode);
    fill.opacity = static_cast<std::int16_t>(c.opacity);
    compositor_.DrawLayerNode(fill, nullptr);
    std::uint16_t want = kBackground;
    c.member(&want);
    EXPECT_EQ(At(15, 2), want) << c.drawMode << "/" << c.opacity;
  }
}

TEST_F(CompositorTest, HalfScaleKeepsTheAnchorInPlace) {
  slots_[0] = MakeRgb565Picture(8, 8, Distinct);
  // Anchor (4, 4) at screen (8, 8): at 50 % the picture covers (6, 6)-(10, 10)
  // and source pixel (4, 4) still lands on (8, 8).
  LayerNode node = PictureNode(0, 8, 8, 4, 4);
  node.anchorX = node.anchorY = 4;
  node.scaleX = node.scaleY = 500;
  compositor_.DrawLayerNode(node, nullptr);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i) EXPECT_EQ(At(6 + i, 6 + j), Distinct(2 * i, 2 * j)) << i << "," << j;
  EXPECT_EQ(At(8, 8), Distinct(4, 4));
  ExpectBackgroundOutside(6, 6, 10, 10);
}

TEST_F(CompositorTest, ScaledSourceIsClippedToThePicture) {
  slots_[0] = MakeRgb565Picture(4, 4, Distinct);
  // Twice as wide, from two columns left of the picture to past its bottom:
  // those samples are skipped, the rest keep their places.
  LayerNode node = PictureNode(0, 4, 6, 0, 0);
  node.srcLeft = -2;
  node.scaleX = 2000;
  compositor_.DrawLayerNode(node, nullptr);
  EXPECT_EQ(At(3, 0), kBackground);
  EXPECT_EQ(At(4, 0), Distinct(0, 0));
  EXPECT_EQ(At(11, 3), Distinct(3, 3));
  ExpectBackgroundOutside(4, 0, 12, 4);
}

TEST_F(CompositorTest, ScaledNodesThatDrawNothing) {
  slots_[0] = MakeRgb565Picture(8, 8, Distinct);
  slots_[1] = MakeAlphaPicture(8, 8, Distinct, [](int, int) { return 63; });
  const auto scaled = [](int slot, int sx, int sy, int angle, int opacity) {
    LayerNode node = PictureNode(slot, 8, 8, 4, 4);
    node.scaleX = static_cast<std::int16_t>(sx);
    node.scaleY = static_cast<std::int16_t>(sy);
    node.angle = static_cast<std::int16_t>(angle);
    node.opacity = static_cast<std::int16_t>(opacity);
    return node;
  };
  LayerNode additive = scaled(0, 500, 500, 0, 256);
  additive.drawMode = kDrawAdditive;
  for (const LayerNode& node : {
           scaled(1, 500, 500, 0, 128),    // an alpha picture below full opacity
           scaled(0, 0, 1000, 0, 256),     // no width
           scaled(0, 1000, -1000, 0, 256), // negative height
           scaled(0, -500, -500, 30, 256), // rotated with a negative mean scale
           scaled(0, 500, -500, 30, 256),  // rotated with a mean scale of 0
           additive,                       // only normal draws scale
       })
    compositor_.DrawLayerNode(node, nullptr);
  ExpectBackgroundOutside(0, 0, 0, 0);
}

TEST_F(CompositorTest, LinearModeSamplesBilinearly) {
  slots_[0] = MakeRgb565Picture(2, 1, [](int x, int) { return x ? 0xFFFF : 0x0000; });
  LayerNode node = PictureNode(0, 2, 1, 0, 0);
  node.scaleX = node.scaleY = 2000;
  compositor_.DrawLayerNode(node, nullptr);
  EXPECT_EQ(At(1, 0), 0x0000);  // nearest: still the first pixel
  linear_ = 1;
  compositor_.DrawLayerNode(node, nullptr);
  EXPECT_EQ(At(1, 0), 0x7BEF);  // halfway between black and white
  EXPECT_EQ(At(3, 1), 0xFFFF);  // the last column is its own neighbour
}

TEST_F(CompositorTest, QuarterTurnTurnsThePictureClockwise) {
  slots_[0] = MakeRgb565Picture(8, 8, Distinct);
  LayerNode node = PictureNode(0, 8, 8, 4, 4);
  node.anchorX = node.anchorY = 4;
  node.angle = 90;
  compositor_.DrawLayerNode(node, nullptr);
  // The box is the square turned about (8, 8), one pixel larger each way.
  EXPECT_EQ(At(12, 4), Distinct(0, 0));   // top-left corner to top-right
  EXPECT_EQ(At(12, 12), Distinct(7, 0));  // top-right to bottom-right
  EXPECT_EQ(At(4, 12), Distinct(7, 7));   // bottom-right to bottom-left
  EXPECT_EQ(At(4, 4), Distinct(0, 7));    // bottom-left to top-left
  ExpectBackgroundOutside(4, 4, 13, 13);
}

// Sine and cosine x 1024, truncated, of angles converted with single-precision
// pi (a hair above the true value): the right angles fall one short.
TEST(NodeAngle, QuarterTurnsComeOutOneShort) {
  const struct {
    int degrees;
    int sin1024;
    int cos1024;
  } cases[] = {{0, 0, 1024}, {45, 724, 724}, {90, 1023, 0}, {180, 0, -1023}, {270, -1023, 0}, {-90, -1023, 0}};
  for (const auto& c : cases) {
    const NodeAngle angle = NodeAngleOf(c.degrees);
    EXPECT_EQ(angle.sin1024, c.sin1024) << c.degrees;
    EXPECT_EQ(angle.cos1024, c.cos1024) << c.degrees;
  }
}

// The box of a rotated node is the sprite's dirty bounds for the same part:
// an 80 x 40 picture anchored at its centre (320, 240) on a 640 x 480 screen.
TEST(CompositorTransform, RotatedBoxMatchesTheSpriteBounds) {
  LayerNode node = PictureNode(0, 80, 40, 280, 220);
  node.anchorX = 40;
  node.anchorY = 20;
  const PixelRect screen{0, 0, 640, 480};
  const struct {
    int angle;
    PixelRect box;
  } cases[] = {{90, {280, 200, 361, 281}}, {45, {263, 183, 378, 298}}};
  for (const auto& c : cases) {
    node.angle = static_cast<std::int16_t>(c.angle);
    TransformSpan span;
    ASSERT_TRUE(SetupTransform(node, screen, span));
    EXPECT_EQ(span.boxLeft, c.box.left) << c.angle;
    EXPECT_EQ(span.boxTop, c.box.top) << c.angle;
    EXPECT_EQ(span.boxRight, c.box.right) << c.angle;
    EXPECT_EQ(span.boxBottom, c.box.bottom) << c.angle;
    EXPECT_EQ(span.skipX, 0);
  }

  // Clipping the box's left and top records the cut for the walk.
  node.angle = 90;
  TransformSpan span;
  ASSERT_TRUE(SetupTransform(node, PixelRect{300, 210, 320, 400}, span));
  EXPECT_EQ(span.skipX, 20);
  EXPECT_EQ(span.skipY, 10);
  EXPECT_EQ(span.width, 20);
  EXPECT_EQ(span.height, 71);
  EXPECT_FALSE(SetupTransform(node, PixelRect{400, 0, 640, 480}, span));
}

class CompositorRuleTest : public CompositorTest {
 protected:
  // Starts a soft rule transition of 1000 ms over the 16 x 16 screen with a
  // uniform level of 192, and puts the old screen (white) in slot 0.
  void StartRule() {
    const std::string path = folder_.WriteArchive(
        "pict.mlz", {{"rule.rbp", MakeRuleFile(kSize, kSize, [](int, int) { return 63; })}});
    rule_ = std::make_unique<CRuleTransition>(kSize, kSize);
    ASSERT_EQ(rule_->LoadRule("rule", path.c_str(), &reader_, 1000, 1), 1);
    ASSERT_EQ(rule_->Start(), 1);
    slots_[0] = MakeRgb565Picture(kSize, kSize, [](int, int) { return 0xFFFF; });
  }

  LayerNode RuleNode() {
    LayerNode node = PictureNode(0, kSize, kSize, 0, 0);
    node.ruleMode = kRuleModeTransition;
    return node;
  }

  TempFolder folder_;
  TestClock clock_;
  CArchiveReader reader_;
};

TEST_F(CompositorRuleTest, RuleNodeStepsTheTransitionUntilItEnds) {
  StartRule();
  const RECT clip{0, 0, 8, 16};
  clock_.Set(100);
  compositor_.DrawLayerNode(RuleNode(), &clip);
  EXPECT_EQ(At(0, 0), 0xFFFF);  // the old screen, inside the dirty rectangle only
  ExpectBackgroundOutside(0, 0, 8, 16);

  clock_.Set(1000);
  Reset();
  compositor_.DrawLayerNode(RuleNode(), nullptr);
  EXPECT_EQ(rule_, nullptr);  // the step that reports the end deletes it
  ExpectBackgroundOutside(0, 0, 0, 0);
  compositor_.DrawLayerNode(RuleNode(), nullptr);
  ExpectBackgroundOutside(0, 0, 0, 0);
}

TEST_F(CompositorRuleTest, OldScreenOfTheWrongShapeIsNotDrawnButTheRuleStillEnds) {
  StartRule();
  slots_[0] = MakeAlphaPicture(kSize, kSize, Distinct, [](int, int) { return 63; });
  slots_[1] = MakeRgb565Picture(kSize, kSize - 1, Distinct);
  clock_.Set(100);
  for (int slot : {0, 1}) {
    LayerNode node = RuleNode();
    node.imageSlot = static_cast<std::int16_t>(slot);
    compositor_.DrawLayerNode(node, nullptr);
  }
  ExpectBackgroundOutside(0, 0, 0, 0);
  clock_.Set(1000);
  compositor_.DrawLayerNode(RuleNode(), nullptr);
  EXPECT_EQ(rule_, nullptr);
}

TEST_F(CompositorTest, RuleNodeWithoutTransitionDrawsNothing) {
  slots_[0] = MakeRgb565Picture(kSize, kSize, Distinct);
  LayerNode node = PictureNode(0, kSize, kSize, 0, 0);
  node.ruleMode = kRuleModeTransition;
  compositor_.DrawLayerNode(node, nullptr);
  ExpectBackgroundOutside(0, 0, 0, 0);
}

TEST_F(CompositorTest, ComposeRectDrawsTheListBottomFirst) {
  slots_[0] = MakeRgb565Picture(4, 4, [](int, int) { return 0x0001; });
  slots_[1] = MakeRgb565Picture(4, 4, [](int, int) { return 0x0002; });
  LayerNode head;  // an empty list head, as the draw lists have
  LayerNode bottom = PictureNode(0, 4, 4, 0, 0);
  LayerNode top = PictureNode(1, 4, 4, 2, 2);
  head.next = &bottom;
  bottom.next = &top;
  compositor_.ComposeRect(&head, RECT{0, 0, 5, 5});
  EXPECT_EQ(At(0, 0), 0x0001);
  EXPECT_EQ(At(3, 3), 0x0002);
  EXPECT_EQ(At(5, 5), kBackground);  // outside the rectangle
  ExpectBackgroundOutside(0, 0, 5, 5);
}

}  // namespace
