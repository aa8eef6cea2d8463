#include <gtest/gtest.h>

#include "engine/shell/engine_base.h"
#include "engine/runtime/engine_clock.h"
#include "engine/shell/game_engine.h"
#include "fake_ports.h"
#include "shell_fixture.h"

namespace {

struct FakeSprite : PartSpritePort {
  int priority = 0;
  bool visible = true;
  int updated = 1;
  bool removeAfterEffect = false;
  bool changed = false;
  LayerNode node{nullptr, 76, 1};
  LayerNode tiles[2] = {{nullptr, 76, 1}, {nullptr, 76, 1}};
  bool effect = false;
  std::uint32_t seenLevel = 0;
  std::uint32_t clockDuringUpdate = 0;

  int Update(std::uint32_t level) override {
    seenLevel = level;
    clockDuringUpdate = GetClockMs();
    HostClockAdvance(5);  // time passes, but the frame's clock stands still
    return updated;
  }
  bool IsVisible() const override { return visible; }
  int Priority() const override { return priority; }
  LayerNode* Node() override { return &node; }
  LayerNode* EffectFirstTile() override {
    if (effect) tiles[0].next = &tiles[1];
    return effect ? &tiles[0] : nullptr;
  }
  LayerNode* EffectLastTile() override { return effect ? &tiles[1] : nullptr; }
  bool RemoveAfterEffect() const override { return removeAfterEffect; }
  void EndEffect() override { HostCallLogRecord("EndEffect"); }
  RECT ComputeBounds() override { return RECT{1, 2, 3, 4}; }
  bool TakeChange(RECT* dirty) override {
    if (!changed) return false;
    changed = false;
    *dirty = RECT{5, 6, 7, 8};
    return true;
  }
};

class DrawListTest : public ShellTest {
 protected:
  FakeSprite* Put(int slot, int priority) {
    auto sprite = std::make_unique<FakeSprite>();
    sprite->priority = priority;
    FakeSprite* raw = sprite.get();
    engine.sprites[static_cast<std::size_t>(slot)] = std::move(sprite);
    return raw;
  }
  // The drawable nodes of the layer list in composing order.
  std::vector<const LayerNode*> Drawn() const {
    std::vector<const LayerNode*> drawn;
    for (const LayerNode* node = engine.LayerListHead(); node; node = node->next) {
      if (node->kind != 0) drawn.push_back(node);
    }
    return drawn;
  }

  CEngineBase engine;
};

TEST_F(DrawListTest, HighPriorityFirstAndHigherSlotBelowWithinOnePriority) {
  engine.ClearDrawLists();
  int heads = 0;
  for (const LayerNode* node = engine.LayerListHead(); node; node = node->next) ++heads;
  EXPECT_EQ(heads, 128);

  FakeSprite* top = Put(0, 0);
  FakeSprite* three = Put(3, 10);
  FakeSprite* seven = Put(7, 10);
  FakeSprite* back = Put(9, 127);
  FakeSprite* hidden = Put(11, 5);
  hidden->visible = false;
  FakeSprite* idle = Put(12, 5);
  idle->updated = 0;
  engine.ClearDrawLists();
  engine.BuildDrawLists();
  EXPECT_EQ(Drawn(), (std::vector<const LayerNode*>{&back->node, &seven->node, &three->node, &top->node}));
}

TEST_F(DrawListTest, RunningEffectSplicesItsTileChain) {
  FakeSprite* plain = Put(1, 20);
  FakeSprite* effect = Put(2, 20);
  effect->effect = true;
  engine.ClearDrawLists();
  engine.BuildDrawLists();
  EXPECT_EQ(Drawn(), (std::vector<const LayerNode*>{&effect->tiles[0], &effect->tiles[1], &plain->node}));
}

TEST_F(DrawListTest, OneFrameSeesOneTimeAndTheEffectLevel) {
  FakeSprite* first = Put(1, 20);
  FakeSprite* second = Put(2, 20);
  engine.screenEffectLevel = 512;
  HostClockSetVirtualNow(100);
  engine.ClearDrawLists();
  engine.BuildDrawLists();
  EXPECT_EQ(first->clockDuringUpdate, second->clockDuringUpdate);
  EXPECT_EQ(second->seenLevel, 512u);
  EXPECT_EQ(GetClockMs(), 110u);  // running again afterwards
}

TEST_F(DrawListTest, FinishedSpritesGoAndMovedOnesAreMarked) {
  engine.dirtyList->SetSize(640, 480);
  Put(4, 1)->removeAfterEffect = true;
  Put(5, 1)->changed = true;
  engine.RemoveFinishedSprites();
  EXPECT_EQ(engine.sprites[4], nullptr);
  EXPECT_EQ(HostCallLogTake(), std::vector<std::string>{"EndEffect"});
  engine.InvalidateMovedSprites();
  engine.InvalidateMovedSprites();
  ASSERT_EQ(engine.dirtyList->Count(), 2u);
  RECT rect;
  engine.dirtyList->GetAt(0, &rect);
  EXPECT_EQ(rect.left, 1);
  engine.dirtyList->GetAt(1, &rect);
  EXPECT_EQ(rect.left, 5);
}

}  // namespace
