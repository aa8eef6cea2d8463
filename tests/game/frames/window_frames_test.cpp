#include "game/frames/window_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/pictures/picture_design_space.h"
#include "engine/pictures/rbp_format.h"
#include "engine/shell/game_engine.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "engine/text/text_fixture.h"
#include "host/time/time_api.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

// The window pictures, each a flat picture whose width tells it apart.
const struct {
  const char* name;
  std::uint32_t width;
} kPictures[] = {{"M_frame_NVL.rbp", 10}, {"M_frame_A.rbp", 11}, {"M_frame_B.rbp", 12},
                 {"M_frame_C.rbp", 13},   {"M_frame_name.rbp", 14}, {"WIN_PARTS.rbp", 15}};

std::vector<std::uint8_t> FlatPicture(std::uint32_t width) {
  SourcePicture picture;
  picture.width = width;
  picture.height = 2;
  picture.rgba.assign(std::size_t{width} * 2 * 4, 0x80);
  return BuildRbpFile(picture, {kRbpKindRgb565, 0, 0});
}

class WindowFramesTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    std::vector<MlzEntrySource> entries;
    for (const auto& p : kPictures) entries.push_back({p.name, FlatPicture(p.width), true});
    dir.WriteFile("pict.mlz", BuildMlzArchive(entries, '3'));
    engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    frames.ResetWindowParts();
  }
  void TearDown() override {
    engine.messageWindow.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }

  std::uint32_t FrameWidth() const {
    const CImage* picture = engine.pictureSlots.Get(kFrameSlot);
    return picture != nullptr ? picture->width : 0;
  }
  CSpritePart* Sprite(int index) { return engine.sprites[static_cast<std::size_t>(index)].get(); }

  ScopedTempDir dir{"novel_frames_"};
  CGameEngine engine;
  CWindowFrames frames{engine};
};

TEST_F(WindowFramesTest, FrameTypeWaitsInNovelModeUntilTheWindowLayout) {
  EXPECT_EQ(FrameWidth(), 11u);  // a new game: WINDOW, frame A
  EXPECT_EQ(engine.pictureSlots.Get(kWindowPartsSlot)->width, 15u);
  EXPECT_EQ(engine.pictureSlots.Get(kNamePlateSlot)->width, 14u);
  frames.SetWindowType("NOVEL");
  EXPECT_EQ(FrameWidth(), 10u);
  const CMessageWindow* novelWindow = engine.messageWindow.get();
  const CSpritePart* novelFrame = Sprite(kFrameSprite);
  frames.SetFrameType(2);
  EXPECT_EQ(FrameWidth(), 10u);
  EXPECT_EQ(engine.messageWindow.get(), novelWindow);
  EXPECT_EQ(Sprite(kFrameSprite), novelFrame);
  frames.SetWindowType("WINDOW");
  EXPECT_EQ(FrameWidth(), 13u);
  frames.SetFrameType(1);
  EXPECT_EQ(FrameWidth(), 12u);
  // Anything but "NOVEL" is the window layout; a type outside 0..2 loads no frame.
  frames.SetWindowType("novel");
  EXPECT_EQ(frames.novel, 0u);
  frames.SetFrameType(3);
  EXPECT_EQ(FrameWidth(), 0u);
  EXPECT_EQ(Sprite(kFrameSprite), nullptr);
  EXPECT_NE(engine.messageWindow, nullptr);
}

TEST_F(WindowFramesTest, EachLayoutSetsUpItsWindowObject) {
  const struct {
    const char* mode;
    std::int32_t top, height;
  } cases[] = {{"NOVEL", 0, 600}, {"WINDOW", 429, 171}};
  for (const auto& c : cases) {
    frames.SetWindowType(c.mode);
    const CMessageWindow& w = *engine.messageWindow;
    // 640 x 480 screen: design values x 4 / 5.
    EXPECT_EQ(w.windowX1000, 0) << c.mode;
    EXPECT_EQ(w.windowY1000, c.top * 4 / 5 * 1000) << c.mode;
    EXPECT_EQ(w.windowWidth, 640) << c.mode;
    EXPECT_EQ(w.windowHeight, c.height * 4 / 5) << c.mode;
    EXPECT_EQ(w.fontSize, 24) << c.mode;
    EXPECT_EQ(w.textLeft, 0) << c.mode;
    EXPECT_EQ(w.textTop, c.top * 4 / 5 + 66 * 4 / 5) << c.mode;
    EXPECT_EQ(w.charSpacing, 0) << c.mode;
    EXPECT_EQ(w.lineSpacing, 8 * 4 / 5) << c.mode;
    EXPECT_EQ(w.waitFactor, 24u) << c.mode;
    EXPECT_EQ(w.charsPerLine, 48) << c.mode;
    EXPECT_EQ(w.lineLimit, 3) << c.mode;
    const CSpritePart& frame = *Sprite(kFrameSprite);
    EXPECT_EQ(frame.designY1000, c.top * 1000) << c.mode;
    EXPECT_EQ(frame.designHeight, c.height) << c.mode;
    EXPECT_EQ(frame.priority, 6) << c.mode;
    // Built while hidden: window and frame stay hidden.
    EXPECT_EQ(w.shown, 0u) << c.mode;
    EXPECT_EQ(frame.visible, 0u) << c.mode;
  }
  frames.ShowMessageWindow(1);
  frames.pageOpen = 1;
  frames.SetWindowType("NOVEL");
  EXPECT_EQ(engine.messageWindow->shown, 1u);
  EXPECT_EQ(Sprite(kFrameSprite)->visible, 1u);
  EXPECT_EQ(frames.pageOpen, 0u);
}

