#include <gtest/gtest.h>

#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/raster/rule_transition.h"
#include "raster_fixtures.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 16;
constexpr std::uint16_t kOld = 0xFFFF;
constexpr std::uint16_t kNew = 0x0000;

int Uniform63(int, int) { return 63; }

class RuleTransitionTest : public ::testing::Test {
 protected:
  // An archive holding "fade.rbp", uniform green 63 (level 192) unless given.
  std::string Archive(const std::vector<std::uint8_t>& file = MakeRuleFile(kWidth, kHeight, Uniform63)) {
    return folder_.WriteArchive("pict.mlz", {{"fade.rbp", file}});
  }

  // Steps at time ms over a screen showing the new picture; returns the
  // step's result and leaves the screen in screen_.
  int StepAt(CRuleTransition& rule, std::uint32_t ms, const RECT* clip = nullptr) {
    clock_.Set(ms);
    screen_.assign(kWidth * kHeight, kNew);
    return rule.Step(screen_.data(), old_.data(), clip);
  }

  bool ScreenIs(std::uint16_t pixel) const {
    for (std::uint16_t p : screen_)
      if (p != pixel) return false;
    return true;
  }

  TempFolder folder_;
  TestClock clock_;
  CArchiveReader reader_;
  std::vector<std::uint16_t> old_ = std::vector<std::uint16_t>(kWidth * kHeight, kOld);
  std::vector<std::uint16_t> screen_;
};

TEST_F(RuleTransitionTest, LevelsAreTheInvertedSixBitGreen) {
  // Green rises block by block: 0, 1, ... so levels fall from 255.
  const std::string path =
      Archive(MakeRuleFile(kWidth, kHeight, [](int bx, int by) { return by * (kWidth / 8) + bx; }));
  CRuleTransition rule(kWidth, kHeight);
  ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 1000, 1), 1);
  for (int by = 0; by < kHeight / 8; ++by)
    for (int bx = 0; bx < kWidth / 8; ++bx)
      EXPECT_EQ(rule.LevelAt(bx * 8 + 3, by * 8 + 5), 255 - (by * (kWidth / 8) + bx)) << bx << "," << by;
}

TEST_F(RuleTransitionTest, HardModeSwitchesEveryPixelAtThreeQuarters) {
  const std::string path = Archive();
  CRuleTransition rule(kWidth, kHeight);
  ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 1000, 0), 1);
  ASSERT_EQ(rule.Start(), 1);
  // Threshold elapsed x 256 / 1000 reaches 193, past level 192, at 754 ms.
  for (std::uint32_t ms : {0u, 500u, 753u}) {
    EXPECT_EQ(StepAt(rule, ms), 1);
    EXPECT_TRUE(ScreenIs(kOld)) << ms;
  }
  for (std::uint32_t ms : {754u, 999u}) {
    EXPECT_EQ(StepAt(rule, ms), 1);
    EXPECT_TRUE(ScreenIs(kNew)) << ms;
  }
}

TEST_F(RuleTransitionTest, SoftModeFadesBetweenThreeAndSevenEighths) {
  const std::string path = Archive();
  CRuleTransition rule(kWidth, kHeight);
  ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 1000, 1), 1);
  ASSERT_EQ(rule.Start(), 1);
  const struct {
    std::uint32_t ms;
    std::uint16_t pixel;
  } cases[] = {
      {375, kOld},     // threshold 192: still the old screen
      {376, kOld},     // 192.5 -> 192
      {500, 0xBDF7},   // threshold 256: the new screen weighs 16 of 64, the old 48
      {750, 0x39E7},   // threshold 384: the old screen weighs 16
      {874, kNew},     // threshold 447: the old screen's weight of 1 rounds away
      {875, kNew},     // threshold 448 = level + 256: the new screen alone
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StepAt(rule, c.ms), 1);
    EXPECT_TRUE(ScreenIs(c.pixel)) << c.ms << ": " << screen_[0];
  }
}

// Every level of a graded rule against the rule written out pixel by pixel,
// over a clip whose rows are neither whole nor a multiple of any block.
TEST_F(RuleTransitionTest, EveryLevelFollowsTheThresholdRule) {
  const std::string path =
      Archive(MakeRuleFile(kWidth, kHeight, [](int bx, int by) { return (bx * 17 + by * 29) % 64; }));
  std::vector<std::uint16_t> fresh(kWidth * kHeight);
  for (int i = 0; i < kWidth * kHeight; ++i) {
    old_[i] = static_cast<std::uint16_t>(i * 2654435761u >> 7);
    fresh[i] = static_cast<std::uint16_t>(i * 40503u + 12345u);
  }
  const RECT clip{1, 2, 30, 15};
  for (std::uint32_t mode : {0u, 1u}) {
    CRuleTransition rule(kWidth, kHeight);
    ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 1000, mode), 1);
    clock_.Set(0);
    ASSERT_EQ(rule.Start(), 1);
    for (std::uint32_t ms : {380u, 700u, 760u, 800u, 900u, 990u}) {
      clock_.Set(ms);
      screen_ = fresh;
      ASSERT_EQ(rule.Step(screen_.data(), old_.data(), &clip), 1);
      const int t = static_cast<int>(ms * (mode ? 512 : 256) / 1000);
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const int i = y * kWidth + x;
          const int level = rule.LevelAt(x, y);
          std::uint32_t want = fresh[i];
          const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
          if (inside && level >= t) {
            want = old_[i];
          } else if (inside && mode == 1 && ((t - level) >> 2) < 64) {
            const std::uint32_t a = (t - level) >> 2, s = old_[i], d = fresh[i];
            want = ((((d & 0xF81F) * a + (s & 0xF81F) * (64 - a)) >> 6) & 0xF81F) |
                   ((((d & 0x07E0) * a + (s & 0x07E0) * (64 - a)) >> 6) & 0x07E0);
          }
          ASSERT_EQ(screen_[i], want) << "mode " << mode << " at " << ms << " ms, pixel " << x << "," << y;
        }
      }
    }
  }
}

