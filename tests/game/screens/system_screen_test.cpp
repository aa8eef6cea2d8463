// The system screen: sliders, voice levels, toggles and the three buttons.
#include "game/screens/system/system_screen.h"

#include "engine/movie/movie_player.h"
#include "engine/shell/scene_state.h"
#include "tests/game/screens/screen_fixture.h"

namespace {

class SystemTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    engine->options[MASTER_VOL] = 80;
    engine->options[MUSIC_VOL] = 100;
    engine->options[SE_VOL] = 100;
    engine->sceneState = SCENE_GAME;
    engine->subState = 5;
  }
  void Open() {
    game->EnterSystemScreen();
    HostCallLogTake();
  }
  CSystemScreen& Screen() { return game->systemScreen; }
  std::vector<std::string> Volumes() { return Only(HostCallLogTake(), {"Volume"}); }
};

TEST_F(SystemTest, FifthMusicCellTwiceSetsFiftyAndUpdatesThePlayingMusic) {
  game->sound.music.playing = 1;
  game->sound.music.level = 90;
  Open();
  Tap(638 + 12 * 4 + 6, 170);
  Frame();
  EXPECT_EQ(Screen().highlight, 84u);
  EXPECT_EQ(engine->options[MUSIC_VOL], 100u);
  Tap(638 + 12 * 4 + 6, 170);
  Frame();
  EXPECT_EQ(engine->options[MUSIC_VOL], 50u);
  EXPECT_EQ(DesignX(425), 686);
  EXPECT_EQ(DesignY(425), 158);
  EXPECT_EQ(Volumes(), (std::vector<std::string>{"Volume 0=36"}));
}

TEST_F(SystemTest, EffectCellsSetTenToOneHundredOnPlayingEffects) {
  game->sound.effects[2].playing = 1;
  game->sound.effects[2].level = 50;
  Open();
  DoubleTap(638 + 6, 198);
  EXPECT_EQ(engine->options[SE_VOL], 10u);
  EXPECT_EQ(DesignX(426), 638);
  DoubleTap(638 + 12 * 9 + 6, 198);
  EXPECT_EQ(engine->options[SE_VOL], 100u);
  EXPECT_EQ(DesignX(426), 746);
  EXPECT_EQ(Volumes(), (std::vector<std::string>{"Volume 12=4", "Volume 12=40"}));
}

TEST_F(SystemTest, VoiceCellsAtTheCornersSetLevelsAndMoveTheirKnobs) {
  Open();
  const struct {
    int k, j;
  } kCorners[] = {{0, 0}, {0, 10}, {8, 0}, {8, 10}, {4, 7}};
  for (const auto& c : kCorners) {
    SCOPED_TRACE(testing::Message() << c.k << "," << c.j);
    engine->options[static_cast<ConfigWord>(CHAR_VOICE_01 + c.k)] = 5;
    DoubleTap(626 + 12 * c.j + 6, 240 + 27 * c.k + 12);
    EXPECT_EQ(Screen().highlight, static_cast<std::uint32_t>(100 + 15 * c.k + c.j));
    EXPECT_EQ(engine->options[static_cast<ConfigWord>(CHAR_VOICE_01 + c.k)], static_cast<std::uint32_t>(c.j));
    EXPECT_EQ(DesignX(430 + c.k), 626 + 12 * c.j);
    EXPECT_EQ(DesignY(430 + c.k), 240 + 27 * c.k);
  }
}

TEST_F(SystemTest, KeysCycleTheThreeButtonsOnly) {
  Open();
  const struct {
    InputAction key;
    std::uint32_t highlight;
  } kSteps[] = {{ACTION_UP, 2}, {ACTION_UP, 1}, {ACTION_UP, 0}, {ACTION_UP, 2}, {ACTION_DOWN, 0}, {ACTION_DOWN, 1}};
  for (const auto& step : kSteps) {
    Press(step.key);
    Frame();
    EXPECT_EQ(Screen().highlight, step.highlight);
    ASSERT_NE(Sprite(401), nullptr);
    EXPECT_EQ(DesignX(401), 508 + 64 * static_cast<std::int32_t>(step.highlight));
  }
  // From a tapped slider cell the keys land on a button again.
  Tap(638 + 6, 170);
  Frame();
  EXPECT_EQ(Sprite(401), nullptr);
  Press(ACTION_UP);
  Frame();
  EXPECT_EQ(Screen().highlight, 2u);
  Tap(638 + 6, 170);
  Frame();
  Press(ACTION_DOWN);
  Frame();
  EXPECT_EQ(Screen().highlight, 0u);
  EXPECT_EQ(engine->options[MUSIC_VOL], 100u);
}

TEST_F(SystemTest, TogglesFlipReadSkipAndTheSceneSkipVariable) {
  engine->options[READ_SKIP] = 0;
  Open();
  EXPECT_EQ(DesignY(410), 357);
  DoubleTap(150, 346);  // the row the marker does not show
  EXPECT_EQ(engine->options[READ_SKIP], 1u);
  EXPECT_EQ(DesignY(410), 336);
  DoubleTap(150, 367);
  EXPECT_EQ(engine->options[READ_SKIP], 0u);

  ScriptVariables& variables = game->Interpreter().Variables();
  EXPECT_EQ(DesignY(411), 253);
  DoubleTap(380, 242);
  EXPECT_EQ(variables.Get(kSceneSkipVariable), 1);
  EXPECT_EQ(DesignY(411), 232);
  DoubleTap(380, 263);
  EXPECT_EQ(variables.Get(kSceneSkipVariable), 0);
}

TEST_F(SystemTest, BackRestoresTheSceneAndTheWindow) {
  game->frames.ShowMessageWindow(1);
  Open();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_SYSTEM));
  EXPECT_EQ(game->frames.shown, 0u);
  DoubleTap(540, 570);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  EXPECT_EQ(engine->subState, 5u);
  EXPECT_EQ(game->frames.shown, 1u);
  for (int part = 400; part <= 439; ++part) EXPECT_EQ(Sprite(part), nullptr) << part;
  for (int picture = 160; picture <= 164; ++picture) EXPECT_EQ(engine->pictureSlots.Get(picture), nullptr);
}

TEST_F(SystemTest, CancelGoesBackLeavingAHiddenWindowHidden) {
  game->frames.ShowMessageWindow(0);
  Open();
  Press(ACTION_CANCEL);
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  EXPECT_EQ(game->frames.shown, 0u);
}

TEST_F(SystemTest, QuitStopsTheMovieAndEndsThatFrame) {
  engine->backBuffer->AttachMovie(std::make_unique<CMoviePlayer>());
  Open();
  Press(ACTION_UP);
  Frame();
  Press(ACTION_ADVANCE_KEY);  // C on the highlighted quit button
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_QUIT));
  EXPECT_EQ(engine->subState, static_cast<std::uint32_t>(SCENE_QUIT));
  EXPECT_FALSE(engine->backBuffer->IsMoviePlaying());
}

TEST_F(SystemTest, TitleButtonReturnsToTheTitle) {
  Open();
  DoubleTap(600, 570);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_TITLE));
}

}  // namespace
