#include <gtest/gtest.h>

#include "engine/shell/engine_base.h"
#include "engine/runtime/engine_clock.h"
#include "engine/shell/game_engine.h"
#include "fake_ports.h"
#include "shell_fixture.h"

namespace {

class DrawListTest : public ShellTest {
 protected:
  void TearDown() override {
    SetClockSource(nullptr);
    ShellTest::TearDown();
  }
  // A 100 x 100 design-px part of picture slot 0 at (x, 0).
  CSpritePart* Put(int slot, int priority, int x = 0) {
    auto sprite = std::make_unique<CSpritePart>();
    sprite->InitImageRect(0, 0, 0, 100, 100);
    sprite->SetPosition(x, 0);
    sprite->SetPriority(priority);
    CSpritePart* raw = sprite.get();
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
  std::vector<std::vector<LONG>> DirtyRects() const {
    std::vector<std::vector<LONG>> rects;
    for (std::uint32_t i = 0; i < engine.dirtyList->Count(); ++i) {
      RECT r;
      engine.dirtyList->GetAt(i, &r);
      rects.push_back({r.left, r.top, r.right, r.bottom});
    }
    return rects;
  }
  void Frame() {
    GetClockMs();  // the frame pacing reads the clock before the lists are built
    engine.ClearDrawLists();
    engine.BuildDrawLists();
  }

  CEngineBase engine;
};

TEST_F(DrawListTest, HighPriorityFirstAndHigherSlotBelowWithinOnePriority) {
  engine.ClearDrawLists();
  int heads = 0;
  for (const LayerNode* node = engine.LayerListHead(); node; node = node->next) ++heads;
  EXPECT_EQ(heads, 128);

  CSpritePart* top = Put(0, 0);
  CSpritePart* three = Put(3, 10);
  CSpritePart* seven = Put(7, 10);
  CSpritePart* back = Put(9, 127);
  Put(11, 5)->SetVisible(0);
  Put(12, 5)->retired = 1;  // its update says it is not drawn
  Frame();
  EXPECT_EQ(Drawn(), (std::vector<const LayerNode*>{&back->node, &seven->node, &three->node, &top->node}));
  // The nodes are placed for drawing: position less anchor.
  EXPECT_EQ(top->node.drawX, 0);
  EXPECT_EQ(top->node.srcRight, 80);
}

TEST_F(DrawListTest, RunningEffectSplicesItsTileChain) {
  CSpritePart* plain = Put(1, 20);
  CSpritePart* effect = Put(2, 20);
  ASSERT_EQ(effect->StartEffect(5, 1000, 0, 0, 0), 1);  // 80 px high: 5 strips of 16
  Frame();
  std::vector<const LayerNode*> expected;
  for (const LayerNode* tile = effect->FirstTile(); tile <= effect->LastTile(); ++tile) expected.push_back(tile);
  ASSERT_EQ(expected.size(), 5u);
  expected.push_back(&plain->node);
  EXPECT_EQ(Drawn(), expected);

  // Once the effect is over the part itself is drawn again.
  HostClockSetVirtualNow(1000);
  Frame();
  EXPECT_EQ(Drawn(), (std::vector<const LayerNode*>{&effect->node, &plain->node}));
}

// A clock that moves on at every reading.
std::uint32_t TickingClock() {
  static std::uint32_t now = 0;
  return now += 7;
}

TEST_F(DrawListTest, OneFrameSeesOneTimeAndTheEffectLevel) {
  CSpritePart* first = Put(1, 20);
  CSpritePart* second = Put(2, 20);
  SetClockSource(TickingClock);
  GetClockMs();
  FreezeClock(1);
  first->StartEffect(1, 1000, 0, 0, 0);
  second->StartEffect(1, 1000, 0, 0, 0);
  FreezeClock(0);
  for (int i = 0; i < 5; ++i) GetClockMs();
  Frame();
  ASSERT_TRUE(first->IsEffectRunning());
  EXPECT_GT(first->FirstTile()->opacity, 0);
  EXPECT_EQ(first->FirstTile()->opacity, second->FirstTile()->opacity);
  EXPECT_NE(GetClockMs(), GetClockMs());  // running again afterwards

  // Brightness fades leave their level in the engine's word when they end.
  first->StartEffect(63, 0, 1, 0, 0);
  engine.screenEffectLevel = 512;
  Frame();
  EXPECT_EQ(engine.screenEffectLevel, 256u);
  second->StartEffect(191, 0, 1, 0, 0);
  Frame();
  EXPECT_EQ(engine.screenEffectLevel, 0u);
}

TEST_F(DrawListTest, FinishedSpritesGoAndMovedOnesAreMarked) {
  engine.dirtyList->SetSize(640, 480);
  Put(4, 1, 400)->retired = 1;
  CSpritePart* moved = Put(5, 1, 0);
  engine.RemoveFinishedSprites();
  EXPECT_EQ(engine.sprites[4], nullptr);
  EXPECT_EQ(DirtyRects(), (std::vector<std::vector<LONG>>{{320, 0, 400, 80}}));
  engine.dirtyList->Clear();

  // A new part is dirty once; after a move the old and new places are.
  engine.InvalidateMovedSprites();
  engine.InvalidateMovedSprites();
  EXPECT_EQ(DirtyRects(), (std::vector<std::vector<LONG>>{{0, 0, 80, 80}}));
  engine.dirtyList->Clear();
  moved->SetPosition(100, 0);
  engine.InvalidateMovedSprites();
  EXPECT_EQ(DirtyRects(), (std::vector<std::vector<LONG>>{{0, 0, 160, 80}}));
}

}  // namespace
