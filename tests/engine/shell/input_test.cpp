#include <gtest/gtest.h>

#include "engine/shell/engine_base.h"
#include "fake_ports.h"
#include "shell_fixture.h"

namespace {

struct FakeMenu : SystemMenuPort {
  std::uint32_t open = 0;
  int opens = 0;
  std::uint32_t IsOpen() const override { return open; }
  int Open(HWND) override {
    ++opens;
    open = 1;
    return 1;
  }
};

class InputTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    engine = std::make_unique<CEngineBase>();
    auto fake = std::make_unique<FakeMenu>();
    menu = fake.get();
    engine->systemMenu = std::move(fake);
  }
  InputState& in() { return engine->input; }

  std::unique_ptr<CEngineBase> engine;
  FakeMenu* menu = nullptr;
};

TEST_F(InputTest, PollTurnsEventsIntoThisFramesWords) {
  in()[INPUT_STYLUS_DOWN_EVENT] = 1;
  in()[INPUT_SECOND_EVENT_RAW] = 1;
  in()[INPUT_STYLUS_UP_EVENT] = 1;
  EXPECT_EQ(engine->PollInput(), 0u);
  EXPECT_EQ(in()[INPUT_TAP], 1u);
  EXPECT_EQ(in()[INPUT_SECOND_EVENT], 1u);
  EXPECT_EQ(in()[INPUT_RELEASED], 1u);
  EXPECT_EQ(in()[INPUT_STYLUS_DOWN_EVENT], 0u);
  EXPECT_EQ(in()[INPUT_SECOND_EVENT_RAW], 0u);
  EXPECT_EQ(in()[INPUT_STYLUS_UP_EVENT], 0u);
  engine->PollInput();
  EXPECT_EQ(in()[INPUT_TAP], 0u);
  EXPECT_EQ(in()[INPUT_RELEASED], 0u);
}

