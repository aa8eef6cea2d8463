#include <gtest/gtest.h>

#include "engine/shell/app_window.h"
#include "engine/runtime/engine_clock.h"
#include "shell_fixture.h"

namespace {

class FramePacingTest : public ShellTest {
 protected:
  void At(std::uint32_t now) { HostClockSetVirtualNow(now); }
  CAppWindow window;
};

TEST_F(FramePacingTest, DueOncePerPeriodSkippingMissedPeriods) {
  At(1000);
  window.SetFramePeriod(16);
  EXPECT_EQ(window.GetPacing().nextFrame, 1016u);
  At(1015);
  EXPECT_FALSE(window.IsFrameDue());
  At(1016);
  EXPECT_TRUE(window.IsFrameDue());
  EXPECT_EQ(window.GetPacing().nextFrame, 1032u);
  EXPECT_FALSE(window.IsFrameDue());
  // Late by more than a period: due once, next at the first boundary after now.
  At(1070);
  EXPECT_TRUE(window.IsFrameDue());
  EXPECT_EQ(window.GetPacing().nextFrame, 1080u);
  EXPECT_EQ(window.GetPacing().count, 2u);
  EXPECT_EQ(window.GetPacing().lastCheck, 1070u);
}

TEST_F(FramePacingTest, ExactBoundaryCountsTwice) {
  At(0);
  window.SetFramePeriod(16);
  At(32);  // one period late, exactly on a boundary
  EXPECT_TRUE(window.IsFrameDue());
  EXPECT_EQ(window.GetPacing().count, 2u);
  EXPECT_EQ(window.GetPacing().nextFrame, 48u);
}

TEST_F(FramePacingTest, JumpOfSecondsReportsAnEmptyPreviousSecond) {
  At(0);
  window.SetFramePeriod(16);
  for (std::uint32_t t = 16; t < 1000; t += 16) {
    At(t);
    window.IsFrameDue();
  }
  At(5003);
  EXPECT_TRUE(window.IsFrameDue());
  EXPECT_FALSE(window.IsFrameDue());
  EXPECT_EQ(window.GetPacing().previousCount, 0u);
  EXPECT_EQ(window.GetPacing().endOfSecond, 6000u);
  EXPECT_EQ(window.GetPacing().nextFrame, 5008u);
}

TEST_F(FramePacingTest, KeepsRunningAcrossTheClockWrap) {
  At(0xFFFFFFF0u);
  window.SetFramePeriod(16);  // next frame due at 0 after the wrap
  At(0xFFFFFFF8u);
  EXPECT_FALSE(window.IsFrameDue());
  At(2);
  EXPECT_TRUE(window.IsFrameDue());
  EXPECT_EQ(window.GetPacing().nextFrame, 16u);
  At(16);
  EXPECT_TRUE(window.IsFrameDue());
  int due = 0;
  for (std::uint32_t t = 17; t < 1017; ++t) {
    At(t);
    if (window.IsFrameDue()) ++due;
  }
  EXPECT_EQ(due, 62);
}

TEST_F(FramePacingTest, FrameCountIsCountedAndSetAside) {
  window.CountFrame();
  window.CountFrame();
  window.CountFrame();
  EXPECT_EQ(window.GetPacing().started, 1u);
  EXPECT_EQ(window.GetPacing().parity, 1);
  window.SetFrameCountAside();
  EXPECT_EQ(window.GetPacing().setAsideCount, 3u);
  EXPECT_EQ(window.GetPacing().count, 0u);
  EXPECT_EQ(window.GetPacing().parity, 0);
}

}  // namespace
