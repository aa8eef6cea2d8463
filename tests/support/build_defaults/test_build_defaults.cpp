// The engine core installs no clock and no display access: each build's
// start-up does. Tests of shared code run as the CE 5 build would, so every
// test starts with its clock (the multimedia timer) and raw display access;
// a test may install others for itself.
#include <gtest/gtest.h>

#include "engine/runtime/engine_clock.h"
#include "engine/shell/raw_display_access.h"
#include "host/time/time_api.h"

namespace {

std::uint32_t MultimediaTimerClock() { return timeGetTime(); }

class BuildDefaults : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    SetClockSource(MultimediaTimerClock);
    SetDisplayAccess(RawDisplayAccess());
  }
};

const bool installed = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new BuildDefaults);
  return true;
}();

}  // namespace
