// The title screen over the virtual clock, with input words set directly,
// and the scene dispatcher that runs it.
#include "game/title/title_screen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/pictures/picture_part_slots.h"
#include "engine/pictures/rbp_format.h"
#include "engine/runtime/engine_clock.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "host/time/time_api.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

std::vector<std::uint8_t> Flat(std::uint32_t width, std::uint32_t height, std::int16_t designW, std::int16_t designH) {
  SourcePicture picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.assign(std::size_t{width} * height * 4, 0xC0);
  return BuildRbpFile(picture, {kRbpKindRgb565, designW, designH});
}

class TitleTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    const std::vector<MlzEntrySource> pictures = {
        {"brand_BG.rbp", Flat(640, 480, 800, 600), true},      {"start_base_A.rbp", Flat(640, 480, 800, 600), true},
        {"start_base_B.rbp", Flat(640, 480, 800, 600), true},  {"start_base_C.rbp", Flat(640, 480, 800, 600), true},
        {"TITLE_PARTS.rbp", Flat(1069, 577, 1336, 721), true},
    };
    dir.WriteFile("pict.mlz", BuildMlzArchive(pictures, '3'));
    const std::string script = "<Mov g_started,7>[wait]<TW 100000>";
    dir.WriteFile("script.mlz", BuildMlzArchive({{"main.txt", {script.begin(), script.end()}, true}}, '2'));
    engine = std::make_unique<CGameEngine>();
    engine->dirtyList->SetSize(640, 480);
    engine->pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    engine->scriptArchive = dir.EnginePath("script.mlz");
    game = std::make_unique<CGame>(*engine);
  }
  void TearDown() override {
    game.reset();
    engine.reset();
    ShellTest::TearDown();
  }

  void Frame() { game->RunSceneFrame(*engine); }
  void At(std::uint32_t ms) { HostClockSetVirtualNow(ms); }
  std::uint32_t Sub() const { return engine->subState; }
  CSpritePart* Sprite(int index) const { return engine->sprites[static_cast<std::size_t>(index)].get(); }
  void Tap(std::int32_t screenX, std::int32_t screenY) {
    engine->input[INPUT_STYLUS_X] = static_cast<std::uint32_t>(screenX);
    engine->input[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(screenY);
    engine->input[INPUT_TAP] = 1;
  }
  // A tap on menu row item (design x 100, 15 px into the row).
  void TapRow(std::uint32_t item) { Tap(80, (300 + 31 * static_cast<std::int32_t>(item) + 15) * 480 / 600); }
  // From the set-up step to the menu, in the variant the globals give.
  void EnterMenu() {
    engine->subState = TITLE_SET_UP;
    Frame();
    engine->input[INPUT_TAP] = 1;
    Frame();
    engine->input[INPUT_TAP] = 0;
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_MENU));
  }
  void SetGlobals(std::int32_t clear, std::uint32_t endings) {
    ScriptVariables& v = game->Interpreter().Variables();
    v.Set("g_clear_flg", clear);
    const char* names[] = {"g_EDY", "g_EDR", "g_EDM", "g_EDSH", "g_EDSS"};
    for (int bit = 0; bit < 5; ++bit) v.Set(names[bit], (endings >> bit) & 1);
  }

  ScopedTempDir dir{"novel_title_"};
  std::unique_ptr<CGameEngine> engine;
  std::unique_ptr<CGame> game;
};

