#include "platform/ce3/ce3_build.h"

#include "engine/shell/game_api_display.h"

const BuildVariant& Ce3Build() {
  static const BuildVariant build{"novel_ce3", false, TickCountClock, nullptr, nullptr, GameApiDisplayAccess()};
  return build;
}
