// The CE 5 build: multimedia-timer clock with the timer resolution raised
// for the run, raw frame-buffer display access, 640 x 480 screen.
#pragma once

#include "engine/shell/build_variant.h"

const BuildVariant& Ce5Build();
