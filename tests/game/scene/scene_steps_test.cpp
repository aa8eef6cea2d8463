// The timed scene tags over the virtual clock: positions and scales at
// sample times, the end state, and the early finish.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "scene_fixture.h"

namespace {

class SceneStepsTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    game->TagBgSet(Tag("<BgSet bg_blue>"));
    game->TagChrSet(Tag("<ChrSet 0,chr_a>"));
  }
  std::function<int(std::uint32_t)> Move(const char* tag) {
    const ParsedCommand command = Tag(tag);
    return [this, command](std::uint32_t frame) { return game->TagChrMove(command, frame); };
  }
  std::function<int(std::uint32_t)> Update(const char* tag) {
    const ParsedCommand command = Tag(tag);
    return [this, command](std::uint32_t frame) { return game->TagUpDate(command, frame); };
  }
  std::function<int(std::uint32_t)> Effect(const char* tag) {
    const ParsedCommand command = Tag(tag);
    return [this, command](std::uint32_t frame) { return game->TagEffect(command, frame); };
  }
};

// x = r sin(90 t / d) through the whole-degree angle the move uses.
std::int32_t Eased(std::int32_t span, std::uint32_t t, std::uint32_t duration) {
  const double degrees = 90 - static_cast<std::int32_t>(90 * t / duration);
  return static_cast<std::int32_t>(span * std::cos(degrees * M_PI / 180));
}

TEST_F(SceneStepsTest, ChrMoveLinearAndEasedAtSampleTimes) {
  // 25 x 40 ms = 1 s from (0, 0) to (400, 200); the offset is subtracted.
  game->TagBgSetXY(Tag("<BgSetXY 10,20>"));
  const struct {
    const char* tag;
    bool easeX;
    bool easeY;
  } kCases[] = {
      {"<ChrMove 0,25,0,0,400,200,+,+>", false, false},
      {"<ChrMove 0,25,0,0,400,200,-,+>", true, false},
      {"<ChrMove 0,25,0,0,400,200,+,-ease>", false, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.tag);
    const auto step = Move(c.tag);
    const std::uint32_t start = GetClockMs();
    EXPECT_EQ(step(0), 0);
    EXPECT_EQ(DesignX(kCharacterSlotBase), -10);
    EXPECT_EQ(DesignY(kCharacterSlotBase), -20);
    EXPECT_EQ(game->scene.model.characters[0].x, 400);  // the end is the slot's place at once
    std::uint32_t frame = 1;
    for (std::uint32_t t : {250u, 500u, 750u, 999u}) {
      HostClockSetVirtualNow(start + t);
      EXPECT_EQ(step(frame++), 0);
      EXPECT_EQ(DesignX(kCharacterSlotBase), (c.easeX ? Eased(400, t, 1000) : static_cast<std::int32_t>(400 * t / 1000)) - 10) << t;
      EXPECT_EQ(DesignY(kCharacterSlotBase), (c.easeY ? Eased(200, t, 1000) : static_cast<std::int32_t>(200 * t / 1000)) - 20) << t;
    }
    HostClockSetVirtualNow(start + 1000);
    EXPECT_EQ(step(frame), 1);
    EXPECT_EQ(DesignX(kCharacterSlotBase), 390);
    EXPECT_EQ(DesignY(kCharacterSlotBase), 180);
  }
}

TEST_F(SceneStepsTest, ChrMoveCountsTwentyFifthsOfASecond) {
  for (std::uint32_t n : {1u, 3u, 50u}) {
    SCOPED_TRACE(n);
    const std::string tag = "<ChrMove 0," + std::to_string(n) + ",0,0,100,0>";
    EXPECT_EQ(RunFrames(Move(tag.c_str()), {n * 40 - 1}), 0);
    EXPECT_EQ(RunFrames(Move(tag.c_str()), {n * 40}), 1);
  }
}

