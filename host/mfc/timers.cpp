#include <vector>

#include "host/mfc/timer_api.h"
#include "host/threads/thread_api.h"
#include "host/time/host_clock.h"
#include "host/time/time_api.h"

namespace {

struct Timer {
  HWND window;
  UINT_PTR id;
  DWORD period;
  DWORD start;
  bool posted = false;
};

std::vector<Timer>& Timers() {
  static std::vector<Timer> timers;
  return timers;
}

Timer* Find(HWND window, UINT_PTR id) {
  for (Timer& timer : Timers()) {
    if (timer.window == window && timer.id == id) return &timer;
  }
  return nullptr;
}

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC /*callback*/) {
  if (!IsWindow(window) || id == 0) return 0;
  const DWORD period = elapse == 0 ? 1 : elapse;
  if (Timer* timer = Find(window, id)) {
    timer->period = period;
    timer->start = HostClockMs();
  } else {
    Timers().push_back(Timer{window, id, period, HostClockMs()});
  }
  return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  return std::erase_if(Timers(), [&](const Timer& timer) { return timer.window == window && timer.id == id; }) > 0
             ? TRUE
             : FALSE;
}

void HostPostDueTimers() {
  const DWORD now = HostClockMs();
  for (Timer& timer : Timers()) {
    if (!timer.posted && now - timer.start >= timer.period) {
      timer.posted = PostMessageW(timer.window, WM_TIMER, timer.id, 0) != FALSE;
    }
  }
}

DWORD HostTimeToNextTimer() {
  const DWORD now = HostClockMs();
  DWORD next = INFINITE;
  for (const Timer& timer : Timers()) {
    if (timer.posted) continue;
    const DWORD waited = now - timer.start;
    const DWORD left = waited >= timer.period ? 0 : timer.period - waited;
    if (left < next) next = left;
  }
  return next;
}

bool HostTimerDelivered(HWND window, WPARAM id) {
  Timer* timer = Find(window, id);
  if (!timer) return false;
  timer->posted = false;
  timer->start = HostClockMs();
  return true;
}

void HostKillTimersOf(HWND window) {
  std::erase_if(Timers(), [window](const Timer& timer) { return timer.window == window; });
}
