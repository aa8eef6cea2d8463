// What the scene steps put on screen, against pixels worked out by hand.
#include <gtest/gtest.h>

#include <cstdlib>

#include "scene_fixture.h"

namespace {

using ScenePixelsTest = SceneTest;

int Red5(std::uint16_t p) { return p >> 11; }
int Blue5(std::uint16_t p) { return p & 0x1F; }

TEST_F(ScenePixelsTest, CrossAtHalfItsDurationBlendsOldAndNew) {
  game->TagBgSet(Tag("<BgSet bg_red>"));
  DrawFrame();
  ASSERT_EQ(ScreenPixel(320, 240), 0xF800);
  const ParsedCommand cross = Tag("<UpDate Cross,1000>");
  const std::uint32_t start = GetClockMs();
  EXPECT_EQ(game->TagUpDate(cross, 0), 0);
  game->TagBgSet(Tag("<BgSet bg_blue>"));
  HostClockSetVirtualNow(start + 500);
  EXPECT_EQ(game->TagUpDate(cross, 1), 0);
  DrawFrame();
  // Half of full red over half of full blue, each within the blend's rounding.
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{320, 240}, std::pair{639, 479}}) {
    const std::uint16_t p = ScreenPixel(x, y);
    EXPECT_LE(std::abs(Red5(p) - 15), 1) << std::hex << p;
    EXPECT_LE(std::abs(Blue5(p) - 15), 1) << std::hex << p;
    EXPECT_EQ(p & 0x07E0, 0) << std::hex << p;
  }
  HostClockSetVirtualNow(start + 1001);
  DrawFrame();
  EXPECT_EQ(game->TagUpDate(cross, 2), 1);
  DrawFrame();
  EXPECT_EQ(ScreenPixel(320, 240), 0x001F);
}

// A soft rule over 1000 ms crosses pixel of level L from t = L to t = L + 256
// on a clock of 512 per duration. At 490 ms (t 250) the right half (level
// 255) has not begun while the left (level 192) is mid-way; at 900 ms (t 460)
// the left is done while the right is mid-way.
TEST_F(ScenePixelsTest, ImageCrossRunsItsRuleToTheEnd) {
  game->TagBgSet(Tag("<BgSet bg_red>"));
  DrawFrame();
  const ParsedCommand cross = Tag("<UpDate ImageCross,1000,halves.png>");
  const std::uint32_t start = GetClockMs();
  EXPECT_EQ(game->TagUpDate(cross, 0), 0);
  ASSERT_NE(engine->ruleTransition, nullptr);
  game->TagBgSet(Tag("<BgSet bg_blue>"));
  const auto mixed = [](std::uint16_t p) { return Red5(p) > 0 && Red5(p) < 31 && Blue5(p) > 0 && Blue5(p) < 31; };
  const std::pair<int, int> left[] = {{0, 0}, {319, 479}}, right[] = {{320, 0}, {639, 479}};

  HostClockSetVirtualNow(start + 490);
  DrawFrame();
  EXPECT_EQ(game->TagUpDate(cross, 1), 0);
  for (const auto& [x, y] : left) EXPECT_TRUE(mixed(ScreenPixel(x, y))) << std::hex << ScreenPixel(x, y);
  for (const auto& [x, y] : right) EXPECT_EQ(ScreenPixel(x, y), 0xF800) << x;

  HostClockSetVirtualNow(start + 900);
  DrawFrame();
  EXPECT_EQ(game->TagUpDate(cross, 2), 0);
  for (const auto& [x, y] : left) EXPECT_EQ(ScreenPixel(x, y), 0x001F) << x;
  for (const auto& [x, y] : right) EXPECT_TRUE(mixed(ScreenPixel(x, y))) << std::hex << ScreenPixel(x, y);

  // Past the duration the frame shows the new picture whole and lets go of
  // the rule; the update ends on the next step.
  HostClockSetVirtualNow(start + 1000);
  DrawFrame();
  EXPECT_EQ(engine->ruleTransition, nullptr);
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{320, 240}, std::pair{639, 479}})
    EXPECT_EQ(ScreenPixel(x, y), 0x001F) << x << "," << y;
  EXPECT_EQ(game->TagUpDate(cross, 3), 1);
  EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(kSnapshotSlot));
  DrawFrame();
  EXPECT_EQ(ScreenPixel(320, 240), 0x001F);
}

TEST_F(ScenePixelsTest, ZoomFrameShowsEachCharacterWhereItsSpriteWas) {
  game->TagBgSet(Tag("<BgSet bg_blue>"));
  game->TagChrSetXY(Tag("<ChrSetXY 0,200,100>"));
  game->TagChrSet(Tag("<ChrSet 0,chr_a>"));
  game->TagChrSetXY(Tag("<ChrSetXY 1,500,300>"));
  game->TagChrSet(Tag("<ChrSet 1,chr_b>"));
  game->TagChrSetPry(Tag("<ChrSetPry 0,0,-1>"));  // both 0: chr_b is drawn after chr_a
  EXPECT_EQ(game->TagUpDate(Tag("<UpDate Zoom,1024,1024,100>"), 0), 0);
  const CImage* frame = engine->pictureSlots.Get(kZoomFrameSlot);
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->width, 640u);
  const auto at = [frame](int x, int y) { return frame->GetPixels()[y * 640 + x]; };
  // chr_a: design (200, 100) is screen (160, 80), 80 x 160 px.
  EXPECT_EQ(at(160, 80), 0xFFE0);
  EXPECT_EQ(at(239, 239), 0xFFE0);
  EXPECT_EQ(at(159, 80), 0x001F);
  EXPECT_EQ(at(240, 239), 0x001F);
  // chr_b: design (500, 300) is screen (400, 240).
  EXPECT_EQ(at(400, 240), 0x07FF);
  EXPECT_EQ(at(479, 399), 0x07FF);
  EXPECT_EQ(at(480, 400), 0x001F);
  // What the zoom shows at scale 1 is what the scene showed.
  DrawFrame();
  EXPECT_EQ(ScreenPixel(160, 80), 0xFFE0);
  EXPECT_EQ(ScreenPixel(400, 240), 0x07FF);
  EXPECT_EQ(ScreenPixel(159, 80), 0x001F);
}

}  // namespace
