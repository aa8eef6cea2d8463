// The layer compositor: redraws one dirty rectangle by drawing every layer
// node of the draw list into the back buffer, bottom first, clipped to the
// rectangle. Pictures come from the picture slots; a node with rule mode
// -100 is drawn through the rule transition, which ends its life here.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "engine/raster/compositor_dispatch.h"
#include "engine/raster/layer_node.h"
#include "engine/pictures/picture_object.h"
#include "engine/raster/rule_transition.h"
#include "engine/shell/shell_ports.h"

// What the compositor reads and writes, owned elsewhere.
struct CompositorBindings {
  RasterTarget backBuffer;
  // The picture in a slot, or null for an empty or bad slot.
  std::function<const CImage*(int slot)> picture;
  // The engine's rule transition; the compositor deletes it when it ends.
  std::unique_ptr<CRuleTransition>* ruleTransition = nullptr;
  // Non-zero selects bilinear sampling for scaled and rotated pictures.
  const std::uint32_t* linearFilter = nullptr;
};

class CLayerCompositor : public CompositorPort {
 public:
  explicit CLayerCompositor(CompositorBindings bindings) : bindings_(std::move(bindings)) {}

  // Draws every node from layers along the next links, clipped to rect.
  void ComposeRect(const LayerNode* layers, const RECT& rect) override;
  // One node clipped to clip (the whole back buffer when null).
  void DrawLayerNode(const LayerNode& node, const RECT* clip);

 private:
  void DrawFillNode(const LayerNode& node, const PixelRect& clip);
  void DrawPictureNode(const LayerNode& node, const PixelRect& clip);
  void DrawThroughRule(const CImage& picture, const PixelRect& clip);

  CompositorBindings bindings_;
};
