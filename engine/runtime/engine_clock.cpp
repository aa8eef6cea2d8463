#include "engine/runtime/engine_clock.h"

#include <atomic>

#include "host/time/time_api.h"

namespace {
std::uint32_t MultimediaTimer() { return timeGetTime(); }

std::atomic<ClockSource> source{MultimediaTimer};
std::atomic<std::uint32_t> clockValue{0};
std::atomic<int> clockFrozen{0};
}  // namespace

void SetClockSource(ClockSource newSource) { source.store(newSource ? newSource : MultimediaTimer); }

std::uint32_t GetClockMs() {
  if (clockFrozen.load()) return clockValue.load();
  std::uint32_t now = source.load()();
  clockValue.store(now);
  return now;
}

void FreezeClock(int frozen) { clockFrozen.store(frozen); }
