#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/shell/engine_base.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/shell_fixture.h"

namespace {

class PartSlots : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    engine_ = std::make_unique<CEngineBase>();
    engine_->dirtyList->SetSize(640, 480);
  }

  // A 100 x 100 design-px part at (x, y), already redrawn once.
  CSpritePart* Put(int slot, int x, int y) {
    auto part = std::make_unique<CSpritePart>();
    part->InitImageRect(0, 0, 0, 100, 100);
    part->SetPosition(x, y);
    CSpritePart* raw = part.get();
    engine_->sprites[static_cast<std::size_t>(slot)] = std::move(part);
    engine_->InvalidateMovedSprites();
    engine_->dirtyList->Clear();
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
};

TEST_F(PartSlots, FreeingWithInvalidationRedrawsTheAreaCovered) {
  Put(3, 0, 0);
  CSpritePart* moved = Put(4, 400, 300);
  CSpritePart* sliding = Put(5, 0, 400);
  Put(6, 600, 0);
  moved->SetPosition(500, 300);  // not redrawn since: where it was and where it is
  sliding->StartEffect(163, 1000, 0, 0, 0);

  FreePartSlot(*engine_, 3, 1);
  FreePartSlot(*engine_, 4, 1);
  FreePartSlot(*engine_, 5, 1);  // the effect ends: the part's own place
  FreePartSlot(*engine_, 6, 0);
  EXPECT_EQ(DirtyRects(),
            (std::vector<std::vector<LONG>>{{0, 0, 80, 80}, {320, 240, 480, 320}, {0, 320, 80, 400}}));
  for (int slot : {3, 4, 5, 6}) EXPECT_EQ(engine_->sprites[slot], nullptr);
}

TEST_F(PartSlots, FreeAllInvalidatesEveryPartAndIgnoresBadNumbers) {
  Put(0, 0, 0);
  Put(511, 700, 500);
  FreePartSlot(*engine_, 512, 1);
  FreePartSlot(*engine_, -1, 1);
  FreePartSlot(*engine_, 7, 1);  // empty
  EXPECT_NE(engine_->sprites[0], nullptr);
  EXPECT_TRUE(DirtyRects().empty());
  FreeAllPartSlots(*engine_);
  EXPECT_EQ(engine_->sprites[0], nullptr);
  EXPECT_EQ(engine_->sprites[511], nullptr);
  EXPECT_EQ(DirtyRects(), (std::vector<std::vector<LONG>>{{0, 0, 80, 80}, {560, 400, 640, 480}}));
}

TEST_F(PartSlots, StylusHitTestReadsTheLastStylusPoint) {
  engine_->input[INPUT_STYLUS_X] = 240;
  engine_->input[INPUT_STYLUS_Y] = 160;
  EXPECT_EQ(IsStylusInDesignRect(*engine_, 100, 100, 200, 100), 1);
  engine_->input[INPUT_STYLUS_X] = 241;
  EXPECT_EQ(IsStylusInDesignRect(*engine_, 100, 100, 200, 100), 0);
}

}  // namespace
