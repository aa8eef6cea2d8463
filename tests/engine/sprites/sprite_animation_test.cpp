#include <cstring>

#include "sprite_fixture.h"

namespace {

class Animation : public SpriteTest {
 protected:
  void SetUp() override {
    SpriteTest::SetUp();
    part = MakePart(0, 0, 100, 100, 0, 0);
    part->InitImageRect(9, 0, 0, 100, 100);
  }
  // Frame i: picture slot 10 + i, source (100 i, 0, 50 x 50), offset (i, 0).
  void Frame(int i, std::uint16_t next, std::uint16_t ms, int animation = -1) {
    part->SetAnimationFrame(i, next, ms, 10 + i, 100 * i, 0, 50, 50, 5 * i, 0, animation);
  }
  int Tick(std::uint32_t ms) {
    SetNow(ms);
    return part->Update(&level);
  }

  std::unique_ptr<CSpritePart> part;
  std::uint32_t level = 256;
};

TEST_F(Animation, FramesAdvanceWhenDueAndLoopUntilStopped) {
  Frame(0, 1, 100, 2);
  Frame(1, 2, 50);
  Frame(2, 0, 100);
  SetNow(1000);
  part->StartAnimation(2);
  EXPECT_EQ(part->node.imageSlot, 10);
  EXPECT_EQ(part->node.srcRight, 40);
  EXPECT_EQ(part->nextFrameMs, 1100u);

  struct Step {
    std::uint32_t at;
    int slot;
    int drawX;
  };
  const Step steps[] = {{1099, 10, 0}, {1100, 11, 4}, {1149, 11, 4}, {1150, 12, 8},
                        {1250, 10, 0}, {1350, 11, 4}, {1400, 12, 8}, {1500, 10, 0}};
  for (const Step& s : steps) {
    EXPECT_EQ(Tick(s.at), 1) << s.at;
    EXPECT_EQ(part->node.imageSlot, s.slot) << s.at;
    EXPECT_EQ(part->node.drawX, s.drawX) << s.at;
  }
  EXPECT_EQ(part->node.srcLeft, 0);
  Tick(1550);
  EXPECT_EQ(part->animTicks, 1);

  part->StopAnimation();
  EXPECT_EQ(part->animRunning, 0u);
  EXPECT_EQ(part->node.imageSlot, 9);
  EXPECT_EQ((Box{part->node.srcLeft, part->node.srcTop, part->node.srcRight, part->node.srcBottom}),
            (Box{0, 0, 80, 80}));
  EXPECT_EQ(part->width, 80);
  EXPECT_EQ(Tick(5000), 1);
  EXPECT_EQ(part->node.imageSlot, 9);
}

TEST_F(Animation, DueTicksAcrossAClockWrap) {
  Frame(0, 1, 0x80, 0);
  Frame(1, 0, 0x80);
  // Started late before the wrap: due at 0xFFFFFF80.
  SetNow(0xFFFFFF00);
  part->StartAnimation(0);
  EXPECT_EQ(Tick(0xFFFFFF7F), 1);
  EXPECT_EQ(part->node.imageSlot, 10);
  // Now past the wrap and past due.
  EXPECT_EQ(Tick(0x10), 1);
  EXPECT_EQ(part->node.imageSlot, 11);

  // Due after the wrap: not advanced before it.
  SetNow(0xFFFFFFF0);
  part->StartAnimation(0);
  EXPECT_EQ(part->nextFrameMs, 0x70u);
  Tick(0xFFFFFFF8);
  EXPECT_EQ(part->node.imageSlot, 10);
  Tick(0x70);
  EXPECT_EQ(part->node.imageSlot, 11);
}

TEST_F(Animation, EndMarkerRetiresThePart) {
  Frame(0, 1, 100, 0);
  Frame(1, kAnimEnd, 100);
  part->StartAnimation(0);
  EXPECT_EQ(Tick(99), 1);
  EXPECT_EQ(Tick(100), 0);
  EXPECT_EQ(part->retired, 1u);
  EXPECT_EQ(Tick(500), 0);
}

TEST_F(Animation, HideMarkerHidesAndStopsTheAnimation) {
  Frame(0, 1, 100, 0);
  Frame(1, kAnimHide, 100);
  part->StartAnimation(0);
  RECT taken;
  part->TakeDirtyRect(&taken);
  EXPECT_EQ(Tick(100), 0);
  EXPECT_EQ(part->visible, 0u);
  EXPECT_EQ(part->dirty, 1u);
  EXPECT_EQ(part->animRunning, 0u);
  // Later due ticks read no frame beyond the table.
  EXPECT_EQ(Tick(200), 1);
  EXPECT_EQ(Tick(100000), 1);
  EXPECT_EQ(part->retired, 0u);
  // Shown again with the rectangle it had.
  part->SetVisible(1);
  EXPECT_EQ(part->node.imageSlot, 10);
  EXPECT_EQ(part->node.srcRight, 40);
}

TEST_F(Animation, IndexesOutsideTheTablesChangeNothing) {
  Frame(0, 1, 100, 0);
  AnimFrame framesBefore[kAnimFrameCount];
  std::memcpy(framesBefore, part->frames, sizeof framesBefore);
  std::uint16_t startsBefore[kAnimationCount];
  std::memcpy(startsBefore, part->animStart, sizeof startsBefore);

  part->SetAnimationFrame(64, 0, 100, 1, 0, 0, 10, 10, 0, 0, 1);
  part->SetAnimationFrame(-1, 0, 100, 1, 0, 0, 10, 10, 0, 0, 1);
  part->SetAnimationFrame(3, 0, 100, 1, 0, 0, 10, 10, 0, 0, 16);
  part->SetAnimationFrame(3, 0, 100, 1, 0, 0, 10, 10, 0, 0, -2);
  EXPECT_EQ(std::memcmp(framesBefore, part->frames, sizeof framesBefore), 0);
  EXPECT_EQ(std::memcmp(startsBefore, part->animStart, sizeof startsBefore), 0);

  for (int animation : {1, 15, 16, -1}) {
    part->StartAnimation(animation);
    EXPECT_EQ(part->animRunning, 0u) << animation;
    EXPECT_EQ(part->node.imageSlot, 9) << animation;
  }

  // A next index beyond the table ends the animation like the end marker.
  Frame(0, 70, 100, 0);
  part->StartAnimation(0);
  EXPECT_EQ(Tick(100), 0);
  EXPECT_EQ(part->retired, 1u);
}

}  // namespace
