// A test-only build: the shared engine at the 320 x 240 screen the CE 3.00
// build keeps, on the tick-count clock, with raw display access. Tests and
// headless runs use it for the small-screen layouts until that build exists.
#pragma once

#include "engine/shell/build_variant.h"

const BuildVariant& SmallScreenTestBuild();
