// The engine core installs no clock and no display access: each build's
// start-up does. The benchmarks of shared code run as the CE 5 build would.
#include "engine/runtime/engine_clock.h"
#include "engine/shell/raw_display_access.h"
#include "host/time/time_api.h"

namespace {

const bool installed = [] {
  SetClockSource(timeGetTime);
  SetDisplayAccess(RawDisplayAccess());
  return true;
}();

}  // namespace
