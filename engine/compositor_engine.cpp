#include "engine/compositor_engine.h"

void InstallLayerCompositor(CEngineBase& engine, const CPictureSlots& slots,
                            std::unique_ptr<CRuleTransition>& ruleTransition) {
  CBackBuffer& back = *engine.backBuffer;
  CompositorBindings bindings{
      RasterTarget{back.GetPixels(), static_cast<int>(back.GetWidth()), static_cast<int>(back.GetHeight())},
      [&slots](int slot) -> const CImage* { return slots.Get(slot); }, &ruleTransition,
      &engine.options.words[LINER_MODE]};
  engine.compositor = std::make_unique<CLayerCompositor>(std::move(bindings));
}