TEST_F(WindowFramesTest, ShowingAndHidingMovesEveryWindowSpriteTogether) {
  frames.ShowNamePlate("name");
  frames.PageEndIcon(1);
  frames.SelectWindowButton(0);
  const int parts[] = {kFrameSprite, kNamePlateSprite, kSpeakerNameSprite, kPageEndIconSprite, kButtonSprite};
  frames.ShowMessageWindow(1);
  for (int part : parts) {
    ASSERT_NE(Sprite(part), nullptr) << part;
    EXPECT_EQ(Sprite(part)->visible, 1u) << part;
  }
  EXPECT_EQ(engine.messageWindow->shown, 1u);

  frames.ShowMessageWindow(0);
  for (int part : parts) EXPECT_EQ(Sprite(part)->visible, 0u) << part;
  EXPECT_EQ(frames.shown, 0u);
  // A second hide touches nothing but the hidden-by-user mark.
  Sprite(kFrameSprite)->SetVisible(1);
  engine.messageWindow->textHidden = 1;
  EXPECT_EQ(frames.ShowMessageWindow(0), 1);
  EXPECT_EQ(Sprite(kFrameSprite)->visible, 1u);
  EXPECT_EQ(engine.messageWindow->textHidden, 0u);

  frames.DestroyMessageWindow();
  EXPECT_EQ(engine.messageWindow, nullptr);
  EXPECT_EQ(frames.ShowMessageWindow(1), 1);
  EXPECT_EQ(frames.shown, 1u);
}

TEST_F(WindowFramesTest, ButtonHighlightIsRemadeOnlyWhenItChanges) {
  frames.SelectWindowButton(2);
  CSpritePart* highlight = Sprite(kButtonSprite);
  ASSERT_NE(highlight, nullptr);
  EXPECT_EQ(highlight->designX1000, (112 + 192) * 1000);
  EXPECT_EQ(highlight->designY1000, 576 * 1000);
  EXPECT_EQ(highlight->priority, 5);
  EXPECT_EQ(highlight->node.imageSlot, kWindowPartsSlot);
  EXPECT_EQ(highlight->node.srcLeft, 192 * 4 / 5);
  frames.SelectWindowButton(2);
  EXPECT_EQ(Sprite(kButtonSprite), highlight);
  frames.redrawRequest = 1;
  frames.SelectWindowButton(2);
  EXPECT_NE(Sprite(kButtonSprite), nullptr);
  EXPECT_EQ(frames.redrawRequest, 0u);
  for (int none : {6, -1}) {
    frames.SelectWindowButton(none);
    EXPECT_EQ(Sprite(kButtonSprite), nullptr) << none;
    EXPECT_EQ(frames.selectedButton, none);
  }
}

TEST_F(WindowFramesTest, NamePlateComesAndGoes) {
  frames.ShowNamePlate("speaker");
  const CSpritePart* plate = Sprite(kNamePlateSprite);
  ASSERT_NE(plate, nullptr);
  EXPECT_EQ(plate->node.imageSlot, kNamePlateSlot);
  EXPECT_EQ(plate->designY1000, 420 * 1000);
  EXPECT_EQ(plate->designWidth, 368);
  EXPECT_EQ(plate->designHeight, 49);
  EXPECT_EQ(plate->priority, 6);
  frames.RemoveNamePlate();
  EXPECT_EQ(Sprite(kNamePlateSprite), nullptr);
  frames.RemoveNamePlate();
}

