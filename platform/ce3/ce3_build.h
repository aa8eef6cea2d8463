// The CE 3 build: the screen stays at 320 x 240 (only the design size is
// set), the clock reads the tick count, no timer resolution, and display
// memory is reached through the Game API's record and begin/end pair.
#pragma once

#include "engine/shell/build_variant.h"

const BuildVariant& Ce3Build();
