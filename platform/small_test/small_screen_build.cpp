#include "platform/small_test/small_screen_build.h"

#include "host/time/time_api.h"

namespace {

std::uint32_t TickCountClock() { return GetTickCount(); }

}  // namespace

const BuildVariant& SmallScreenTestBuild() {
  static const BuildVariant build{"novel_small_test", false, TickCountClock, nullptr, nullptr, RawDisplayAccess()};
  return build;
}
