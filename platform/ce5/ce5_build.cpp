#include "platform/ce5/ce5_build.h"

#include "engine/shell/raw_display_access.h"
#include "host/time/time_api.h"

namespace {

UINT BeginTimerPeriod() {
  TIMECAPS caps{};
  timeGetDevCaps(&caps, sizeof caps);
  timeBeginPeriod(caps.wPeriodMin);
  return caps.wPeriodMin;
}

void EndTimerPeriod(UINT period) { timeEndPeriod(period); }

std::uint32_t MultimediaTimerClock() { return timeGetTime(); }

}  // namespace

const BuildVariant& Ce5Build() {
  static const BuildVariant build{"novel_ce5", true, MultimediaTimerClock, BeginTimerPeriod, EndTimerPeriod,
                                  RawDisplayAccess()};
  return build;
}
