#include "engine/shell/engine_base.h"
#include "engine/runtime/engine_clock.h"

void CEngineBase::ClearDrawLists() {
  // The empty layer list runs from priority 127 down to 0.
  for (int i = 0; i < 128; ++i) drawListHeads[i] = LayerNode{i > 0 ? &drawListHeads[i - 1] : nullptr, 16, 0};
}

void CEngineBase::BuildDrawLists() {
  FreezeClock(1);
  for (auto& sprite : sprites) {
    if (!sprite || !sprite->Update(screenEffectLevel) || !sprite->IsVisible()) continue;
    const int priority = sprite->Priority();
    if (priority < 0 || priority > 127) continue;
    LayerNode& head = drawListHeads[priority];
    LayerNode* first = sprite->EffectFirstTile();
    LayerNode* last = sprite->EffectLastTile();
    if (!first || !last) first = last = sprite->Node();
    last->next = head.next;
    head.next = first;
  }
  FreezeClock(0);
}

void CEngineBase::RemoveFinishedSprites() {
  for (auto& sprite : sprites) {
    if (!sprite || !sprite->RemoveAfterEffect()) continue;
    sprite->EndEffect();
    RECT bounds = sprite->ComputeBounds();
    dirtyList->Add(&bounds, 1);
    sprite.reset();
  }
}

void CEngineBase::InvalidateMovedSprites() {
  for (auto& sprite : sprites) {
    RECT dirty;
    if (sprite && sprite->TakeChange(&dirty)) dirtyList->Add(&dirty, 1);
  }
}
