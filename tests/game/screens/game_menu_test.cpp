// The in-game menu and the message window's button bar, driven by input
// words as the frames would set them.
#include <gtest/gtest.h>

#include "engine/shell/scene_state.h"
#include "engine/text/message_window.h"
#include "engine/text/text_fixture.h"
#include "game/game.h"
#include "game/input_actions.h"

namespace {

constexpr int kPanelPart = 470;
constexpr int kHighlightPart = 471;
constexpr std::uint32_t kGameSubState = 5;

class GameMenuTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    engine.pictureSlots.CreateBlankPictureSlot(kWindowPartsSlot, 905, 423);
    game.frames.BuildWindowFrame(0);
    game.frames.ShowMessageWindow(1);
    engine.sceneState = SCENE_GAME;
    engine.subState = kGameSubState;
  }
  void TearDown() override {
    engine.messageWindow.reset();
    TextTest::TearDown();
  }

  void Press(std::size_t action) {
    engine.input.words[action] = 1;
    game.RunSceneFrame(engine);
  }
  void SetStylus(std::int32_t x, std::int32_t y) {
    engine.input.words[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x * 640 / 800);
    engine.input.words[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y * 640 / 800);
    engine.input.words[ACTION_TAP] = 1;
  }
  void TapMenu(std::int32_t x, std::int32_t y) {
    SetStylus(x, y);
    game.RunSceneFrame(engine);
  }
  void TapButton(int button) { TapMenu(720, 40 + 47 * button); }
  CSpritePart* Part(int index) { return engine.sprites[static_cast<std::size_t>(index)].get(); }
  bool MenuClosed() {
    return engine.sceneState == SCENE_GAME && engine.subState == kGameSubState && Part(kPanelPart) == nullptr &&
           Part(kHighlightPart) == nullptr;
  }

  CGameEngine engine;
  CGame game{engine};
};

TEST_F(GameMenuTest, OpeningKeepsTheGameAndHidesTheWindow) {
  game.EnterGameMenu(0);
  EXPECT_EQ(engine.sceneState, SCENE_GAME_MENU);
  EXPECT_FALSE(game.saves.keptThumbnail.empty());
  EXPECT_EQ(game.frames.shown, 0u);
  EXPECT_EQ(engine.messageWindow->textHidden, 1u);
  ASSERT_NE(Part(kPanelPart), nullptr);
  EXPECT_EQ(Part(kPanelPart)->designX1000, 660000);
  EXPECT_EQ(Part(kPanelPart)->designY1000, 10000);
  EXPECT_EQ(Part(kPanelPart)->priority, 12);
  EXPECT_EQ(Part(kHighlightPart), nullptr);
}

TEST_F(GameMenuTest, KeysMoveTheHighlightAroundTheColumn) {
  const struct {
    std::vector<std::size_t> keys;
    std::int32_t highlight;
  } cases[] = {{{ACTION_UP}, 7},
               {{ACTION_DOWN}, 0},
               {{ACTION_DOWN, ACTION_UP}, 7},
               {{ACTION_UP, ACTION_UP}, 6},
               {{ACTION_UP, ACTION_DOWN}, 0},
               {{ACTION_DOWN, ACTION_DOWN}, 1}};
  for (const auto& c : cases) {
    game.EnterGameMenu(0);
    for (std::size_t key : c.keys) Press(key);
    EXPECT_EQ(game.gameMenu.state.highlight, c.highlight);
    ASSERT_NE(Part(kHighlightPart), nullptr);
    EXPECT_EQ(Part(kHighlightPart)->designY1000, (32 + 47 * c.highlight) * 1000);
    Press(ACTION_CANCEL);
    ASSERT_TRUE(MenuClosed());
  }
}

TEST_F(GameMenuTest, AFirstTapHighlightsAndASecondCloses) {
  game.EnterGameMenu(0);
  TapButton(5);
  EXPECT_EQ(game.gameMenu.state.highlight, 5);
  EXPECT_EQ(engine.sceneState, SCENE_GAME_MENU);
  TapButton(5);
  EXPECT_TRUE(MenuClosed());
  EXPECT_TRUE(game.saves.keptThumbnail.empty());
  EXPECT_EQ(game.frames.shown, 1u);
  EXPECT_EQ(engine.messageWindow->textHidden, 0u);
}

TEST_F(GameMenuTest, OneTapOutsideClearsTheHighlightTwoClose) {
  game.EnterGameMenu(0);
  Press(ACTION_DOWN);
  TapMenu(100, 100);
  EXPECT_EQ(game.gameMenu.state.highlight, kMenuTapOutside);
  EXPECT_EQ(Part(kHighlightPart), nullptr);
  EXPECT_EQ(engine.sceneState, SCENE_GAME_MENU);
  TapMenu(100, 100);
  EXPECT_TRUE(MenuClosed());
}