TEST_F(WindowFramesTest, PageEndIconCyclesSevenFramesEvery700Ms) {
  HostClockSetVirtualNow(1000);
  frames.PageEndIcon(1);
  CSpritePart* icon = Sprite(kPageEndIconSprite);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->node.reserved & kPageEndIconLayerFlag, kPageEndIconLayerFlag);
  EXPECT_EQ(icon->designX1000, 694 * 1000);
  EXPECT_EQ(icon->designY1000, 526 * 1000);
  // A second show keeps the running icon.
  frames.PageEndIcon(1);
  EXPECT_EQ(Sprite(kPageEndIconSprite), icon);

  std::vector<int> sources;
  std::uint32_t level = 256;
  for (std::uint32_t t = 1000; t <= 1800; t += 100) {
    HostClockSetVirtualNow(t);
    icon->Update(&level);
    sources.push_back(icon->node.srcLeft);
  }
  // Source x 48 k design px (x 4 / 5 on this screen), back to 0 after 700 ms.
  EXPECT_EQ(sources, (std::vector<int>{0, 38, 76, 115, 153, 192, 230, 0, 38}));
  EXPECT_EQ(icon->node.srcTop, 52 * 4 / 5);

  frames.PageEndIcon(0);
  EXPECT_EQ(Sprite(kPageEndIconSprite), nullptr);
  EXPECT_EQ(frames.iconShown, 0u);
}

// The white pixels of one frame drawn as the frame tick draws it: their
// count and bounding box (left, top, right, bottom), in screen pixels.
struct WhiteArea {
  int count = 0;
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

WhiteArea DrawAndFindWhite(CGameEngine& engine) {
  engine.ClearDrawLists();
  engine.BuildDrawLists();
  engine.RemoveFinishedSprites();
  engine.InvalidateMovedSprites();
  engine.backgroundClear = 1;
  const auto width = static_cast<int>(engine.backBuffer->GetWidth());
  const auto height = static_cast<int>(engine.backBuffer->GetHeight());
  RECT screen{0, 0, width, height};
  engine.dirtyList->Add(&screen, 1);
  engine.RenderFrame(engine.LayerListHead());
  engine.dirtyList->Clear();
  WhiteArea area;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (engine.backBuffer->GetPixels()[static_cast<std::size_t>(y) * width + x] != 0xFFFF) continue;
      ++area.count;
      area.left = std::min(area.left, x);
      area.top = std::min(area.top, y);
      area.right = std::max(area.right, x);
      area.bottom = std::max(area.bottom, y);
    }
  }
  return area;
}

// The speaker's name drawn white on the plate at the window's origin +
// (76, 3), in both screen sizes and both layouts; it hides and shows with
// the window and goes with the plate.
TEST_F(WindowFramesTest, TheSpeakersNameIsDrawnOnThePlateAndGoesWithIt) {
  const std::string tobaru = "\x83\x67\x83\x6F\x83\x8B";  // three full-width glyphs
  const struct {
    std::int32_t screenW, screenH;
    const char* layout;
    std::int32_t designTop;
  } cases[] = {{640, 480, "WINDOW", 432}, {320, 240, "WINDOW", 432}, {640, 480, "NOVEL", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.screenW) + " " + c.layout);
    SetScreenWidth(c.screenW);
    SetScreenHeight(c.screenH);
    CGameEngine shown;
    shown.dirtyList->SetSize(c.screenW, c.screenH);
    shown.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    CWindowFrames window(shown);
    window.ResetWindowParts();
    window.SetWindowType(c.layout);
    window.ShowMessageWindow(1);
    EXPECT_EQ(DrawAndFindWhite(shown).count, 0);

    window.ShowNamePlate(tobaru.c_str());
    const std::int32_t glyph = shown.messageWindow->glyphScale * 24 / 100;
    const WhiteArea name = DrawAndFindWhite(shown);
    EXPECT_EQ(name.left, DesignXToScreen(76));
    EXPECT_EQ(name.top, DesignYToScreen(c.designTop));
    EXPECT_EQ(name.right, DesignXToScreen(76) + 3 * DesignXToScreen(glyph) - 1);
    EXPECT_EQ(name.bottom, DesignYToScreen(c.designTop) + DesignXToScreen(glyph) - 1);
    EXPECT_GT(name.count, 0);
    // Redrawn frames keep it.
    EXPECT_EQ(DrawAndFindWhite(shown).count, name.count);

    window.ShowMessageWindow(0);
    EXPECT_EQ(DrawAndFindWhite(shown).count, 0);
    window.ShowMessageWindow(1);
    EXPECT_EQ(DrawAndFindWhite(shown).count, name.count);

    // A page without a speaker removes the plate and the name with it.
    window.RemoveNamePlate();
    EXPECT_EQ(DrawAndFindWhite(shown).count, 0);
    EXPECT_EQ(shown.sprites[kSpeakerNameSprite], nullptr);
    EXPECT_EQ(shown.pictureSlots.Get(kSpeakerNameSlot), nullptr);
    shown.messageWindow.reset();
  }
  SetScreenWidth(640);
  SetScreenHeight(480);
}

}  // namespace
