#include "platform/ce4/ce4_build.h"

#include "engine/shell/raw_display_access.h"

const BuildVariant& Ce4Build() {
  static const BuildVariant build{"novel_ce4", true, TickCountClock, nullptr, nullptr, RawDisplayAccess()};
  return build;
}