TEST_F(GameMenuTest, EmptyButtonsHighlightButDoNothing) {
  for (int button : {4, 6, 7}) {
    game.EnterGameMenu(0);
    TapButton(button);
    TapButton(button);
    EXPECT_EQ(engine.sceneState, SCENE_GAME_MENU) << button;
    EXPECT_EQ(game.gameMenu.state.highlight, button);
    Press(ACTION_CANCEL);
  }
}

TEST_F(GameMenuTest, CancelRestoresOnlyAWindowThatWasShown) {
  for (std::uint32_t shown : {1u, 0u}) {
    game.frames.ShowMessageWindow(static_cast<int>(shown));
    game.EnterGameMenu(0);
    Press(ACTION_DOWN);
    Press(ACTION_CANCEL);
    EXPECT_TRUE(MenuClosed());
    EXPECT_EQ(game.frames.shown, shown);
    EXPECT_TRUE(game.saves.keptThumbnail.empty());
  }
}

TEST_F(GameMenuTest, SaveAndLoadKeepTheGameThumbnailForTheSaveScreen) {
  for (int button : {0, 1}) {
    game.EnterGameMenu(0);
    const std::vector<std::uint8_t> taken = game.saves.keptThumbnail;
    TapButton(button);
    TapButton(button);
    EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD) << button;
    EXPECT_EQ(game.saves.keptThumbnail, taken) << button;
    EXPECT_EQ(Part(kPanelPart), nullptr);
    game.ReleaseSaveThumbnail();
    engine.sceneState = SCENE_GAME;
  }
}

TEST_F(GameMenuTest, BacklogLeavesTheWindowHidden) {
  game.EnterGameMenu(0);
  TapButton(2);
  TapButton(2);
  EXPECT_EQ(engine.sceneState, SCENE_BACKLOG);
  EXPECT_EQ(game.frames.shown, 0u);
  EXPECT_TRUE(game.saves.keptThumbnail.empty());
}

// The bar: design y 580, hit x 124, 214, 308, 412, 504, 598 (80 x 20).
class WindowBarTest : public GameMenuTest {
 protected:
  void TapBar(int button) {
    static constexpr std::int32_t kLeft[] = {124, 214, 308, 412, 504, 598};
    SetStylus(kLeft[button] + 10, 590);
  }
  int Run() { return game.HandleWindowButtons(); }
};

TEST_F(WindowBarTest, DownCyclesTheButtonsThenNone) {
  for (int expected : {0, 1, 2, 3, 4, 5, -1, 0}) {
    engine.input.words[ACTION_DOWN] = 1;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(game.frames.selectedButton, expected);
    EXPECT_EQ(Part(kButtonSprite) != nullptr, expected >= 0);
  }
}

TEST_F(WindowBarTest, AFirstTapIsConsumedAndATapOutsideGoesToTheMessage) {
  TapBar(1);
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(game.frames.selectedButton, 1);
  EXPECT_EQ(engine.input.words[ACTION_TAP], 0u);
  SetStylus(400, 300);
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(game.frames.selectedButton, -1);
  EXPECT_EQ(engine.input.words[ACTION_TAP], 1u);
}

TEST_F(WindowBarTest, TheSecondTapRunsTheButton) {
  const struct {
    int button;
    std::uint32_t autoMode, skip, shown, state;
  } cases[] = {
      {3, 1, 0, 1, SCENE_GAME}, {4, 0, 1, 1, SCENE_GAME}, {5, 0, 0, 0, SCENE_GAME}, {2, 0, 0, 0, SCENE_GAME_MENU}};
  for (const auto& c : cases) {
    engine.options[MESSAGE_AUTO] = 0;
    engine.options[SKIP_RUNNING] = 0;
    TapBar(c.button);
    Run();
    TapBar(c.button);
    EXPECT_EQ(Run(), c.button);
    EXPECT_EQ(engine.input.words[ACTION_TAP], 0u);
    EXPECT_EQ(engine.options[MESSAGE_AUTO], c.autoMode) << c.button;
    EXPECT_EQ(engine.options[SKIP_RUNNING], c.skip) << c.button;
    EXPECT_EQ(game.frames.shown, c.shown) << c.button;
    EXPECT_EQ(engine.sceneState, c.state) << c.button;
    EXPECT_EQ(game.frames.selectedButton, -1);
    EXPECT_EQ(Part(kButtonSprite), nullptr);
    // Back to a shown window in the game for the next case.
    if (engine.sceneState == SCENE_GAME_MENU) Press(ACTION_CANCEL);
    game.frames.ShowMessageWindow(1);
  }
}

TEST_F(WindowBarTest, AHiddenOrUnshownWindowHasNoBar) {
  for (int hiddenByUser : {1, 0}) {
    game.frames.ShowMessageWindow(0);
    engine.messageWindow->textHidden = static_cast<std::uint32_t>(hiddenByUser);
    TapBar(2);
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(game.frames.selectedButton, -1);
    EXPECT_EQ(engine.input.words[ACTION_TAP], 1u);
  }
}

}  // namespace
