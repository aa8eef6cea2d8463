// What tells the three engine builds apart: the screen size they set, the
// clock they run on, whether they raise the timer resolution, and how they
// reach display memory. Everything else is shared.
#pragma once

#include "engine/shell/display_access.h"
#include "engine/runtime/engine_clock.h"
#include "host/base/win_types.h"

struct BuildVariant {
  const char* name;
  // The CE 5 and CE 4.2 builds compose for 640 x 480; the CE 3 build keeps
  // the initial 320 x 240.
  bool setsScreenSize;
  ClockSource clock;
  // Raises the timer resolution and returns the period to end at exit; null
  // in builds without the multimedia timer.
  UINT (*beginTimerPeriod)();
  void (*endTimerPeriod)(UINT period);
  DisplayAccess display;
};
