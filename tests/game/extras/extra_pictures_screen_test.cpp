// The extra pictures screen and the extras frame it is built on.
#include "game/extras/extra_pictures_screen.h"

#include "tests/game/extras/extras_fixture.h"

namespace {

constexpr std::uint32_t kReturn = 21;

using ExtraPicturesTest = ExtrasTest;

TEST_F(ExtraPicturesTest, OpeningCoversTheScreenWithTheSnapshotUntilItsEffectEnds) {
  game->SetSceneState(SCENE_EXTRA_PICTURES, 0);
  HostClockSetVirtualNow(1000);
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_OPENING));
  ASSERT_NE(Sprite(0), nullptr);
  EXPECT_EQ(Sprite(0)->priority, 0);
  EXPECT_TRUE(Sprite(0)->IsEffectRunning());
  ASSERT_NE(Sprite(10), nullptr);
  EXPECT_EQ(Sprite(10)->priority, 38);
  HostClockSetVirtualNow(1300);
  StepOpeningEffect();
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_OPENING));
  HostClockSetVirtualNow(1600);
  StepOpeningEffect();
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  EXPECT_EQ(Sprite(0), nullptr);
  EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(0));
  EXPECT_EQ(game->extras.cursor, kNoCursor);
}

TEST_F(ExtraPicturesTest, EachPageShowsItsPositionsFramesAndPageControls) {
  struct Case {
    std::uint32_t category, page, shownPage, positions;
    bool pageBar;
  };
  const Case kCases[] = {
      {0, 0, 0, 16, true}, {0, 1, 1, 8, true},  {1, 0, 0, 16, true},
      {1, 1, 1, 16, true}, {2, 0, 0, 6, false}, {2, 1, 0, 6, false},  // a page past the count is page 0
  };
  for (const Case& c : kCases) {
    game->extraPictures.SetUp(c.category, c.page);
    const GalleryPage& page = game->extras.gallery;
    EXPECT_EQ(page.entryCount, c.positions) << c.category << "/" << c.page;
    for (std::uint32_t k = 0; k < kGridPositions; ++k) {
      const bool shown = k < c.positions;
      EXPECT_EQ(page.filled[k], shown ? 1u : 0u) << k;
      EXPECT_EQ(Sprite(64 + static_cast<int>(k)) != nullptr, shown) << k;
      EXPECT_EQ(Sprite(80 + static_cast<int>(k)) != nullptr, shown) << k;
      EXPECT_EQ(Sprite(96 + static_cast<int>(k)) != nullptr, shown) << k;
    }
    EXPECT_EQ(Sprite(15) != nullptr, c.pageBar);
    ASSERT_EQ(Sprite(16) != nullptr, c.pageBar);
    if (c.pageBar) {
      EXPECT_EQ(Sprite(16)->priority, 35);
    }
  }
  game->extraPictures.SetUp(0, 0);
  EXPECT_STREQ(game->extras.gallery.names[3 * 16 + 3], "1-04-04");
  EXPECT_STREQ(game->extras.gallery.names[3 * 16 + 4], "");
}

TEST_F(ExtraPicturesTest, UpAndDownWalkTheRingSkippingWhatCannotTakeTheCursor) {
  struct Case {
    std::uint32_t category, page;
    std::size_t key;
    std::vector<std::uint32_t> cursors;
  };
  const Case kCases[] = {
      // Page 2 of category 0: eight cells, page button 0, categories 1 and 2, return.
      {0, 1, ACTION_DOWN, {0, 1, 2, 3, 4, 5, 6, 7, 16, 19, 20, 21, 0}},
      {0, 1, ACTION_UP, {21, 20, 19, 16, 7}},
      // One page: neither page button; the current category is skipped.
      {2, 0, ACTION_DOWN, {0, 1, 2, 3, 4, 5, 18, 19, 21, 0}},
      {1, 0, ACTION_UP, {21, 20, 18, 17, 15}},
  };
  for (const Case& c : kCases) {
    Open(c.category, c.page);
    for (const std::uint32_t expected : c.cursors) {
      Press(c.key);
      EXPECT_EQ(game->extras.cursor, expected) << c.category << "/" << c.page;
      ASSERT_NE(Sprite(9), nullptr);
    }
    EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  }
}

TEST_F(ExtraPicturesTest, ATapHighlightsAndASecondTapOnTheSamePositionActivates) {
  Open(0, 1);
  TapCell(2);
  EXPECT_EQ(game->extras.cursor, 2u);
  ASSERT_NE(Sprite(9), nullptr);
  EXPECT_EQ(Sprite(9)->priority, 26);
  TapCell(5);  // another cell moves the highlight
  EXPECT_EQ(game->extras.cursor, 5u);
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  TapCell(12);  // beyond the page's eight cells: nothing there
  EXPECT_EQ(game->extras.cursor, kNoCursor);
  EXPECT_EQ(Sprite(9), nullptr);
  TapDesign(384 + 52, 570);  // the current category's button
  EXPECT_EQ(game->extras.cursor, kNoCursor);
  TapDesign(384 + 104 + 52, 570);  // category 1
  EXPECT_EQ(game->extras.cursor, 19u);
  EXPECT_EQ(Sprite(9)->priority, 32);
  TapDesign(384 + 104 + 52, 570);
  EXPECT_EQ(game->extras.category, 1u);
  EXPECT_EQ(game->extras.page, 0u);
  EXPECT_EQ(game->extras.cursor, kNoCursor);
  EXPECT_EQ(game->extras.gallery.entryCount, 16u);
}

