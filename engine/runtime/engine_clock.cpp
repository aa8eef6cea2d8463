#include "engine/runtime/engine_clock.h"

#include <atomic>

#include "host/time/time_api.h"

namespace {
std::atomic<ClockSource> source{nullptr};
std::atomic<std::uint32_t> clockValue{0};
std::atomic<int> clockFrozen{0};
}  // namespace

void SetClockSource(ClockSource newSource) { source.store(newSource); }

std::uint32_t TickCountClock() { return GetTickCount(); }

std::uint32_t GetClockMs() {
  const ClockSource read = source.load();
  // Without a source time stands still, as if frozen.
  if (clockFrozen.load() || !read) return clockValue.load();
  // The raw reading, wrapped or not: callers compare times by their
  // difference, so a wrapped count paces on.
  std::uint32_t now = read();
  clockValue.store(now);
  return now;
}

void FreezeClock(int frozen) { clockFrozen.store(frozen); }
