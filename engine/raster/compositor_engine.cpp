#include "engine/raster/compositor_engine.h"

std::unique_ptr<CompositorPort> MakeLayerCompositor(CEngineBase& engine) {
  CBackBuffer& back = *engine.backBuffer;
  const CPictureSlots& slots = engine.pictureSlots;
  return std::make_unique<CLayerCompositor>(CompositorBindings{
      RasterTarget{back.GetPixels(), static_cast<int>(back.GetWidth()), static_cast<int>(back.GetHeight())},
      [&slots](int slot) -> const CImage* { return slots.Get(slot); }, &engine.ruleTransition,
      &engine.options.words[LINER_MODE]});
}
