// The engine's millisecond clock. The main loop freezes it while it updates
// all part sprites of a frame, so every animation sees one time; the sound
// callback thread reads it too, so its state is atomic.
#pragma once

#include <cstdint>

// Where time comes from differs per build (multimedia timer or tick count);
// the build's start-up installs its source. There is none before that (null:
// none), so the core holds no timer call.
using ClockSource = std::uint32_t (*)();
void SetClockSource(ClockSource source);
// The tick count: the source of the builds without the multimedia timer.
std::uint32_t TickCountClock();

std::uint32_t GetClockMs();
void FreezeClock(int frozen);