TEST_F(TitleTest, LogoFadesInHoldsThenTheMovieStepSetsUpTheTitle) {
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_LOGO_FADE_IN));
  EXPECT_EQ(engine->backgroundColor, 0x00FFFFFFu);
  ASSERT_NE(Sprite(10), nullptr);
  EXPECT_EQ(Sprite(10)->priority, 40);
  const std::pair<std::uint32_t, std::int32_t> kFade[] = {{0, 0}, {250, 64}, {500, 128}, {999, 255}};
  for (const auto& [ms, opacity] : kFade) {
    At(ms);
    Frame();
    EXPECT_EQ(Sprite(10)->node.opacity, opacity) << ms;
  }
  At(1000);
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_LOGO_HOLD));
  EXPECT_EQ(Sprite(10)->node.opacity, 256);
  At(1999);
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_LOGO_HOLD));
  At(2000);
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_MOVIE));
  Frame();  // no opening movie in the data: straight on
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_SET_UP));
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_WHITE_FADE));
  EXPECT_EQ(engine->backgroundColor, 0u);
  ASSERT_NE(Sprite(1), nullptr);
  EXPECT_EQ(Sprite(1)->node.opacity, 256);
  At(2500);
  Frame();
  EXPECT_EQ(Sprite(1)->node.opacity, 128);
  At(3000);
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_MENU));
  EXPECT_EQ(Sprite(1), nullptr);
}

TEST_F(TitleTest, ATapDuringTheLogoSkipsToTheMovieAndIsConsumed) {
  Frame();
  At(300);
  engine->input[INPUT_C] = 1;
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_MOVIE));
  EXPECT_EQ(engine->input[INPUT_C], 0u);
  EXPECT_EQ(Sprite(10)->node.opacity, 256);
}

TEST_F(TitleTest, VariantComesFromTheClearFlagAndTheFiveEndings) {
  const struct {
    std::int32_t clear;
    std::uint32_t endings;
    std::uint32_t variant;
    std::uint32_t items;
    std::vector<int> endingParts;
  } kCases[] = {
      {0, 0x00, 0, 6, {}},
      {0, 0x05, 0, 6, {}},
      {1, 0x00, 1, 6, {}},
      {1, 0x05, 1, 6, {15, 17}},
      {1, 0x1E, 1, 6, {16, 17, 18, 19}},
      {0, 0x1F, 2, 7, {}},
      {1, 0x1F, 2, 7, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.endings);
    SCOPED_TRACE(c.clear);
    SetGlobals(c.clear, c.endings);
    EnterMenu();
    EXPECT_EQ(game->title.variant, c.variant);
    EXPECT_EQ(game->title.itemCount, c.items);
    std::vector<int> parts;
    for (int k = 15; k <= 19; ++k) {
      if (Sprite(k) != nullptr) parts.push_back(k);
    }
    EXPECT_EQ(parts, c.endingParts);
    if (!c.endingParts.empty() && c.endingParts[0] == 15) {
      EXPECT_EQ(Sprite(15)->designX1000, 264000);
      EXPECT_EQ(Sprite(15)->priority, 40);
    }
  }
}

TEST_F(TitleTest, KeysWalkTheMenuAndVariantZeroSkipsTheGallery) {
  const struct {
    std::uint32_t variant;  // 0: no globals; 2: all endings
    InputWord key;
    std::vector<std::uint32_t> walk;
  } kCases[] = {
      {0, INPUT_DOWN, {0, 1, 2, 3, 5, 0}},
      {0, INPUT_UP, {5, 3, 2, 1, 0, 5}},
      {2, INPUT_DOWN, {0, 1, 2, 3, 4, 5, 6, 0}},
      {2, INPUT_UP, {6, 5, 4, 3, 2, 1, 0, 6}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.variant);
    SetGlobals(0, c.variant == 2 ? 0x1F : 0);
    EnterMenu();
    for (std::uint32_t expected : c.walk) {
      engine->input[c.key] = 1;
      Frame();
      EXPECT_EQ(engine->input[c.key], 0u);
      EXPECT_EQ(game->title.highlighted, expected);
      ASSERT_NE(Sprite(5), nullptr);
      EXPECT_EQ(Sprite(5)->designY1000, static_cast<std::int32_t>((298 + 31 * expected) * 1000));
    }
  }
}

TEST_F(TitleTest, TapsHighlightFirstAndRunOnTheSecond) {
  EnterMenu();
  TapRow(4);  // the gallery row of variant 0 highlights nothing
  Frame();
  EXPECT_EQ(game->title.highlighted, kTitleNoItem);
  EXPECT_EQ(Sprite(5), nullptr);
  TapRow(1);
  Frame();
  EXPECT_EQ(game->title.highlighted, 1u);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_TITLE));
  EXPECT_EQ(engine->input[INPUT_TAP], 0u);
  TapRow(1);
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_SAVE_LOAD));
  // The save/load screen runs until cancelled, then the title menu is back.
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_SAVE_LOAD));
  engine->input.words[ACTION_CANCEL] = 1;
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_TITLE));
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_MENU));
}

