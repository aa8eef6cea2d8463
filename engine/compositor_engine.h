// Puts the layer compositor into the engine's frame render, drawing into the
// engine's back buffer with its LINER_MODE setting.
#pragma once

#include <memory>

#include "engine/compositor.h"
#include "engine/engine_base.h"
#include "engine/picture_slots.h"

// slots and ruleTransition must outlive the engine's compositor.
void InstallLayerCompositor(CEngineBase& engine, const CPictureSlots& slots,
                            std::unique_ptr<CRuleTransition>& ruleTransition);