TEST_F(SceneStepsTest, ZoomScalesTheFrameAboutTheCentre) {
  for (const char* tag : {"<UpDate Zoom,1024,2048,500>", "<UpDate ZoomR,1024,2048,500>"}) {
    SCOPED_TRACE(tag);
    const auto step = Update(tag);
    const std::uint32_t start = GetClockMs();
    EXPECT_EQ(step(0), 0);
    EXPECT_EQ(game->TransitionKind(), static_cast<std::uint32_t>(TRANSITION_ZOOM));
    ASSERT_NE(Sprite(kZoomFrameSlot), nullptr);
    EXPECT_EQ(DesignX(kZoomFrameSlot), 400);
    EXPECT_EQ(DesignY(kZoomFrameSlot), 300);
    EXPECT_EQ(Sprite(kZoomFrameSlot)->anchorX, 320);  // 400 design px on a 640 screen
    EXPECT_EQ(Sprite(kZoomFrameSlot)->priority, 16);
    EXPECT_EQ(Sprite(kBackgroundSlot)->visible, 0u);
    EXPECT_EQ(Sprite(kCharacterSlotBase)->visible, 0u);
    const std::pair<std::uint32_t, std::int32_t> kScales[] = {{0, 1000}, {125, 1250}, {250, 1500}, {499, 1998}};
    std::uint32_t frame = 1;
    for (const auto& [t, scale] : kScales) {
      HostClockSetVirtualNow(start + t);
      EXPECT_EQ(step(frame++), 0);
      EXPECT_EQ(Sprite(kZoomFrameSlot)->scaleX, scale) << t;
      EXPECT_EQ(Sprite(kZoomFrameSlot)->scaleY, scale) << t;
    }
    HostClockSetVirtualNow(start + 500);
    EXPECT_EQ(step(frame), 1);
    EXPECT_EQ(Sprite(kZoomFrameSlot), nullptr);
    EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(kZoomFrameSlot));
    EXPECT_EQ(Sprite(kBackgroundSlot)->visible, 1u);
    EXPECT_EQ(Sprite(kCharacterSlotBase)->visible, 1u);
  }
}

// Factors past 2^31 / 1000 wrap as the device's 32-bit arithmetic does
// (the sanitizer build stops on an overflow here).
TEST_F(SceneStepsTest, ZoomFactorsOfAnySizeWrapIn32Bits) {
  const auto step = Update("<UpDate Zoom,1262187520,-2147483648,100>");
  EXPECT_EQ(step(0), 0);
  ASSERT_NE(Sprite(kZoomFrameSlot), nullptr);
  EXPECT_EQ(Sprite(kZoomFrameSlot)->scaleX, static_cast<std::int32_t>(1262187520u * 1000u) / 1024);
}

TEST_F(SceneStepsTest, ScrollMovesTheBackgroundOnlyDuringTheStep) {
  game->TagBgSetXY(Tag("<BgSetXY 5,5>"));
  const auto step = Update("<UpDate Scroll,0,0,160,-40,400>");
  const std::uint32_t start = GetClockMs();
  EXPECT_EQ(step(0), 0);
  EXPECT_EQ(DesignX(kBackgroundSlot), 0);
  const struct {
    std::uint32_t t;
    std::int32_t x;
    std::int32_t y;
    int done;
  } kSamples[] = {{100, -40, 10, 0}, {300, -120, 30, 0}, {399, -159, 39, 0}, {400, -160, 40, 1}};
  std::uint32_t frame = 1;
  for (const auto& s : kSamples) {
    HostClockSetVirtualNow(start + s.t);
    EXPECT_EQ(step(frame++), s.done) << s.t;
    EXPECT_EQ(DesignX(kBackgroundSlot), s.x) << s.t;
    EXPECT_EQ(DesignY(kBackgroundSlot), s.y) << s.t;
  }
  EXPECT_EQ(game->scene.model.backgroundX, 5);
}