TEST_F(TitleTest, RowsShareTheirBoundaryPixelAndTheFirstRowWins) {
  EnterMenu();
  // Design y 331 is the bottom edge of row 0 and the top of row 1; screen
  // y 265 maps back into both when scaled.
  Tap(80, 331 * 480 / 600);
  Frame();
  EXPECT_EQ(game->title.highlighted, 0u);
}

TEST_F(TitleTest, QuickLoadWithoutAQuickSaveDoesNothing) {
  EnterMenu();
  engine->input[INPUT_DOWN] = 1;
  Frame();
  engine->input[INPUT_DOWN] = 1;
  Frame();
  engine->input[INPUT_DOWN] = 1;
  Frame();
  ASSERT_EQ(game->title.highlighted, 2u);
  engine->input[INPUT_C] = 1;
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_TITLE));
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_MENU));
  EXPECT_EQ(game->title.chosen, 2u);
}

TEST_F(TitleTest, ExitSetsTheClosingStateInTheSameFrame) {
  EnterMenu();
  engine->input[INPUT_UP] = 1;  // from no item up to the last: exit in variant 0
  Frame();
  ASSERT_EQ(game->title.highlighted, 5u);
  engine->input[INPUT_RIGHT] = 1;
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_QUIT));
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(SCENE_QUIT));
  Frame();  // nothing runs any more
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_QUIT));
}

TEST_F(TitleTest, NewGameFadesToBlackThenStartsTheFirstScript) {
  EnterMenu();
  At(10000);
  TapRow(0);
  Frame();
  TapRow(0);
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_NEW_GAME_FADE));
  ASSERT_NE(Sprite(1), nullptr);
  At(10500);
  Frame();
  EXPECT_EQ(Sprite(1)->node.opacity, 128);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_TITLE));
  At(11000);
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_START_GAME));
  EXPECT_EQ(Sprite(1), nullptr);
  EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(10));
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  Frame();
  EXPECT_EQ(game->Interpreter().GetVariable("g_started"), 7);
}

TEST_F(TitleTest, DispatcherRunsEachStatesScreenOrNothing) {
  const struct {
    std::uint32_t state;
    std::uint32_t stateAfter;
    std::uint32_t subAfter;
  } kCases[] = {
      {SCENE_GAME_MENU, SCENE_GAME_MENU, 7},   {SCENE_SAVE_LOAD, SCENE_SAVE_LOAD, 7},
      {SCENE_SYSTEM, SCENE_SYSTEM, 7},         {SCENE_BACKLOG, SCENE_BACKLOG, 7},
      {98, 98, 7},
      // The extras screens run; an unknown step of theirs does nothing.
      {SCENE_EXTRA_PICTURES, SCENE_EXTRA_PICTURES, 7}, {SCENE_CG_GALLERY, SCENE_CG_GALLERY, 7},
      {SCENE_MUSIC_ROOM, SCENE_MUSIC_ROOM, 7},         {SCENE_RECOLLECTION, SCENE_RECOLLECTION, 7},
      {SCENE_QUIT, SCENE_QUIT, 7},             {12345, 12345, 7},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.state);
    engine->sceneState = c.state;
    engine->subState = 7;
    Frame();
    EXPECT_EQ(engine->sceneState, c.stateAfter);
    EXPECT_EQ(Sub(), c.subAfter);
  }
  // The title's own screen and the game's script.
  engine->sceneState = SCENE_TITLE;
  engine->subState = TITLE_REENTRY;
  Frame();
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(TITLE_SET_UP));
  game->StartNewGame();
  Frame();
  EXPECT_EQ(game->Interpreter().GetVariable("g_started"), 7);
}

}  // namespace
