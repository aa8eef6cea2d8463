#include "game/screens/screen_steps.h"

#include <gtest/gtest.h>

#include "engine/shell/game_engine.h"
#include "engine/text/message_window.h"
#include "engine/text/text_fixture.h"
#include "game/frames/window_frames.h"
#include "game/input_actions.h"
#include "game/sprites/sprite_making.h"

namespace {

class ScreenStepsTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    frames.BuildWindowFrame(0);
  }
  void TearDown() override {
    engine.messageWindow.reset();
    TextTest::TearDown();
  }

  CGameEngine engine;
  CWindowFrames frames{engine};
};

TEST_F(ScreenStepsTest, HidingRemembersAShownWindowAndRestoringBringsItBack) {
  frames.ShowMessageWindow(1);
  ASSERT_EQ(HideWindowForScreen(engine, frames), 1);
  EXPECT_EQ(frames.shown, 0u);
  EXPECT_EQ(engine.messageWindow->shown, 0u);
  EXPECT_EQ(engine.messageWindow->textHidden, 1u);

  RestoreWindowAfterScreen(engine, frames, 1);
  EXPECT_EQ(frames.shown, 1u);
  EXPECT_EQ(engine.messageWindow->shown, 1u);
  EXPECT_EQ(engine.messageWindow->textHidden, 0u);
}

TEST_F(ScreenStepsTest, AWindowHiddenBeforeTheScreenStaysHidden) {
  frames.ShowMessageWindow(0);
  engine.messageWindow->textHidden = 1;  // hidden by the player before
  EXPECT_EQ(HideWindowForScreen(engine, frames), 0);
  RestoreWindowAfterScreen(engine, frames, 0);
  EXPECT_EQ(frames.shown, 0u);
  EXPECT_EQ(engine.messageWindow->textHidden, 1u);
}

TEST_F(ScreenStepsTest, RangesFreeTheirEndsAndNothingAround) {
  for (int part = 400; part <= 405; ++part) CreateColorSprite(engine, part, 0, 0, 8, 8, 0xFFFFFF, 5);
  for (int slot = 160; slot <= 165; ++slot) engine.pictureSlots.CreateBlankPictureSlot(slot, 8, 8);
  FreePartRange(engine, 401, 404);
  FreePictureRange(engine, 161, 164);
  for (int i = 0; i <= 5; ++i) {
    const bool kept = i == 0 || i == 5;
    EXPECT_EQ(engine.sprites[static_cast<std::size_t>(400 + i)] != nullptr, kept) << 400 + i;
    EXPECT_EQ(engine.pictureSlots.Get(160 + i) != nullptr, kept) << 160 + i;
  }
}

TEST(TwoTapRule, ASecondAdvanceOnTheSameTargetRuns) {
  constexpr int kNone = 100;
  const struct {
    std::size_t input;  // the advance input present, or ACTION_UP for none
    int before, now, runs;
  } cases[] = {
      {ACTION_TAP, 3, 3, 1},     {ACTION_ADVANCE_KEY, 3, 3, 1}, {ACTION_CLICK, 0, 0, 1}, {ACTION_TAP, 2, 3, 0},
      {ACTION_TAP, kNone, 3, 0}, {ACTION_TAP, kNone, kNone, 0}, {ACTION_UP, 3, 3, 0},
  };
  for (const auto& c : cases) {
    std::uint32_t words[32] = {};
    words[c.input] = 1;
    EXPECT_EQ(TakeSecondTap(words, c.before, c.now, kNone), c.runs) << c.input << " " << c.before << " " << c.now;
    // Advance inputs are consumed whether or not they ran anything; others stay.
    EXPECT_EQ(words[ACTION_TAP] + words[ACTION_ADVANCE_KEY] + words[ACTION_CLICK], 0u);
    EXPECT_EQ(words[ACTION_UP], c.input == ACTION_UP ? 1u : 0u);
  }
}

}  // namespace
