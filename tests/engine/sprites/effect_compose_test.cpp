// Whole frames through the engine's draw lists and compositor, checked
// pixel by pixel against models written here from the effects' rules.
#include <cmath>
#include <functional>
#include <numbers>

#include "engine/raster/raster_pixel.h"
#include "engine/shell/engine_base.h"
#include "host/time/time_api.h"
#include "sprite_fixture.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr std::uint16_t kBackground = 0x001F;
constexpr std::uint16_t kRed = 0xF800;
constexpr std::uint16_t kGreen = 0x07E0;

// Picture slot 1 is a 320 x 240 checkerboard of 20 x 15 squares in red and
// green. The part shows its source (40, 20)-(200, 140), 160 x 120 px, at
// (80, 60); effects run 1000 ms from time 0.
class ComposedFrame : public SpriteTest {
 protected:
  void SetUp() override {
    SpriteTest::SetUp();
    HostClockSetMode(HostClockMode::Virtual);
    UseScreen(kWidth, kHeight);
    engine = std::make_unique<CEngineBase>();
    engine->dirtyList->SetSize(kWidth, kHeight);
    engine->backgroundColor = 0x000000F8;  // kBackground on screen
    engine->pictureSlots.CreateBlankPictureSlot(1, 800, 600);
    CImage* picture = engine->pictureSlots.Get(1);
    ASSERT_EQ(picture->CreateBlank(kWidth, kHeight, 0, 2), 1);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) picture->GetPixels()[y * kWidth + x] = Picture(x, y);
  }

  static std::uint16_t Picture(int x, int y) { return (x / 20 + y / 15) % 2 ? kRed : kGreen; }
  // The part's own pixel at screen (x, y) when drawn in place.
  static std::uint16_t PartPixel(int x, int y) { return Picture(x - 80 + 40, y - 60 + 20); }
  static bool InPart(int x, int y) { return x >= 80 && x < 240 && y >= 60 && y < 180; }

  CSpritePart* PlacePart(int slot) {
    auto part = std::make_unique<CSpritePart>();
    part->InitImageRect(1, 100, 50, 400, 300);
    part->SetPosition(200, 150);
    CSpritePart* raw = part.get();
    engine->sprites[static_cast<std::size_t>(slot)] = std::move(part);
    return raw;
  }

  // One frame tick's sprite and render steps at time t, the whole screen
  // redrawn.
  void RenderAt(std::uint32_t t) {
    SetNow(t);
    engine->ClearDrawLists();
    engine->BuildDrawLists();
    engine->RemoveFinishedSprites();
    engine->InvalidateMovedSprites();
    engine->InvalidateDesignRect(0, 0, 800, 600);
    engine->backgroundClear = 1;
    engine->RenderFrame(engine->LayerListHead());
    engine->dirtyList->Clear();
  }

  // Every screen pixel against the model; the first few differences shown.
  void ExpectScreen(const std::function<std::uint16_t(int, int)>& model) {
    const std::uint16_t* screen = engine->backBuffer->GetPixels();
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const std::uint16_t want = model(x, y);
        if (screen[y * kWidth + x] == want) continue;
        if (++wrong <= 5)
          ADD_FAILURE() << "pixel (" << x << ", " << y << "): 0x" << std::hex << screen[y * kWidth + x]
                        << " instead of 0x" << want;
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  std::unique_ptr<CEngineBase> engine;
};

TEST_F(ComposedFrame, BlindsShowTheOpenedTopOfEachStrip) {
  PlacePart(4)->StartEffect(5, 1000, 0, 0, 0);
  RenderAt(500);
  // Strips of 8 px, 15 steps: at half time strip k is open 7 - k / 2 px.
  ExpectScreen([](int x, int y) -> std::uint16_t {
    if (!InPart(x, y)) return kBackground;
    const int k = (y - 60) / 8;
    const int open = std::clamp(7 - k / 2, 0, 8);
    return (y - 60) % 8 < open ? PartPixel(x, y) : kBackground;
  });
}

TEST_F(ComposedFrame, FadingCellsBlendByTheirDelay) {
  PlacePart(4)->StartEffect(20, 1000, 50, 0, 64);
  RenderAt(500);
  // Cells of 20 px, 16 steps: at half time cell (c, r) has level
  // 64 (8 - c - r), between 0 and 256.
  ExpectScreen([](int x, int y) -> std::uint16_t {
    if (!InPart(x, y)) return kBackground;
    const int level = std::clamp(64 * (8 - (x - 80) / 20 - (y - 60) / 20), 0, 256);
    return Blend64(PartPixel(x, y), kBackground, static_cast<std::uint32_t>(level) / 4);
  });
}

TEST_F(ComposedFrame, SlideComesInFromTheRight) {
  PlacePart(4)->StartEffect(33, 1000, 0, 0, 0);
  RenderAt(250);
  // A quarter of the way: 120 px of the part's width still to go.
  ExpectScreen([](int x, int y) -> std::uint16_t {
    if (x < 200 || y < 60 || y >= 180) return kBackground;
    return PartPixel(x - 120, y);
  });
}

TEST_F(ComposedFrame, WaveSwingsEveryRow) {
  PlacePart(4)->StartEffect(48, 1000, 10, 5, 1);
  RenderAt(500);
  // Amplitude 5 and phase 180 at half time: row r moves by 5 cos(5 (r + 180)).
  ExpectScreen([](int x, int y) -> std::uint16_t {
    if (y < 60 || y >= 180) return kBackground;
    const int r = y - 60;
    const int shift = static_cast<int>(5 * std::cos((5 * (r + 180) % 360) * std::numbers::pi / 180));
    const int u = x - shift;
    return u >= 80 && u < 240 ? PartPixel(u, y) : kBackground;
  });
}

TEST_F(ComposedFrame, WholePartFadeAndItsEnd) {
  CSpritePart* part = PlacePart(4);
  part->StartEffect(129, 1000, 0, 0, 0);
  RenderAt(250);
  ExpectScreen([](int x, int y) -> std::uint16_t {
    return InPart(x, y) ? Blend64(PartPixel(x, y), kBackground, 192 / 4) : kBackground;
  });
  // At the end the part is retired, removed and its area redrawn.
  RenderAt(1000);
  EXPECT_EQ(engine->sprites[4], nullptr);
  ExpectScreen([](int, int) { return kBackground; });
}

TEST_F(ComposedFrame, EqualPrioritiesPutTheLowerSlotOnTop) {
  CSpritePart* three = PlacePart(3);
  CSpritePart* seven = PlacePart(7);
  three->InitColorFill(200, 150, 400, 300, 0xFF0000);
  seven->InitColorFill(300, 150, 400, 300, 0x00FF00);
  RenderAt(0);
  ExpectScreen([](int x, int y) -> std::uint16_t {
    if (y < 60 || y >= 180) return kBackground;
    if (x >= 80 && x < 240) return kRed;
    return x >= 240 && x < 280 ? kGreen : kBackground;
  });
}

}  // namespace
