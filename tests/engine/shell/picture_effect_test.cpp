// The picture colour effect of the engine: which effect each value picks,
// and that empty or foreign slots are left alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "engine/shell/game_engine.h"
#include "shell_fixture.h"

namespace {

class PictureEffectTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    engine_ = std::make_unique<CGameEngine>();
  }
  void TearDown() override {
    engine_.reset();
    ShellTest::TearDown();
  }

  // A one-pixel-high red picture (design 10 x 2, screen 8 x 1) in slot 5.
  CImage& RedPicture() {
    engine_->pictureSlots.CreateBlankPictureSlot(kSlot, 10, 2);
    CImage& picture = *engine_->pictureSlots.Get(kSlot);
    for (std::uint32_t i = 0; i < picture.width * picture.height; ++i) picture.GetPixels()[i] = 0xF800;
    return picture;
  }

  static constexpr int kSlot = 5;
  std::unique_ptr<CGameEngine> engine_;
};

TEST_F(PictureEffectTest, EachEffectValuePicksItsTone) {
  const struct {
    int effect;
    std::uint16_t pixel;
    std::uint32_t state;
  } kCases[] = {
      {kPictureEffectInvert, 0x07FF, kEffectInverted},
      {kPictureEffectGrey, 0x528A, kEffectGrey},
      {kPictureEffectSepia, 0x5205, kEffectSepia},
      {0, 0xF800, kEffectNone},
      {4, 0xF800, kEffectNone},
      {-1, 0xF800, kEffectNone},
  };
  for (const auto& c : kCases) {
    CImage& picture = RedPicture();
    engine_->ApplyPictureEffect(kSlot, c.effect);
    EXPECT_EQ(picture.GetPixels()[7], c.pixel) << c.effect;
    EXPECT_EQ(picture.effectState, c.state) << c.effect;
  }
}

TEST_F(PictureEffectTest, EmptyAndForeignSlotsAreLeftAlone) {
  CImage& picture = RedPicture();
  for (int slot : {kSlot + 1, -1, kPictureSlotCount}) {
    for (int effect : {kPictureEffectInvert, kPictureEffectGrey, kPictureEffectSepia}) {
      engine_->ApplyPictureEffect(slot, effect);
    }
  }
  EXPECT_EQ(engine_->pictureSlots.Get(kSlot + 1), nullptr);
  EXPECT_EQ(picture.GetPixels()[0], 0xF800);
  EXPECT_EQ(picture.effectState, kEffectNone);
  EXPECT_EQ(engine_->statusWord, 0u);
}

}  // namespace
