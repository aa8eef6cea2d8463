// The layer compositor of the engine's frame render: it draws into the
// engine's back buffer, takes pictures from its slots, steps and ends its
// rule transition, and filters by its LINER_MODE setting.
#pragma once

#include <memory>

#include "engine/raster/compositor.h"
#include "engine/shell/engine_base.h"

// The engine's back buffer must exist already.
std::unique_ptr<CompositorPort> MakeLayerCompositor(CEngineBase& engine);