TEST_F(SceneStepsTest, ShakeShowsFourPositionsThenRests) {
  const struct {
    const char* tag;
    std::vector<std::pair<std::int32_t, std::int32_t>> positions;
  } kCases[] = {
      {"<Effect Shake,X>", {{24, 0}, {-24, 0}, {24, 0}, {-24, 0}}},
      {"<Effect Shake>", {{24, 0}, {-24, 0}, {24, 0}, {-24, 0}}},
      {"<Effect shake,Y>", {{0, 24}, {0, -24}, {0, 24}, {0, -24}}},
      {"<Effect Shake,XY>", {{-24, -24}, {24, 24}, {24, -24}, {-24, 24}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.tag);
    const auto step = Effect(c.tag);
    std::uint32_t now = GetClockMs();
    EXPECT_EQ(step(0), 0);
    std::uint32_t frame = 1;
    for (std::size_t i = 0; i < c.positions.size(); ++i) {
      const auto [x, y] = c.positions[i];
      EXPECT_EQ(engine->shakeX, x);
      EXPECT_EQ(engine->shakeY, y);
      HostClockSetVirtualNow(now + 50);  // not yet: a position holds more than 50 ms
      EXPECT_EQ(step(frame++), 0);
      EXPECT_EQ(engine->shakeX, x);
      HostClockSetVirtualNow(now += 51);
      EXPECT_EQ(step(frame++), i + 1 == c.positions.size() ? 1 : 0);
    }
    EXPECT_EQ(engine->shakeX, 0);
    EXPECT_EQ(engine->shakeY, 0);
  }
}

TEST_F(SceneStepsTest, OtherEffectsAndShakeWithoutEffectsEndAtOnce) {
  EXPECT_EQ(RunFrames(Effect("<Effect Flash,X>"), {}), 1);
  engine->options[EFFECT_USE] = 0;
  EXPECT_EQ(RunFrames(Effect("<Effect Shake,X>"), {}), 1);
  EXPECT_EQ(engine->shakeX, 0);
}

// With effects off, skipping, or an advance input, each step ends on its
// second frame in its end state.
TEST_F(SceneStepsTest, StepsEndOnTheirSecondFrameWhenCutShort) {
  const std::function<void()> kCauses[] = {
      [this] { engine->options[EFFECT_USE] = 0; },
      [this] { engine->options[SKIP_RUNNING] = 1; },
      [this] { engine->input.words[ACTION_SKIP_KEY] = 3; },
      [this] { engine->input.words[ACTION_TAP] = 1; },
      [this] { engine->input.words[ACTION_ADVANCE_KEY] = 1; },
  };
  int cause = 0;
  for (const auto& cut : kCauses) {
    SCOPED_TRACE(cause++);
    const struct {
      const char* tag;
      bool update;
      std::function<void()> check;
    } kSteps[] = {
        {"<ChrMove 0,25,0,0,400,200>", false, [this] { EXPECT_EQ(DesignX(kCharacterSlotBase), 400); }},
        {"<UpDate Cross,1000>", true, [this] { EXPECT_EQ(Sprite(kSnapshotSlot), nullptr); }},
        {"<UpDate Zoom,1024,2048,500>", true, [this] { EXPECT_EQ(Sprite(kZoomFrameSlot), nullptr); }},
        {"<UpDate Scroll,0,0,160,40,400>", true, [this] { EXPECT_EQ(DesignX(kBackgroundSlot), -160); }},
    };
    for (const auto& s : kSteps) {
      SCOPED_TRACE(s.tag);
      engine->options[EFFECT_USE] = 1;
      engine->options[SKIP_RUNNING] = 0;
      engine->input.words.fill(0);
      const auto step = s.update ? Update(s.tag) : Move(s.tag);
      EXPECT_EQ(step(0), 0);
      cut();
      HostClockSetVirtualNow(GetClockMs() + 16);
      EXPECT_EQ(step(1), 1);
      s.check();
    }
  }
}

TEST_F(SceneStepsTest, ATapThatEndsACrossIsConsumed) {
  const auto step = Update("<UpDate cross,1000>");
  EXPECT_EQ(step(0), 0);
  ASSERT_NE(Sprite(kSnapshotSlot), nullptr);
  EXPECT_TRUE(Sprite(kSnapshotSlot)->IsEffectRunning());
  HostClockSetVirtualNow(GetClockMs() + 16);
  EXPECT_EQ(step(1), 0);
  engine->input.words[ACTION_TAP] = 1;
  EXPECT_EQ(step(2), 1);
  EXPECT_EQ(engine->input.words[ACTION_TAP], 0u);
  EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(kSnapshotSlot));
}

TEST_F(SceneStepsTest, ImageCrossWithoutItsRuleEndsOnTheNextFrame) {
  const auto step = Update("<UpDate ImageCross,1000,no_such_rule.png>");
  EXPECT_EQ(step(0), 0);
  EXPECT_EQ(game->TransitionKind(), static_cast<std::uint32_t>(TRANSITION_IMAGE_CROSS));
  ASSERT_NE(Sprite(kSnapshotSlot), nullptr);
  EXPECT_EQ(Sprite(kSnapshotSlot)->node.ruleMode, kRuleModeTransition);
  EXPECT_EQ(engine->ruleTransition, nullptr);
  EXPECT_EQ(step(1), 1);
  EXPECT_EQ(Sprite(kSnapshotSlot), nullptr);
  EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(kSnapshotSlot));
}

TEST_F(SceneStepsTest, UnknownAndNormalUpdatesEndAtOnce) {
  for (const char* tag : {"<UpDate Normal>", "<UpDate Fade,100>", "<UpDate>"}) {
    EXPECT_EQ(RunFrames(Update(tag), {}), 1) << tag;
    EXPECT_EQ(game->TransitionKind(), 0u) << tag;
  }
}

}  // namespace
