#include "engine/raster/compositor.h"

#include <algorithm>

#include "engine/raster/compositor_transform.h"

namespace {

constexpr int kPictureSlots = 256;

// The plain (unscaled, unrotated) placement of src at (x, y), cut to clip.
// False when it lies wholly outside; a rectangle that only touches clip's
// right or bottom edge stays, with nothing left to draw.
bool ClipPlain(PixelRect& src, int& x, int& y, const PixelRect& clip) {
  int right = x + src.Width();
  int bottom = y + src.Height();
  if (right < clip.left || bottom < clip.top || x > clip.right || y > clip.bottom) return false;
  if (x < clip.left) {
    src.left += clip.left - x;
    x = clip.left;
  }
  if (y < clip.top) {
    src.top += clip.top - y;
    y = clip.top;
  }
  if (right > clip.right) {
    src.right -= right - clip.right;
    right = clip.right;
  }
  if (bottom > clip.bottom) {
    src.bottom -= bottom - clip.bottom;
    bottom = clip.bottom;
  }
  return true;
}

// Cuts the source rectangle to the picture; the draw position follows a cut
// on the left or top so the visible part stays where it was. Effect tiles
// may reach past the picture's right and bottom edges.
void ClipToPicture(PixelRect& src, int& x, int& y, const CImage& picture) {
  if (src.left < 0) {
    x -= src.left;
    src.left = 0;
  }
  if (src.top < 0) {
    y -= src.top;
    src.top = 0;
  }
  src.right = std::min(src.right, static_cast<int>(picture.width));
  src.bottom = std::min(src.bottom, static_cast<int>(picture.height));
}

bool HasPlanes(const CImage& picture) {
  if (picture.pixels == nullptr) return false;
  if (picture.pixelKind == kPixelKindPalette) return picture.palette != nullptr;
  if (picture.pixelKind == kPixelKindRgb565Alpha) return picture.alphaPlane != nullptr;
  return picture.pixelKind == kPixelKindRgb565;
}

// Opacity as the raster members take it: 0..256.
int OpacityOf(const LayerNode& node) { return std::clamp<int>(node.opacity, 0, kOpacityOpaque); }

PixelRect SourceOf(const LayerNode& node) { return {node.srcLeft, node.srcTop, node.srcRight, node.srcBottom}; }

}  // namespace

void CLayerCompositor::ComposeRect(const LayerNode* layers, const RECT& rect) {
  for (const LayerNode* node = layers; node != nullptr; node = node->next) DrawLayerNode(*node, &rect);
}

void CLayerCompositor::DrawLayerNode(const LayerNode& node, const RECT* clip) {
  const RasterTarget& target = bindings_.backBuffer;
  PixelRect area{0, 0, target.width, target.height};
  if (clip) {
    // Never trust a clip beyond the back buffer.
    area.left = std::max<int>(area.left, clip->left);
    area.top = std::max<int>(area.top, clip->top);
    area.right = std::min<int>(area.right, clip->right);
    area.bottom = std::min<int>(area.bottom, clip->bottom);
  }
  if (area.Width() <= 0 || area.Height() <= 0) return;
  switch (node.kind) {
    case kLayerFill:
      DrawFillNode(node, area);
      break;
    case kLayerPicture:
    case kLayerPictureAlt:
    case kLayerPictureAlt2:
      DrawPictureNode(node, area);
      break;
    default:
      break;
  }
}

void CLayerCompositor::DrawFillNode(const LayerNode& node, const PixelRect& clip) {
  if (node.opacity <= 0) return;
  PixelRect size = SourceOf(node);
  int x = node.drawX, y = node.drawY;
  if (!ClipPlain(size, x, y, clip)) return;
  const PixelRect rect{x, y, x + size.Width(), y + size.Height()};
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  if (node.drawMode == kDrawNormal)
    DrawFill(node.color, bindings_.backBuffer, rect, OpacityOf(node));
  else if (node.drawMode == kDrawAdditive)
    DrawFillAdditive(node.color, bindings_.backBuffer, rect, OpacityOf(node));
}

void CLayerCompositor::DrawPictureNode(const LayerNode& node, const PixelRect& clip) {
  if (node.imageSlot < 0 || node.imageSlot >= kPictureSlots) return;
  if (node.opacity <= 0 && node.ruleMode < 0) return;
  const CImage* picture = bindings_.picture ? bindings_.picture(node.imageSlot) : nullptr;
  if (picture == nullptr || !HasPlanes(*picture)) return;

  if (node.scaleX != kScaleUnit || node.scaleY != kScaleUnit || node.angle != 0) {
    if (node.drawMode != kDrawNormal) return;
    TransformSpan span;
    if (!SetupTransform(node, clip, span)) return;
    // Samples may only come from inside the picture. A rectangle starting
    // left of or above it keeps its origin through the start position.
    if (span.srcLeft < 0) {
      span.startU += span.srcLeft * 1024;
      span.srcLeft = 0;
    }
    if (span.srcTop < 0) {
      span.startV += span.srcTop * 1024;
      span.srcTop = 0;
    }
    span.srcRight = std::min(span.srcRight, static_cast<int>(picture->width));
    span.srcBottom = std::min(span.srcBottom, static_cast<int>(picture->height));
    const bool filter = bindings_.linearFilter != nullptr && *bindings_.linearFilter != 0;
    DrawImageTransformed(*picture, bindings_.backBuffer, span, OpacityOf(node), filter);
    return;
  }

  if (node.drawMode == kDrawNormal && node.ruleMode == kRuleModeTransition) {
    DrawThroughRule(*picture, clip);
    return;
  }
  PixelRect src = SourceOf(node);
  int x = node.drawX, y = node.drawY;
  ClipToPicture(src, x, y, *picture);
  if (!ClipPlain(src, x, y, clip) || src.Width() <= 0 || src.Height() <= 0) return;
  if (node.drawMode == kDrawAdditive)
    DrawImageAdditive(*picture, bindings_.backBuffer, x, y, src, OpacityOf(node));
  else if (node.drawMode == kDrawNormal && node.ruleMode < 0)
    DrawImageNormal(*picture, bindings_.backBuffer, x, y, src, OpacityOf(node));
}

void CLayerCompositor::DrawThroughRule(const CImage& picture, const PixelRect& clip) {
  if (bindings_.ruleTransition == nullptr || *bindings_.ruleTransition == nullptr) return;
  CRuleTransition& rule = **bindings_.ruleTransition;
  const RasterTarget& target = bindings_.backBuffer;
  // The old screen must match the screen pixel for pixel; anything else is
  // not drawn, though the transition still runs out its time.
  const bool screenSized = picture.pixelKind == kPixelKindRgb565 &&
                           picture.width == static_cast<std::uint32_t>(target.width) &&
                           picture.height == static_cast<std::uint32_t>(target.height) &&
                           rule.Width() == picture.width && rule.Height() == picture.height;
  const RECT area{clip.left, clip.top, clip.right, clip.bottom};
  if (rule.Step(target.pixels, screenSized ? picture.GetPixels() : nullptr, &area)) return;
  rule.FreeRule();
  bindings_.ruleTransition->reset();
}
