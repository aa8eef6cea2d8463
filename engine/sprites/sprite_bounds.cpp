#include <algorithm>
#include <cstdint>

#include "engine/raster/node_angle.h"
#include "engine/sprites/sprite_part.h"

namespace {

LONG ToLong(std::int64_t v) { return static_cast<LONG>(v); }

}  // namespace

void CSpritePart::ComputeBounds(RECT* out, bool useTiles) const {
  if (useTiles && tiles != nullptr) {
    // The box of every tile, each drawn unscaled at its own place.
    std::int64_t left = tiles->drawX, top = tiles->drawY, right = left, bottom = top;
    for (const LayerNode* tile = tiles; tile <= lastTile; ++tile) {
      left = std::min<std::int64_t>(left, tile->drawX);
      top = std::min<std::int64_t>(top, tile->drawY);
      right = std::max<std::int64_t>(right, tile->drawX + (tile->srcRight - tile->srcLeft));
      bottom = std::max<std::int64_t>(bottom, tile->drawY + (tile->srcBottom - tile->srcTop));
    }
    *out = RECT{ToLong(left), ToLong(top), ToLong(right), ToLong(bottom)};
    return;
  }

  const std::int64_t px = posX1000 / 1000, py = posY1000 / 1000;
  if (angle == 0) {
    const std::int64_t left = px - std::int64_t{scaleX} * anchorX / 1000;
    const std::int64_t top = py - std::int64_t{scaleY} * anchorY / 1000;
    *out = RECT{ToLong(left), ToLong(top), ToLong(left + std::int64_t{scaleX} * width / 1000),
                ToLong(top + std::int64_t{scaleY} * height / 1000)};
    return;
  }

  // Turn the square around the source rectangle about the anchor point and
  // take the box of its corners, then scale that box about the anchor.
  const NodeAngle turn = NodeAngleOf(angle);
  std::int64_t left0 = px - anchorX, top0 = py - anchorY, side = 0;
  if (width > height) {
    top0 -= (width - height) / 2;
    side = width;
  } else {
    left0 -= (height - width) / 2;
    side = height;
  }
  std::int64_t minX = 9999, minY = 9999, maxX = 0, maxY = 0;
  for (int corner = 0; corner < 4; ++corner) {
    const std::int64_t dx = left0 + (corner & 1 ? side : 0) - px;
    const std::int64_t dy = top0 + (corner & 2 ? side : 0) - py;
    const std::int64_t x = px + ((dx * turn.cos1024 - dy * turn.sin1024 + 512) >> 10);
    const std::int64_t y = py + ((dx * turn.sin1024 + dy * turn.cos1024 + 512) >> 10);
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
  }
  const std::int64_t k = (std::int64_t{scaleX} + scaleY) / 2;
  const std::int64_t left = px - k * (px - minX) / 1000;
  const std::int64_t top = py - k * (py - minY) / 1000;
  *out = RECT{ToLong(left), ToLong(top), ToLong(left + k * (maxX - minX) / 1000 + 1),
              ToLong(top + k * (maxY - minY) / 1000 + 1)};
}

void CSpritePart::UnionDirtyRect(RECT* out, const RECT& prev, const RECT& cur) {
  const bool unset = prev.left == -1 && prev.top == -1 && prev.right == -1 && prev.bottom == -1;
  if (unset) {
    *out = cur;
  } else {
    *out = RECT{std::min(prev.left, cur.left), std::min(prev.top, cur.top), std::max(prev.right, cur.right),
                std::max(prev.bottom, cur.bottom)};
  }
  dirty = 1;
}