TEST_F(ExtraPicturesTest, ActivationWithoutACursorDoesNothing) {
  Open(0, 1);
  Press(ACTION_ADVANCE_KEY);
  Press(ACTION_CLICK);
  TapDesign(5, 5);
  TapDesign(5, 5);
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  EXPECT_EQ(game->extras.category, 0u);
  EXPECT_EQ(game->extras.page, 1u);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_EXTRA_PICTURES));
}

TEST_F(ExtraPicturesTest, TheAKeyStaysOnTheGridAndReturnLeadsToTheTitlesReentry) {
  Open(0, 0);
  Press(ACTION_CANCEL);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_EXTRA_PICTURES));
  Press(ACTION_UP);
  EXPECT_EQ(game->extras.cursor, kReturn);
  Press(ACTION_ADVANCE_KEY);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_TITLE));
  EXPECT_EQ(Sub(), 30u);
}

TEST_F(ExtraPicturesTest, TheViewerStepsThroughAPositionsPicturesThenBackToTheGrid) {
  Open(0, 0);
  OpenCell(3);
  for (int picture = 1; picture <= 4; ++picture) {
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_SHOW)) << picture;
    ASSERT_NE(Sprite(6), nullptr);
    EXPECT_EQ(Sprite(6)->priority, 16);
    EXPECT_STREQ(engine->pictureSlots.Get(6)->name, ("1-04-0" + std::to_string(picture) + ".rbp").c_str());
    Press(ACTION_ADVANCE_KEY);
    Frame();
  }
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  EXPECT_EQ(Sprite(6), nullptr);
  EXPECT_EQ(game->extras.cursor, 3u);
  // A closes at once.
  TapCell(3);
  Frame();
  ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_SHOW));
  Press(ACTION_CANCEL);
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  EXPECT_EQ(Sprite(6), nullptr);
  EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(6));
}

TEST_F(ExtraPicturesTest, TheViewerSkipsAPictureTheArchivesDoNotHold) {
  Open(0, 0);
  OpenCell(1);
  ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_SHOW));
  EXPECT_STREQ(engine->pictureSlots.Get(6)->name, "1-02-01.rbp");
  Press(ACTION_ADVANCE_KEY);
  Frame();
  ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_SHOW));
  ASSERT_NE(engine->pictureSlots.Get(6), nullptr);
  EXPECT_STREQ(engine->pictureSlots.Get(6)->name, "1-02-03.rbp");
  EXPECT_EQ(game->extras.pictureWidth, 800);
}

TEST_F(ExtraPicturesTest, AHeldKeyScrollsOnlyAPictureLargerThanTheScreen) {
  struct Case {
    std::uint32_t cell;
    std::int32_t leftmost;
  };
  for (const Case& c : {Case{0, -800}, Case{2, 0}}) {
    Open(0, 0);
    OpenCell(c.cell);
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_SHOW));
    engine->input.words[ACTION_CLICK] = 5;  // held
    for (int frame = 1; frame <= 49; ++frame) Frame();
    EXPECT_EQ(game->extras.scrollX, c.leftmost == 0 ? 0 : -784);
    Frame();
    Frame();
    EXPECT_EQ(game->extras.scrollX, c.leftmost);
    engine->input.words[ACTION_CLICK] = 0;
    engine->input.words[ACTION_SKIP_KEY] = 5;
    Frame();
    EXPECT_EQ(game->extras.scrollX, c.leftmost == 0 ? 0 : -784);
    engine->input.words[ACTION_SKIP_KEY] = 0;
    engine->input.words[ACTION_DOWN] = 5;  // 600 high: no vertical scroll
    Frame();
    engine->input.words[ACTION_DOWN] = 0;
    EXPECT_EQ(game->extras.scrollY, 0);
    Press(ACTION_CANCEL);
  }
}

TEST_F(ExtraPicturesTest, GridFillEndsAtAMissingIdentifierAndKeepsSixteenNamesAPosition) {
  std::vector<PictureRecord> table;
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) names.push_back("many-" + std::to_string(i));
  table.push_back({0, 0, "single"});
  for (const std::string& name : names) table.push_back({1, 0, name.c_str()});
  table.push_back({3, 0, "after-gap"});
  table.push_back({-1, 0, nullptr});
  auto page = std::make_unique<GalleryPage>();
  FillExtrasGrid(*engine, *page, table.data(), 0, 0, 16, [](const char* name) { return name[0] != 's'; });
  EXPECT_EQ(page->entryCount, 2u);
  EXPECT_EQ(page->filled[0], 0u);
  EXPECT_STREQ(page->names[0], "");
  EXPECT_EQ(page->filled[1], 1u);
  EXPECT_STREQ(page->names[16 + 15], "many-15");
  EXPECT_STREQ(page->names[32], "");
  EXPECT_EQ(page->filled[2], 0u);
}

}  // namespace
