#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/shell/engine_base.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/shell_fixture.h"

namespace {

struct FakePart : PartSpritePort {
  RECT bounds{0, 0, 0, 0};
  bool changed = false;
  RECT dirty{0, 0, 0, 0};
  int* effectsEnded = nullptr;
  int* deleted = nullptr;

  ~FakePart() override { ++*deleted; }
  int Update(std::uint32_t) override { return 1; }
  bool IsVisible() const override { return true; }
  int Priority() const override { return 1; }
  LayerNode* Node() override { return nullptr; }
  LayerNode* EffectFirstTile() override { return nullptr; }
  LayerNode* EffectLastTile() override { return nullptr; }
  bool RemoveAfterEffect() const override { return false; }
  void EndEffect() override { ++*effectsEnded; }
  RECT ComputeBounds() override { return bounds; }
  bool TakeChange(RECT* out) override {
    if (!changed) return false;
    changed = false;
    *out = dirty;
    return true;
  }
};

class PartSlots : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    engine_ = std::make_unique<CEngineBase>();
    engine_->dirtyList->SetSize(640, 480);
  }

  FakePart* Put(int slot, RECT bounds) {
    auto part = std::make_unique<FakePart>();
    part->bounds = bounds;
    part->effectsEnded = &effectsEnded_;
    part->deleted = &deleted_;
    FakePart* raw = part.get();
    engine_->sprites[static_cast<std::size_t>(slot)] = std::move(part);
    return raw;
  }

  std::vector<std::vector<LONG>> DirtyRects() const {
    std::vector<std::vector<LONG>> rects;
    for (std::uint32_t i = 0; i < engine_->dirtyList->Count(); ++i) {
      RECT r;
      engine_->dirtyList->GetAt(i, &r);
      rects.push_back({r.left, r.top, r.right, r.bottom});
    }
    return rects;
  }

  std::unique_ptr<CEngineBase> engine_;
  int effectsEnded_ = 0;
  int deleted_ = 0;
};

TEST_F(PartSlots, FreeingWithInvalidationRedrawsTheAreaCovered) {
  Put(3, {10, 10, 20, 20});
  FakePart* moved = Put(4, {100, 100, 120, 110});
  moved->changed = true;
  moved->dirty = {90, 100, 120, 110};  // where it was and where it is
  Put(5, {300, 300, 310, 310});

  FreePartSlot(*engine_, 3, 1);
  FreePartSlot(*engine_, 4, 1);
  FreePartSlot(*engine_, 5, 0);
  EXPECT_EQ(DirtyRects(), (std::vector<std::vector<LONG>>{{10, 10, 20, 20}, {90, 100, 120, 110}}));
  EXPECT_EQ(effectsEnded_, 2);
  EXPECT_EQ(deleted_, 3);
  for (int slot : {3, 4, 5}) EXPECT_EQ(engine_->sprites[slot], nullptr);
}

TEST_F(PartSlots, FreeAllInvalidatesEveryPartAndIgnoresBadNumbers) {
  Put(0, {0, 0, 5, 5});
  Put(511, {600, 400, 640, 480});
  FreePartSlot(*engine_, 512, 1);
  FreePartSlot(*engine_, -1, 1);
  FreePartSlot(*engine_, 7, 1);  // empty
  EXPECT_EQ(deleted_, 0);
  FreeAllPartSlots(*engine_);
  EXPECT_EQ(deleted_, 2);
  EXPECT_EQ(effectsEnded_, 2);
  EXPECT_EQ(DirtyRects().size(), 2u);
}

TEST_F(PartSlots, StylusHitTestReadsTheLastStylusPoint) {
  engine_->input[INPUT_STYLUS_X] = 240;
  engine_->input[INPUT_STYLUS_Y] = 160;
  EXPECT_EQ(IsStylusInDesignRect(*engine_, 100, 100, 200, 100), 1);
  engine_->input[INPUT_STYLUS_X] = 241;
  EXPECT_EQ(IsStylusInDesignRect(*engine_, 100, 100, 200, 100), 0);
}

}  // namespace
