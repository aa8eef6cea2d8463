#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

#include "host/time/frame_costs.h"
#include "host/time/host_clock.h"
#include "host/time/time_api.h"

namespace {

constexpr int kModeUnset = -1;

// Read from the audio and worker threads as well as the main thread.
std::atomic<int> clockMode{kModeUnset};
std::atomic<DWORD> virtualNow{0};
std::atomic<void (*)()> beforeVirtualSleep{nullptr};

// Virtual local time: the time set, and the virtual clock reading at that
// moment; GetLocalTime adds the virtual time that passed since.
std::mutex localTimeLock;
SYSTEMTIME virtualLocalTime = {2000, 1, 6, 1, 0, 0, 0, 0};  // Saturday 2000-01-01 00:00
DWORD virtualLocalTimeSetAt = 0;

HostClockMode CurrentMode() {
  int mode = clockMode.load();
  if (mode == kModeUnset) {
    const char* chosen = std::getenv("NOVEL_CLOCK");
    int fromEnvironment = static_cast<int>(chosen != nullptr && std::strcmp(chosen, "virtual") == 0
                                               ? HostClockMode::Virtual
                                               : HostClockMode::Real);
    // A concurrent HostClockSetMode wins over the environment.
    if (clockMode.compare_exchange_strong(mode, fromEnvironment)) mode = fromEnvironment;
  }
  return static_cast<HostClockMode>(mode);
}

DWORD RealMilliseconds() {
  using namespace std::chrono;
  static const steady_clock::time_point origin = steady_clock::now();
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now() - origin).count());
}

SYSTEMTIME FromTm(const std::tm& parts, long milliseconds) {
  SYSTEMTIME time;
  time.wYear = static_cast<WORD>(parts.tm_year + 1900);
  time.wMonth = static_cast<WORD>(parts.tm_mon + 1);
  time.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
  time.wDay = static_cast<WORD>(parts.tm_mday);
  time.wHour = static_cast<WORD>(parts.tm_hour);
  time.wMinute = static_cast<WORD>(parts.tm_min);
  time.wSecond = static_cast<WORD>(parts.tm_sec);
  time.wMilliseconds = static_cast<WORD>(milliseconds);
  return time;
}

// The virtual local time now; the caller holds localTimeLock.
SYSTEMTIME VirtualLocalTimeLocked() {
  std::tm parts{};
  parts.tm_year = virtualLocalTime.wYear - 1900;
  parts.tm_mon = virtualLocalTime.wMonth - 1;
  parts.tm_mday = virtualLocalTime.wDay;
  parts.tm_hour = virtualLocalTime.wHour;
  parts.tm_min = virtualLocalTime.wMinute;
  parts.tm_sec = virtualLocalTime.wSecond;
  // Calendar arithmetic in UTC: no time zone or daylight saving shifts.
  long long total = static_cast<long long>(timegm(&parts)) * 1000 + virtualLocalTime.wMilliseconds +
                    static_cast<DWORD>(virtualNow.load() - virtualLocalTimeSetAt);
  std::time_t seconds = static_cast<std::time_t>(total / 1000);
  std::tm now{};
  gmtime_r(&seconds, &now);
  return FromTm(now, static_cast<long>(total % 1000));
}

}  // namespace

DWORD HostClockMs() { return CurrentMode() == HostClockMode::Virtual ? virtualNow.load() : RealMilliseconds(); }

DWORD GetTickCount() { return HostClockMs(); }

void Sleep(DWORD milliseconds) {
  if (CurrentMode() == HostClockMode::Virtual) {
    HostFrameCostsNoteSleep(virtualNow.load());
    if (void (*settle)() = beforeVirtualSleep.load(); settle != nullptr && milliseconds > 0) settle();
    virtualNow.fetch_add(milliseconds);
    // Let threads that poll in Sleep loops see each other's progress.
    std::this_thread::yield();
    HostFrameCostsNoteWake();
    return;
  }
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void GetLocalTime(SYSTEMTIME* time) {
  if (time == nullptr) return;
  if (CurrentMode() == HostClockMode::Virtual) {
    std::lock_guard lock(localTimeLock);
    *time = VirtualLocalTimeLocked();
    return;
  }
  std::timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm parts{};
  localtime_r(&now.tv_sec, &parts);
  *time = FromTm(parts, now.tv_nsec / 1000000);
}

void HostClockSetMode(HostClockMode mode) { clockMode.store(static_cast<int>(mode)); }

HostClockMode HostClockGetMode() { return CurrentMode(); }

void HostClockSetBeforeVirtualSleep(void (*settle)()) { beforeVirtualSleep.store(settle); }

void HostClockAdvance(DWORD milliseconds) { virtualNow.fetch_add(milliseconds); }

void HostClockSetVirtualNow(DWORD milliseconds) {
  // The local time keeps running from where it stands, not from the jump.
  std::lock_guard lock(localTimeLock);
  virtualLocalTime = VirtualLocalTimeLocked();
  virtualNow.store(milliseconds);
  virtualLocalTimeSetAt = milliseconds;
}

void HostClockSetLocalTime(const SYSTEMTIME& time) {
  std::lock_guard lock(localTimeLock);
  virtualLocalTime = time;
  virtualLocalTimeSetAt = virtualNow.load();
}
