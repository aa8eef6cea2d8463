#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/archive/archive_reader.h"
#include "engine/shell/engine_base.h"
#include "engine/runtime/runtime_globals.h"
#include "host/time/time_api.h"
#include "raster_fixtures.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// The engine's frame render with its layer compositor on a 64 x 48 screen.
class CompositorInEngine : public ::testing::Test {
 protected:
  CompositorInEngine() {
    HostClockSetMode(HostClockMode::Virtual);
    SetDesignWidth(800);
    SetDesignHeight(600);
    SetScreenWidth(kWidth);
    SetScreenHeight(kHeight);
    engine_ = std::make_unique<CEngineBase>();
    engine_->dirtyList->SetSize(kWidth, kHeight);
    pixels_ = engine_->backBuffer->GetPixels();
    std::fill(pixels_, pixels_ + kWidth * kHeight, 0x0001);
  }

  std::uint16_t At(int x, int y) const { return pixels_[y * kWidth + x]; }

  void AddDirty(RECT r, std::uint32_t kind) { engine_->dirtyList->Add(&r, kind); }

  std::unique_ptr<CEngineBase> engine_;
  std::uint16_t* pixels_ = nullptr;
};

TEST_F(CompositorInEngine, BackgroundAndLayersGoIntoRedrawRectanglesOnly) {
  AddDirty({0, 0, 10, 10}, 1);
  AddDirty({20, 20, 30, 30}, 0);
  // A half-transparent white fill over the whole screen, on a blue background.
  LayerNode fill;
  fill.kind = kLayerFill;
  fill.color = 0xFFFFFF;
  fill.opacity = 128;
  fill.srcRight = kWidth;
  fill.srcBottom = kHeight;
  engine_->backgroundClear = 1;
  engine_->backgroundColor = 0x000000F8;  // blue, 0x001F on screen
  engine_->RenderFrame(&fill);
  EXPECT_EQ(At(5, 5), 0x7BFF);    // half white over the blue background
  EXPECT_EQ(At(25, 25), 0x0001);  // present-only: not redrawn
  EXPECT_EQ(At(15, 5), 0x0001);   // outside every rectangle

  // Without the background flag the layers go over what was there.
  engine_->backgroundClear = 0;
  std::fill(pixels_, pixels_ + kWidth * kHeight, 0x0000);
  engine_->RenderFrame(&fill);
  EXPECT_EQ(At(5, 5), 0x7BEF);
}

TEST_F(CompositorInEngine, PicturesComeFromTheSlotsAndTheRuleTransitionEndsThere) {
  // Slot 7: a blank picture made opaque grey, drawn through the rule.
  engine_->pictureSlots.CreateBlankPictureSlot(7, 800, 600);
  CImage* picture = engine_->pictureSlots.Get(7);
  ASSERT_NE(picture, nullptr);
  ASSERT_EQ(picture->CreateBlank(kWidth, kHeight, 0x84, 2), 1);  // every pixel 0x8484

  TempFolder folder;
  TestClock clock;
  CArchiveReader reader;
  const std::string path =
      folder.WriteArchive("pict.mlz", {{"rule.rbp", MakeRuleFile(kWidth, kHeight, [](int, int) { return 63; })}});
  engine_->ruleTransition = std::make_unique<CRuleTransition>(kWidth, kHeight);
  ASSERT_EQ(engine_->ruleTransition->LoadRule("rule", path.c_str(), &reader, 100, 0), 1);
  ASSERT_EQ(engine_->ruleTransition->Start(), 1);

  LayerNode node;
  node.kind = kLayerPicture;
  node.imageSlot = 7;
  node.srcRight = kWidth;
  node.srcBottom = kHeight;
  node.ruleMode = kRuleModeTransition;
  AddDirty({0, 0, kWidth, kHeight}, 1);
  engine_->backgroundColor = 0;
  engine_->RenderFrame(&node);
  EXPECT_EQ(At(0, 0), 0x8484);
  EXPECT_EQ(At(kWidth - 1, kHeight - 1), 0x8484);

  clock.Set(100);
  engine_->RenderFrame(&node);
  EXPECT_EQ(engine_->ruleTransition, nullptr);
  EXPECT_EQ(At(0, 0), 0x0000);
}

}  // namespace
