// The multimedia timer, kept in an object of its own: builds for devices
// without the timer library must not hold these names.
#include "host/run/call_log.h"
#include "host/time/host_clock.h"
#include "host/time/time_api.h"

namespace {

constexpr UINT kPeriodMin = 1;
constexpr UINT kPeriodMax = 1000000;

MMRESULT CheckPeriod(UINT period) {
  return period >= kPeriodMin && period <= kPeriodMax ? TIMERR_NOERROR : TIMERR_NOCANDO;
}

}  // namespace

DWORD timeGetTime() { return HostClockMs(); }

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT capsSize) {
  HostCallLogRecord("timeGetDevCaps");
  if (caps == nullptr || capsSize < sizeof(TIMECAPS)) return TIMERR_NOCANDO;
  caps->wPeriodMin = kPeriodMin;
  caps->wPeriodMax = kPeriodMax;
  return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(UINT period) {
  HostCallLogRecord("timeBeginPeriod(" + std::to_string(period) + ")");
  return CheckPeriod(period);
}

MMRESULT timeEndPeriod(UINT period) {
  HostCallLogRecord("timeEndPeriod(" + std::to_string(period) + ")");
  return CheckPeriod(period);
}
