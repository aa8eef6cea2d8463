#include "engine/shell/engine_base.h"
#include "engine/runtime/engine_clock.h"

void CEngineBase::ClearDrawLists() {
  // The empty layer list runs from priority 127 down to 0.
  for (int i = 0; i < 128; ++i) drawListHeads[i] = LayerNode{i > 0 ? &drawListHeads[i - 1] : nullptr, 16, 0};
}

void CEngineBase::BuildDrawLists() {
  FreezeClock(1);
  for (auto& sprite : sprites) {
    if (!sprite || !sprite->Update(&screenEffectLevel) || !sprite->visible) continue;
    if (sprite->priority < 0 || sprite->priority > 127) continue;
    LayerNode& head = drawListHeads[sprite->priority];
    // A running effect draws its tiles, in array order, in place of the part.
    LayerNode* first = &sprite->node;
    LayerNode* last = first;
    if (sprite->IsEffectRunning() && sprite->FirstTile()) {
      first = sprite->FirstTile();
      last = sprite->LastTile();
    }
    last->next = head.next;
    head.next = first;
  }
  FreezeClock(0);
}

void CEngineBase::RemoveFinishedSprites() {
  for (auto& sprite : sprites) {
    if (!sprite || !sprite->retired) continue;
    sprite->EndEffect();
    RECT bounds;
    sprite->ComputeBounds(&bounds, false);
    dirtyList->Add(&bounds, 1);
    sprite.reset();
  }
}

void CEngineBase::InvalidateMovedSprites() {
  for (auto& sprite : sprites) {
    RECT dirty;
    if (sprite && sprite->TakeDirtyRect(&dirty)) dirtyList->Add(&dirty, 1);
  }
}
