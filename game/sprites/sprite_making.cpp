#include "game/sprites/sprite_making.h"

#include <algorithm>
#include <memory>

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/engine_base.h"

namespace {

// The slot's part, freed (its area marked for redrawing) and made anew.
CSpritePart* NewPart(CEngineBase& engine, int index) {
  FreePartSlot(engine, index, 1);
  auto& slot = engine.sprites[static_cast<std::size_t>(index)];
  slot = std::make_unique<CSpritePart>();
  slot->ResetPlacement();
  return slot.get();
}

bool IsPartIndex(int index) { return index >= 0 && index < kPartSlotCount; }

}  // namespace

CSpritePart* CreateImageSprite(CEngineBase& engine, int index, int pictureSlot, std::int32_t sourceX,
                               std::int32_t sourceY, std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t x,
                               std::int32_t y, std::int32_t anchorX, std::int32_t anchorY, std::int32_t priority) {
  if (!IsPartIndex(index)) return nullptr;
  const CImage* picture = engine.pictureSlots.Get(pictureSlot);
  if (picture == nullptr) {
    FreePartSlot(engine, index, 1);
    return nullptr;
  }
  CSpritePart* part = NewPart(engine, index);
  part->InitImageRect(pictureSlot, std::max(sourceX, 0), std::max(sourceY, 0),
                      sourceWidth < 0 ? picture->designWidth : sourceWidth,
                      sourceHeight < 0 ? picture->designHeight : sourceHeight);
  part->SetPosition(x, y);
  part->SetPriority(priority);
  part->SetAnchor(anchorX, anchorY);
  return part;
}

CSpritePart* CreateColorSprite(CEngineBase& engine, int index, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height, std::uint32_t color, std::int32_t priority) {
  if (!IsPartIndex(index)) return nullptr;
  CSpritePart* part = NewPart(engine, index);
  part->InitColorFill(x, y, width, height, color);
  part->SetPriority(priority);
  return part;
}
