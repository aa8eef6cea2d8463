#include "engine/pictures/picture_part_slots.h"

#include "engine/shell/engine_base.h"
#include "engine/pictures/picture_design_space.h"

void FreePartSlot(CEngineBase& engine, int part, int invalidate) {
  if (part < 0 || part >= kPartSlotCount) return;
  auto& sprite = engine.sprites[static_cast<std::size_t>(part)];
  if (!sprite) return;
  if (invalidate) {
    sprite->EndEffect();
    RECT area;
    sprite->GetDirtyRect(&area);
    engine.dirtyList->Add(&area, 1);
  }
  sprite.reset();
}

void FreeAllPartSlots(CEngineBase& engine) {
  for (int part = 0; part < kPartSlotCount; ++part) FreePartSlot(engine, part, 1);
}

int IsStylusInDesignRect(const CEngineBase& engine, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  return IsPointInDesignRect(static_cast<std::int32_t>(engine.input[INPUT_STYLUS_X]),
                             static_cast<std::int32_t>(engine.input[INPUT_STYLUS_Y]), x, y, w, h);
}
