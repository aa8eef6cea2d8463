#include "engine/shell/app_window.h"
#include "engine/runtime/engine_clock.h"

namespace {

// Clock values are compared by their signed distance, so the wrap of the
// 32-bit millisecond counter (every 49.7 days) does not stop the frames.
bool AtOrAfter(std::uint32_t now, std::uint32_t mark) {
  return static_cast<std::int32_t>(now - mark) >= 0;
}

}  // namespace

void CAppWindow::SetFramePeriod(std::uint32_t periodMs) {
  const std::uint32_t now = GetClockMs();
  pacing_.nextFrame = now + periodMs;
  pacing_.endOfSecond = now + 1000;
  pacing_.lastCheck = now;
  pacing_.period = periodMs;
  pacing_.window = 1000;
}

bool CAppWindow::IsFrameDue() {
  const std::uint32_t now = GetClockMs();
  pacing_.lastCheck = now;
  if (AtOrAfter(now, pacing_.endOfSecond)) {
    do {
      pacing_.previousCount = pacing_.count;
      pacing_.count = 0;
      pacing_.endOfSecond += pacing_.window;
    } while (AtOrAfter(now, pacing_.endOfSecond));
  }
  if (!AtOrAfter(now, pacing_.nextFrame)) return false;
  bool due = false;
  // A zero period would never move past now.
  const std::uint32_t period = pacing_.period ? pacing_.period : 1;
  do {
    pacing_.nextFrame += period;
    if (AtOrAfter(pacing_.nextFrame, now)) {
      ++pacing_.count;
      due = true;
    }
  } while (AtOrAfter(now, pacing_.nextFrame));
  return due;
}
