#include <algorithm>
#include <new>

#include "engine/runtime/engine_clock.h"
#include "engine/sprites/sprite_part.h"
#include "host/memory/memory_api.h"

int CSpritePart::StartEffect(int id, std::int32_t durationMs, std::int32_t a, std::int32_t b, std::int32_t c) {
  const EffectFamily* family = FindEffectFamily(id);
  if (family == nullptr) return 1;
  // A running effect is dropped as it stands, without its end handling.
  FreeEffectTiles();
  effect.running = 0;

  PartEffectState next;
  next.durationMs = static_cast<std::int16_t>(std::clamp<std::int32_t>(durationMs, 0, 32767));
  next.savedPosX1000 = posX1000;
  next.savedPosY1000 = posY1000;
  SetUpEffect(*family, id, a, b, c, width, height, &next);
  // A grid that cannot be drawn, or tiles the heap cannot supply, leave the
  // part drawn as it is.
  if (next.columns == 0) return 1;
  const std::size_t count = static_cast<std::size_t>(next.columns) * static_cast<std::size_t>(next.rows);
  auto* block = static_cast<LayerNode*>(LocalAlloc(LMEM_FIXED, count * sizeof(LayerNode)));
  if (block == nullptr) return 1;
  for (std::size_t i = 0; i < count; ++i) {
    LayerNode* tile = new (&block[i]) LayerNode;
    StartEffectTile(*family, next, node, tile);
    tile->next = i + 1 < count ? &block[i + 1] : nullptr;
  }
  tiles = block;
  lastTile = &block[count - 1];
  next.running = 1;
  next.startMs = GetClockMs();
  effect = next;
  return 1;
}

int CSpritePart::StepEffect() {
  if (!effect.running) return 1;
  const std::uint32_t t = GetClockMs() - effect.startMs;
  const std::uint32_t d = static_cast<std::uint32_t>(effect.durationMs);
  const EffectFamily* family = FindEffectFamily(static_cast<int>(effect.id));
  // Tiles freed under a running effect end it as if its time were up.
  if (t >= d || family == nullptr || tiles == nullptr) {
    effect.running = 0;
    FreeEffectTiles();
    Refresh();
    return 1;
  }
  EffectFrame frame;
  frame.id = static_cast<int>(effect.id);
  frame.left = node.srcLeft;
  frame.top = node.srcTop;
  frame.right = node.srcRight;
  frame.bottom = node.srcBottom;
  frame.width = width;
  frame.height = height;
  frame.originX = posX1000 / 1000 - anchorX;
  frame.originY = posY1000 / 1000 - anchorY;
  frame.columns = effect.columns;
  frame.rows = effect.rows;
  frame.a = effect.paramA;
  frame.b = effect.paramB;
  frame.c = effect.paramC;
  frame.stepCount = effect.stepCount;
  frame.t = t;
  frame.d = d;
  StepEffectTiles(*family, frame, tiles, effect.cellFlags);
  ComputeBounds(&bounds, true);
  UnionDirtyRect(&dirtyRect, prevBounds, bounds);
  return 0;
}

int CSpritePart::EndEffect() {
  if (!effect.running) return 0;
  effect.running = 0;
  FreeEffectTiles();
  posX1000 = effect.savedPosX1000;
  posY1000 = effect.savedPosY1000;
  if (effect.hideAtEnd) retired = 1;
  if (effect.id == 1) node.opacity = kOpacityOpaque;
  Refresh();
  return 1;
}

void CSpritePart::FreeEffectTiles() {
  LocalFree(tiles);
  tiles = lastTile = nullptr;
}