TEST_F(InputTest, TapOrActionKeyWipesDirectionsAndStart) {
  struct Case {
    const char* name;
    InputWord set;
    std::uint32_t value;
    bool wipesDirections;
    bool wipesActionKeys;
  } cases[] = {
      {"tap", INPUT_STYLUS_DOWN_EVENT, 1, true, true},
      {"C pressed this frame", INPUT_C, 1, true, false},
      {"A pressed this frame", INPUT_A, 1, true, false},
      {"B pressed this frame", INPUT_B, 1, true, false},
      {"C held (counter 2)", INPUT_C, 2, false, false},
      {"nothing", INPUT_D, 1, false, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    in().Clear();
    for (int word = INPUT_UP; word <= INPUT_START; ++word) in().words[static_cast<std::size_t>(word)] = 1;
    for (int word = INPUT_LATCH_FIRST; word <= INPUT_START_LATCH; ++word) in().words[static_cast<std::size_t>(word)] = 1;
    in()[INPUT_A] = 3;
    in()[test.set] = test.value;
    engine->PollInput();
    EXPECT_EQ(in()[INPUT_UP], test.wipesDirections ? 0u : 1u);
    EXPECT_EQ(in()[INPUT_START], test.wipesDirections ? 0u : 1u);
    EXPECT_EQ(in()[INPUT_LATCH_FIRST], test.wipesDirections ? 0u : 1u);
    EXPECT_EQ(in()[INPUT_START_LATCH], test.wipesDirections ? 0u : 1u);
    if (test.set != INPUT_A) {
      EXPECT_EQ(in()[INPUT_A], test.wipesActionKeys ? 0u : 3u);
    }
  }
}

TEST_F(InputTest, SkipLockStartsOnLeftAndTheNextAdvanceEndsItAndIsConsumed) {
  engine->options[LOCK_SKIP] = 1;
  in()[INPUT_LEFT] = 1;
  EXPECT_EQ(engine->PollInput(), 0u);
  EXPECT_EQ(engine->options[SKIP_RUNNING], 1u);
  EXPECT_EQ(in()[INPUT_LEFT], 0u);
  engine->PollInput();
  EXPECT_EQ(engine->options[SKIP_RUNNING], 1u);
  for (InputWord advance : {INPUT_STYLUS_DOWN_EVENT, INPUT_C, INPUT_RIGHT}) {
    SCOPED_TRACE(advance);
    engine->options[SKIP_RUNNING] = 1;
    in()[advance] = 1;
    engine->PollInput();
    EXPECT_EQ(engine->options[SKIP_RUNNING], 0u);
    EXPECT_EQ(in()[INPUT_TAP], 0u);
    EXPECT_EQ(in()[INPUT_C], 0u);
    EXPECT_EQ(in()[INPUT_RIGHT], 0u);
  }
}

TEST_F(InputTest, OpenMenuReportsAndStopsTheSkipRules) {
  menu->open = 7;
  engine->options[LOCK_SKIP] = 1;
  in()[INPUT_LEFT] = 1;
  EXPECT_EQ(engine->PollInput(), 7u);
  EXPECT_EQ(engine->options[SKIP_RUNNING], 0u);
}

TEST_F(InputTest, CentreKeyModeOpensTheMenuWithStartOrB) {
  struct Case {
    std::uint32_t centreMode;
    WPARAM key;
    bool opens;
  } cases[] = {{1, VK_ESCAPE, true}, {1, 'X', true}, {0, 'X', true}, {0, VK_ESCAPE, false}, {2, VK_ESCAPE, false}};
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message() << test.centreMode << " key " << test.key);
    in().Clear();
    menu->open = 0;
    menu->opens = 0;
    engine->options[KEY_CEN_CTRL] = test.centreMode;
    engine->HandleWindowMessage(nullptr, WM_KEYDOWN, test.key, 0);
    EXPECT_EQ(menu->opens, test.opens ? 1 : 0);
    const InputWord pressed = test.key == VK_ESCAPE ? INPUT_START : INPUT_B;
    // The opening key is consumed; a key that opened nothing keeps its press.
    EXPECT_EQ(in()[pressed], test.opens ? 2u : (pressed == INPUT_START ? 1u : 0u));
    // Held down, its auto-repeat must not read as a new press (which would
    // close the menu it just opened).
    engine->HandleWindowMessage(nullptr, WM_KEYDOWN, test.key, 0);
    if (test.opens) {
      EXPECT_NE(in()[pressed], 1u);
    }
  }
}

TEST_F(InputTest, StylusMessagesSetTheEventWordsAndMappedPoint) {
  engine->HandleWindowMessage(nullptr, WM_LBUTTONDOWN, MK_LBUTTON, (100 << 16) | 50);
  EXPECT_EQ(in()[INPUT_STYLUS_DOWN_EVENT], 1u);
  EXPECT_EQ(in()[INPUT_STYLUS_HELD], 1u);
  EXPECT_EQ(in()[INPUT_STYLUS_X], 539u);
  EXPECT_EQ(in()[INPUT_STYLUS_Y], 50u);
  engine->HandleWindowMessage(nullptr, WM_MOUSEMOVE, MK_LBUTTON, (110 << 16) | 60);
  EXPECT_EQ(in()[INPUT_STYLUS_X], 529u);
  EXPECT_EQ(in()[INPUT_STYLUS_Y], 60u);
  engine->HandleWindowMessage(nullptr, WM_LBUTTONUP, 0, (110 << 16) | 60);
  EXPECT_EQ(in()[INPUT_STYLUS_DOWN_EVENT], 0u);
  EXPECT_EQ(in()[INPUT_STYLUS_HELD], 0u);
  EXPECT_EQ(in()[INPUT_STYLUS_UP_EVENT], 1u);
  // x is the signed low word
  engine->HandleWindowMessage(nullptr, WM_MOUSEMOVE, MK_LBUTTON, (5 << 16) | 0xFFFF);
  EXPECT_EQ(static_cast<std::int32_t>(in()[INPUT_STYLUS_Y]), -1);
}

}  // namespace
