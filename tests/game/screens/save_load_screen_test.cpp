// The save/load screen over a temporary save folder, driven by input words.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/shell/scene_state.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "tests/engine/text/text_fixture.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

constexpr std::uint32_t kGameSubState = 5;

class SaveLoadScreenTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    dir.WriteFile("pict.mlz", BuildMlzArchive({{"data_base_save.rbp", FlatRbp(800, 600, 10, 20, 30), true},
                                               {"data_base_load.rbp", FlatRbp(800, 600, 30, 20, 10), true},
                                               {"data_parts.rbp", FlatRbp(560, 417, 200, 200, 200), true}},
                                              '3'));
    engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    engine.saveFolder = dir.EnginePath("");
    engine.pictureSlots.SetSaveFolder(engine.saveFolder.c_str());
    game.frames.BuildWindowFrame(0);
    game.frames.ShowMessageWindow(1);
    engine.sceneState = SCENE_GAME;
    engine.subState = kGameSubState;
    SaveHeader& header = game.saves.captured.header;
    std::strcpy(header.scriptName, "main.txt");
    std::strcpy(header.messageText, "one/two/three/four");
  }
  void TearDown() override {
    engine.messageWindow.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }

  void Press(std::size_t action) {
    engine.input.words[action] = 1;
    game.RunSceneFrame(engine);
  }
  void Tap(std::int32_t x, std::int32_t y) {
    engine.input.words[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x * 640 / 800);
    engine.input.words[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y * 640 / 800);
    engine.input.words[ACTION_TAP] = 1;
    game.RunSceneFrame(engine);
  }
  void TapRow(int row) { Tap(300, 100 + 95 * row); }
  CSpritePart* Part(int index) { return engine.sprites[static_cast<std::size_t>(index)].get(); }
  const SaveLoadRecord& Screen() const { return game.saveLoad.state; }

  ScopedTempDir dir{"novel_save_screen_"};
  CGameEngine engine;
  CGame game{engine};
};

TEST_F(SaveLoadScreenTest, TheLastSaveChoosesThePageAndItsMarker) {
  ASSERT_EQ(game.SaveGame(12), 1);
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD);
  EXPECT_EQ(Screen().page, 2);
  ASSERT_NE(Part(403), nullptr);
  EXPECT_EQ(Part(403)->designY1000, (69 + 95 * 2) * 1000);
  EXPECT_EQ(Screen().rowPresent[2], 1u);
  EXPECT_EQ(Screen().rowPresent[1], 0u);
  ASSERT_NE(Part(412), nullptr);  // the row's thumbnail
  EXPECT_EQ(Part(411), nullptr);
  Press(ACTION_CANCEL);

  // A newest save beyond the fifty slots counts as none.
  game.saves.lastSavedSlot = 57;
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(Screen().page, 0);
  EXPECT_EQ(Part(403), nullptr);
}

TEST_F(SaveLoadScreenTest, LoadModeVisitsOnlyPresentRows) {
  ASSERT_EQ(game.SaveGame(1), 1);
  ASSERT_EQ(game.SaveGame(3), 1);
  game.saves.lastSavedSlot = -1;
  game.EnterSaveLoadScreen(1);
  for (int expected : {1, 3, 1}) {
    Press(ACTION_DOWN);
    EXPECT_EQ(Screen().selection, expected);
  }
  game.saveLoad.DrawPage(0);
  Press(ACTION_UP);
  EXPECT_EQ(Screen().selection, 3);
  TapRow(0);  // empty: no target in load mode
  EXPECT_EQ(Screen().selection, kNoSaveSelection);
  EXPECT_EQ(Part(404), nullptr);
  Press(ACTION_CANCEL);

  game.EnterSaveLoadScreen(0);
  Press(ACTION_DOWN);
  EXPECT_EQ(Screen().selection, 0);
  TapRow(4);
  EXPECT_EQ(Screen().selection, 4);
}

TEST_F(SaveLoadScreenTest, TwoTapsSaveARowAndTheScreenStays) {
  game.CaptureSaveThumbnail();
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(Screen().rowPresent[4], 0u);
  TapRow(4);
  EXPECT_FALSE(dir.ReadFile("save005.dat").has_value());
  TapRow(4);
  EXPECT_TRUE(dir.ReadFile("save005.dat").has_value());
  EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD);
  EXPECT_EQ(Screen().rowPresent[4], 1u);
  EXPECT_NE(Part(414), nullptr);
  EXPECT_NE(Part(403), nullptr);  // the marker moved to the new save
  EXPECT_FALSE(game.saves.keptThumbnail.empty());
}

TEST_F(SaveLoadScreenTest, TabsPageButTheShownTabIsNoTarget) {
  game.EnterSaveLoadScreen(0);
  Tap(30, 570);  // tab 0, shown
  EXPECT_EQ(Screen().selection, kNoSaveSelection);
  Tap(30 + 40 * 7, 570);
  Tap(30 + 40 * 7, 570);
  EXPECT_EQ(Screen().page, 7);
  EXPECT_EQ(Part(402)->designX1000, (10 + 40 * 7) * 1000);
}

TEST_F(SaveLoadScreenTest, LeavingFreesTheScreenAndRestoresTheGame) {
  game.CaptureSaveThumbnail();
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(game.frames.shown, 0u);
  Tap(740, 570);  // back
  Tap(740, 570);
  EXPECT_EQ(engine.sceneState, SCENE_GAME);
  EXPECT_EQ(engine.subState, kGameSubState);
  for (int part = 400; part <= 419; ++part) EXPECT_EQ(Part(part), nullptr) << part;
  for (int slot = 160; slot <= 169; ++slot) EXPECT_EQ(engine.pictureSlots.Get(slot), nullptr) << slot;
  EXPECT_EQ(game.frames.shown, 1u);
  EXPECT_EQ(engine.messageWindow->textHidden, 0u);
  EXPECT_TRUE(game.saves.keptThumbnail.empty());
}

}  // namespace
