#include "engine/raster/compositor_transform.h"

#include <algorithm>
#include <cstdint>

#include "engine/raster/node_angle.h"

namespace {

constexpr std::int64_t kScaleUnit64 = kScaleUnit;

bool SetupScaled(const LayerNode& node, TransformSpan& span) {
  if (node.scaleX <= 0 || node.scaleY <= 0) return false;
  const int w = node.srcRight - node.srcLeft;
  const int h = node.srcBottom - node.srcTop;
  span.dudx = static_cast<int>(1024 * kScaleUnit64 / node.scaleX);
  span.dvdy = static_cast<int>(1024 * kScaleUnit64 / node.scaleY);
  span.dvdx = span.dudy = 0;
  // The anchor keeps its place on the screen while the picture scales about it.
  const int ax = node.anchorX * node.scaleX / kScaleUnit;
  const int ay = node.anchorY * node.scaleY / kScaleUnit;
  span.boxLeft = node.drawX + node.anchorX - ax;
  span.boxTop = node.drawY + node.anchorY - ay;
  span.boxRight = span.boxLeft + node.scaleX * w / kScaleUnit;
  span.boxBottom = span.boxTop + node.scaleY * h / kScaleUnit;
  span.startU = span.startV = 0;
  return true;
}

bool SetupRotated(const LayerNode& node, TransformSpan& span) {
  const int meanScale = (node.scaleX + node.scaleY) / 2;
  if (meanScale <= 0) return false;
  const NodeAngle angle = NodeAngleOf(node.angle);
  // The walk turns the other way: sine and cosine of 360 - angle, and of
  // 360 - angle + 90 degrees for the row steps.
  const int s1 = -angle.sin1024;
  const int c1 = angle.cos1024;
  span.dudx = static_cast<int>(c1 * kScaleUnit64 / meanScale);
  span.dvdx = static_cast<int>(s1 * kScaleUnit64 / meanScale);
  span.dudy = static_cast<int>(angle.sin1024 * kScaleUnit64 / meanScale);
  span.dvdy = static_cast<int>(angle.cos1024 * kScaleUnit64 / meanScale);

  const int w = node.srcRight - node.srcLeft;
  const int h = node.srcBottom - node.srcTop;
  const int px = node.drawX + node.anchorX;
  const int py = node.drawY + node.anchorY;
  // The source rectangle made square about its centre, so that every
  // turn of it fits the box.
  int left = node.drawX;
  int top = node.drawY;
  const int side = std::max(w, h);
  if (w > h)
    top -= (w - h) / 2;
  else
    left -= (h - w) / 2;

  int minX = 9999, minY = 9999, maxX = 0, maxY = 0;
  for (int corner = 0; corner < 4; ++corner) {
    const std::int64_t dx = left + (corner & 1 ? side : 0) - px;
    const std::int64_t dy = top + (corner & 2 ? side : 0) - py;
    const int x = px + static_cast<int>((dx * angle.cos1024 - dy * angle.sin1024 + 512) >> 10);
    const int y = py + static_cast<int>((dx * angle.sin1024 + dy * angle.cos1024 + 512) >> 10);
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
  }
  const std::int64_t bw = maxX - minX;
  const std::int64_t bh = maxY - minY;
  span.startU = static_cast<int>((std::int64_t{w / 2} << 10) - (bw / 2) * c1 + (bh / 2) * s1);
  span.startV = static_cast<int>((std::int64_t{h / 2} << 10) - (bh / 2) * c1 - (bw / 2) * s1);
  span.boxLeft = px - static_cast<int>((px - minX) * std::int64_t{meanScale} / kScaleUnit64);
  span.boxTop = py - static_cast<int>((py - minY) * std::int64_t{meanScale} / kScaleUnit64);
  span.boxRight = span.boxLeft + static_cast<int>(bw * meanScale / kScaleUnit64) + 1;
  span.boxBottom = span.boxTop + static_cast<int>(bh * meanScale / kScaleUnit64) + 1;
  return true;
}

}  // namespace

bool SetupTransform(const LayerNode& node, const PixelRect& clip, TransformSpan& span) {
  span = TransformSpan{};
  if (!(node.angle == 0 ? SetupScaled(node, span) : SetupRotated(node, span))) return false;
  span.srcLeft = node.srcLeft;
  span.srcTop = node.srcTop;
  span.srcRight = node.srcRight;
  span.srcBottom = node.srcBottom;

  if (span.boxLeft < clip.left) {
    span.skipX = clip.left - span.boxLeft;
    span.boxLeft = clip.left;
  }
  if (span.boxTop < clip.top) {
    span.skipY = clip.top - span.boxTop;
    span.boxTop = clip.top;
  }
  span.boxRight = std::min(span.boxRight, clip.right);
  span.boxBottom = std::min(span.boxBottom, clip.bottom);
  span.width = span.boxRight - span.boxLeft;
  span.height = span.boxBottom - span.boxTop;
  return span.width > 0 && span.height > 0;
}
