// The extra pictures screen and the extras frame it is built on, over the
// virtual clock, with input words set directly and pictures of known design
// sizes in a test archive.
#include "game/extras/extra_pictures_screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/pictures/rbp_format.h"
#include "engine/shell/scene_state.h"
#include "engine/shell/shell_fixture.h"
#include "game/extras/extras_frame.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "host/time/time_api.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

// A flat picture of a design size, drawn at the 640 x 480 screen's scale.
std::vector<std::uint8_t> Flat(std::int16_t designW, std::int16_t designH) {
  SourcePicture picture;
  picture.width = static_cast<std::uint32_t>(designW) * 4 / 5;
  picture.height = static_cast<std::uint32_t>(designH) * 4 / 5;
  picture.rgba.assign(std::size_t{picture.width} * picture.height * 4, 0xC0);
  return BuildRbpFile(picture, {kRbpKindRgb565, designW, designH});
}

constexpr std::uint32_t kReturn = 21;

class ExtraPicturesTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    std::vector<MlzEntrySource> pictures;
    auto add = [&](const std::string& name, std::int16_t w, std::int16_t h) {
      pictures.push_back({name + ".rbp", Flat(w, h), true});
    };
    for (const char* base : {"base_ex_ED", "base_ex_LA", "base_ex_Etc"}) add(base, 800, 600);
    for (const char* sheet : {"extra_sum1-1", "extra_sum1-2", "extra_sum2-1", "extra_sum2-2", "extra_sum3-1"}) {
      add(sheet, 480, 360);
    }
    add("OMAKE_PARTS", 710, 444);
    add("1-01", 1600, 600);
    add("1-03", 800, 600);
    for (const char* name : {"1-04-01", "1-04-02", "1-04-03", "1-04-04"}) add(name, 800, 600);
    // "1-02-02" is missing from the archive.
    add("1-02-01", 800, 600);
    add("1-02-03", 800, 600);
    dir.WriteFile("pict.mlz", BuildMlzArchive(pictures, '3'));
    engine = std::make_unique<CGameEngine>();
    engine->dirtyList->SetSize(640, 480);
    engine->pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    game = std::make_unique<CGame>(*engine);
  }
  void TearDown() override {
    game.reset();
    engine.reset();
    ShellTest::TearDown();
  }

  void Frame() { game->RunSceneFrame(*engine); }
  // What the frame tick does to the opening snapshot at the clock's time.
  void StepOpeningEffect() {
    if (CSpritePart* snapshot = Sprite(0)) snapshot->StepEffect();
  }
  std::uint32_t Sub() const { return engine->subState; }
  CSpritePart* Sprite(int index) const { return engine->sprites[static_cast<std::size_t>(index)].get(); }
  void Press(std::size_t action) {
    engine->input.words[action] = 1;
    Frame();
    engine->input.words[action] = 0;
  }
  // A tap at a design point.
  void TapDesign(std::int32_t x, std::int32_t y) {
    engine->input[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x * 640 / 800);
    engine->input[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y * 480 / 600);
    Press(ACTION_TAP);
  }
  void TapCell(std::uint32_t k) {
    TapDesign(20 + 131 * static_cast<std::int32_t>(k % 4) + 60, 67 + 97 * static_cast<std::int32_t>(k / 4) + 45);
  }
  // Through the opening to the cursor step on a category and page.
  void Open(std::uint32_t category, std::uint32_t page) {
    game->extras.category = category;
    game->extras.page = page;
    game->SetSceneState(SCENE_EXTRA_PICTURES, 0);
    HostClockSetVirtualNow(1000);
    Frame();
    HostClockSetVirtualNow(1600);
    StepOpeningEffect();
    Frame();
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  }
  void OpenCell(std::uint32_t k) {
    TapCell(k);
    TapCell(k);
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_LOAD));
    Frame();
  }

  ScopedTempDir dir{"novel_extras_"};
  std::unique_ptr<CGameEngine> engine;
  std::unique_ptr<CGame> game;
};

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
      {0, 0, 0, 16, true}, {0, 1, 1, 8, true}, {1, 0, 0, 16, true},
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
    if (c.pageBar) EXPECT_EQ(Sprite(16)->priority, 35);
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