TEST_F(RuleTransitionTest, EndsWhenTheDurationIsOver) {
  const std::string path = Archive();
  CRuleTransition rule(kWidth, kHeight);
  ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 1000, 1), 1);
  clock_.Set(5000);
  ASSERT_EQ(rule.Start(), 1);
  EXPECT_EQ(StepAt(rule, 5999), 1);
  EXPECT_EQ(StepAt(rule, 6000), 0);
  EXPECT_TRUE(ScreenIs(kNew));

  // A duration of 0 is over at once, with no division.
  ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 0, 0), 1);
  ASSERT_EQ(rule.Start(), 1);
  EXPECT_EQ(StepAt(rule, 6000), 0);
  EXPECT_TRUE(ScreenIs(kNew));
}

TEST_F(RuleTransitionTest, StepsOnlyInsideTheClip) {
  const std::string path = Archive();
  CRuleTransition rule(kWidth, kHeight);
  ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 1000, 0), 1);
  ASSERT_EQ(rule.Start(), 1);
  const RECT clip{4, 2, 10, 5};
  EXPECT_EQ(StepAt(rule, 0, &clip), 1);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = x >= 4 && x < 10 && y >= 2 && y < 5;
      EXPECT_EQ(screen_[y * kWidth + x], inside ? kOld : kNew) << x << "," << y;
    }
  }
}

TEST_F(RuleTransitionTest, NameLosesItsFolderAndTakesTheRbpExtension) {
  const std::string path = Archive();
  CRuleTransition rule(kWidth, kHeight);
  EXPECT_EQ(rule.LoadRule("rules\\fade.bmp", path.c_str(), &reader_, 1000, 1), 1);
  EXPECT_EQ(rule.LoadRule("FADE", path.c_str(), &reader_, 1000, 1), 1);
}

TEST_F(RuleTransitionTest, LoadFailuresLeaveNoRule) {
  const std::vector<std::uint8_t> good = MakeRuleFile(kWidth, kHeight, Uniform63);
  SourcePicture grey{kWidth, kHeight, std::vector<std::uint8_t>(kWidth * kHeight * 4, 0x80), {}, {}};
  RbpMakeOptions plainKind;
  plainKind.kind = 13;
  const struct {
    const char* name;
    std::vector<std::uint8_t> file;
    bool withReader;
    const char* entry;
  } cases[] = {
      {"no archive reader", good, false, "fade"},
      {"missing entry", good, true, "other"},
      {"RGB565 kind, not JBP1", BuildRbpFile(grey, plainKind), true, "fade"},
      {"narrower than the screen", MakeRuleFile(kWidth - 16, kHeight, Uniform63), true, "fade"},
      {"wider than the screen", MakeRuleFile(kWidth + 16, kHeight, Uniform63), true, "fade"},
      {"lower than the screen", MakeRuleFile(kWidth, kHeight - 8, Uniform63), true, "fade"},
      {"damaged record", std::vector<std::uint8_t>(good.begin(), good.begin() + 60), true, "fade"},
  };
  for (const auto& c : cases) {
    const std::string path = Archive(c.file);
    CRuleTransition rule(kWidth, kHeight);
    EXPECT_EQ(rule.LoadRule(c.entry, path.c_str(), c.withReader ? &reader_ : nullptr, 1000, 1), 0) << c.name;
    EXPECT_FALSE(rule.IsLoaded()) << c.name;
    EXPECT_EQ(rule.Start(), 0) << c.name;
    EXPECT_EQ(StepAt(rule, 0), 0) << c.name;
    EXPECT_TRUE(ScreenIs(kNew)) << c.name;
  }
}

TEST_F(RuleTransitionTest, TallerRuleUsesItsTopRows) {
  // Rows below the screen are green 0; the screen's rows are green 63.
  const std::string path = Archive(MakeRuleFile(kWidth, kHeight + 16, [](int, int by) { return by < 2 ? 63 : 0; }));
  CRuleTransition rule(kWidth, kHeight);
  ASSERT_EQ(rule.LoadRule("fade", path.c_str(), &reader_, 1000, 1), 1);
  for (int y = 0; y < kHeight; ++y) EXPECT_EQ(rule.LevelAt(7, y), 192) << y;
}

}  // namespace
