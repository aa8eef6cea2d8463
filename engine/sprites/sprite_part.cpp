#include "engine/sprites/sprite_part.h"

#include <algorithm>
#include <iterator>

#include "engine/pictures/picture_design_space.h"
#include "engine/runtime/engine_clock.h"

namespace {

// Screen px x 1000; out-of-range values wrap as the 32-bit product does.
std::int32_t Times1000(std::int32_t v) { return static_cast<std::int32_t>(std::int64_t{v} * 1000); }

}  // namespace

CSpritePart::CSpritePart() {
  ResetPlacement();
  std::fill(std::begin(animStart), std::end(animStart), kAnimUndefined);
}

CSpritePart::~CSpritePart() { FreeEffectTiles(); }

void CSpritePart::ResetPlacement() {
  node.next = nullptr;
  node.size = kLayerNodeSize;
  node.kind = kLayerPicture;
  node.reserved = 0;
  node.color = 0;
  node.drawMode = kDrawNormal;
  node.brightness = 256;
  node.opacity = kOpacityOpaque;
  node.scaleX = node.scaleY = kScaleUnit;
  node.ruleMode = kRuleModeNone;
  scaleX = scaleY = kScaleUnit;
  anchorX = anchorY = 0;
  angle = 0;
  priority = 1;
}

void CSpritePart::SetSourceRect(int slot, std::int32_t left, std::int32_t top, std::int32_t right,
                                std::int32_t bottom) {
  node.imageSlot = static_cast<std::int16_t>(slot);
  node.srcLeft = static_cast<std::int16_t>(left);
  node.srcTop = static_cast<std::int16_t>(top);
  node.srcRight = static_cast<std::int16_t>(right);
  node.srcBottom = static_cast<std::int16_t>(bottom);
  width = node.srcRight - node.srcLeft;
  height = node.srcBottom - node.srcTop;
}

void CSpritePart::InitImageRect(int slot, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  // The right and bottom edges are summed in 16 bits, as the node holds them.
  const auto left = static_cast<std::int16_t>(DesignXToScreen(x));
  const auto top = static_cast<std::int16_t>(DesignYToScreen(y));
  SetSourceRect(slot, left, top, static_cast<std::int16_t>(left + DesignXToScreen(w)),
                static_cast<std::int16_t>(top + DesignYToScreen(h)));
  designWidth = w;
  designHeight = h;
}

void CSpritePart::SetImageRect(int slot, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  InitImageRect(slot, x, y, w, h);
  Refresh();
}

void CSpritePart::InitColorFill(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                                std::uint32_t color) {
  ResetPlacement();
  node.kind = kLayerFill;
  node.color = color;
  posX1000 = Times1000(DesignXToScreen(x));
  posY1000 = Times1000(DesignYToScreen(y));
  const std::int32_t fillHeight = DesignYToScreen(h);
  SetSourceRect(0, 0, 0, std::max(DesignXToScreen(w), 1), fillHeight);
  Refresh();
}

void CSpritePart::SetPosition(std::int32_t x, std::int32_t y) {
  posX1000 = Times1000(DesignXToScreen(x));
  posY1000 = Times1000(DesignYToScreen(y));
  designX1000 = Times1000(x);
  designY1000 = Times1000(y);
  Refresh();
}

void CSpritePart::SetAnchor(std::int32_t x, std::int32_t y) {
  anchorX = DesignXToScreen(x);
  anchorY = DesignYToScreen(y);
  Refresh();
}

void CSpritePart::SetScale(std::int32_t sx, std::int32_t sy) {
  scaleX = sx;
  scaleY = sy;
  Refresh();
}

void CSpritePart::SetOpacity(std::int32_t opacity) {
  node.opacity = static_cast<std::uint32_t>(opacity) > 256 ? kOpacityOpaque : static_cast<std::int16_t>(opacity);
  Refresh();
}

void CSpritePart::SetPriority(std::int32_t value) {
  // A negative priority would name no draw list.
  if (value >= 0 && value < 128) priority = value;
  Refresh();
}

void CSpritePart::SetVisible(int on) {
  if (visible == static_cast<std::uint32_t>(on)) return;
  visible = on != 0 ? 1 : 0;
  Refresh();
}

void CSpritePart::GetDirtyRect(RECT* out) {
  ComputeBounds(&bounds, false);
  UnionDirtyRect(out, prevBounds, bounds);
}

void CSpritePart::Refresh() {
  ComputeBounds(&bounds, false);
  UnionDirtyRect(&dirtyRect, prevBounds, bounds);
}

bool CSpritePart::TakeDirtyRect(RECT* out) {
  if (!dirty) return false;
  *out = dirtyRect;
  dirty = 0;
  ComputeBounds(&bounds, effect.running != 0);
  prevBounds = bounds;
  return true;
}

int CSpritePart::Update(std::uint32_t* level) {
  if (retired) return 0;
  if (node.imageSlot < 0) return 1;
  node.next = nullptr;
  if (effect.running && lastTile) lastTile->next = nullptr;
  std::int32_t drawX = 0, drawY = 0;

  if (effect.running) {
    if (!StepEffect()) return 1;
    // The brightness fades leave the whole screen at their final level.
    if (level && effect.id == 63) *level = 256;
    if (level && effect.id == 191) *level = effect.paramC != 0 ? 512 : 0;
    if (effect.hideAtEnd) {
      retired = 1;
      return 0;
    }
  }

  if (animRunning) {
    ++animTicks;
    if (static_cast<std::int32_t>(GetClockMs() - nextFrameMs) >= 0 && !AdvanceAnimation()) return 0;
    drawX += frames[animFrame].dx;
    drawY += frames[animFrame].dy;
  }

  node.drawX = static_cast<std::int16_t>(drawX + posX1000 / 1000 - anchorX);
  node.drawY = static_cast<std::int16_t>(drawY + posY1000 / 1000 - anchorY);
  node.anchorX = static_cast<std::int16_t>(anchorX);
  node.anchorY = static_cast<std::int16_t>(anchorY);
  node.scaleX = static_cast<std::int16_t>(scaleX);
  node.scaleY = static_cast<std::int16_t>(scaleY);
  node.angle = static_cast<std::int16_t>(angle);
  return 1;
}
