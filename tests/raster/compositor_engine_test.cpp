#include <gtest/gtest.h>

#include <memory>

#include "engine/compositor_engine.h"
#include "engine/runtime_globals.h"
#include "host/time_api.h"

namespace {

// The frame render of the engine with the layer compositor installed: the
// background fill and the layers go into every redraw rectangle only.
TEST(CompositorInEngine, FrameRenderFillsAndComposesRedrawRectangles) {
  HostClockSetMode(HostClockMode::Virtual);
  SetDesignWidth(800);
  SetDesignHeight(600);
  SetScreenWidth(64);
  SetScreenHeight(48);
  CEngineBase engine;
  std::uint32_t status = 0;
  CPictureSlots slots(status);
  std::unique_ptr<CRuleTransition> rule;
  InstallLayerCompositor(engine, slots, rule);
  engine.dirtyList->SetSize(64, 48);

  std::uint16_t* pixels = engine.backBuffer->GetPixels();
  std::fill(pixels, pixels + 64 * 48, 0x0001);
  RECT redraw{0, 0, 10, 10};
  RECT presentOnly{20, 20, 30, 30};
  engine.dirtyList->Add(&redraw, 1);
  engine.dirtyList->Add(&presentOnly, 0);

  // A half-transparent white fill over the whole screen, on a blue background.
  LayerNode fill;
  fill.kind = kLayerFill;
  fill.color = 0xFFFFFF;
  fill.opacity = 128;
  fill.srcRight = 64;
  fill.srcBottom = 48;
  engine.backgroundClear = 1;
  engine.backgroundColor = 0x001F;
  engine.RenderFrame(&fill);
  EXPECT_EQ(pixels[5 * 64 + 5], 0x7BFF);  // half white over the blue background
  EXPECT_EQ(pixels[25 * 64 + 25], 0x0001);  // present-only: not redrawn
  EXPECT_EQ(pixels[5 * 64 + 15], 0x0001);   // outside every rectangle

  // Without the background flag the layers go over what was there.
  engine.backgroundClear = 0;
  std::fill(pixels, pixels + 64 * 48, 0x0000);
  engine.RenderFrame(&fill);
  EXPECT_EQ(pixels[5 * 64 + 5], 0x7BEF);
}

}  // namespace
