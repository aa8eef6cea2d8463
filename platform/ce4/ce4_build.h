// The CE 4.2 build: the CE 5 engine for devices without the multimedia timer,
// so the clock reads the tick count and the timer resolution is left alone;
// raw frame-buffer display access, 640 x 480 screen.
#pragma once

#include "engine/shell/build_variant.h"

const BuildVariant& Ce4Build();
