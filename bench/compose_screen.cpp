// Composing a whole 640 x 480 screen from an opaque background and three
// alpha sprites (soft-edged discs: transparent corners, opaque middles,
// blended rims), against memcpy of the bytes the composition writes.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "memcpy_floor.h"
#include "engine/raster/compositor.h"
#include "engine/runtime/runtime_globals.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSpriteWidth = 240;
constexpr int kSpriteHeight = 360;
constexpr int kSprites = 3;

std::unique_ptr<CImage> MakeBackground() {
  auto picture = std::make_unique<CImage>();
  picture->CreateBlank(kWidth, kHeight, 0, 2);
  for (int i = 0; i < kWidth * kHeight; ++i) picture->GetPixels()[i] = static_cast<std::uint16_t>(i * 37);
  return picture;
}

std::unique_ptr<CImage> MakeSprite() {
  auto picture = std::make_unique<CImage>();
  picture->CreateBlank(kSpriteWidth, kSpriteHeight, 0, 0);
  const int cx = kSpriteWidth / 2, cy = kSpriteHeight / 2, radius = kSpriteWidth / 2;
  for (int y = 0; y < kSpriteHeight; ++y) {
    for (int x = 0; x < kSpriteWidth; ++x) {
      const int i = y * kSpriteWidth + x;
      picture->GetPixels()[i] = static_cast<std::uint16_t>(0xF800 + x * 3 + y);
      // Opaque inside the disc, fading to transparent over a 16-pixel rim.
      const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy) / 2;
      const int rim = radius * radius - d2;
      picture->alphaPlane[i] = static_cast<std::uint8_t>(rim <= 0 ? 0 : rim >= 63 * 64 ? 63 : rim / 64);
    }
  }
  return picture;
}

void BM_ComposeScreen(benchmark::State& state) {
  SetScreenWidth(kWidth);
  SetScreenHeight(kHeight);
  std::array<std::unique_ptr<CImage>, 4> pictures{MakeBackground(), MakeSprite(), MakeSprite(), MakeSprite()};
  std::vector<std::uint16_t> screen(kWidth * kHeight);
  CLayerCompositor compositor(CompositorBindings{RasterTarget{screen.data(), kWidth, kHeight},
                                                 [&](int slot) -> const CImage* {
                                                   return slot < 4 ? pictures[slot].get() : nullptr;
                                                 },
                                                 nullptr, nullptr});
  std::array<LayerNode, 1 + kSprites> nodes;
  for (int i = 0; i <= kSprites; ++i) {
    nodes[i].kind = kLayerPicture;
    nodes[i].imageSlot = static_cast<std::int16_t>(i);
    nodes[i].srcRight = static_cast<std::int16_t>(i ? kSpriteWidth : kWidth);
    nodes[i].srcBottom = static_cast<std::int16_t>(i ? kSpriteHeight : kHeight);
    nodes[i].drawX = static_cast<std::int16_t>(i ? 40 + (i - 1) * 180 : 0);
    nodes[i].drawY = static_cast<std::int16_t>(i ? 100 : 0);
    if (i) nodes[i - 1].next = &nodes[i];
  }
  const RECT whole{0, 0, kWidth, kHeight};
  for (auto _ : state) {
    compositor.ComposeRect(&nodes[0], whole);
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * (kWidth * kHeight + kSprites * kSpriteWidth * kSpriteHeight) * 2);
}
BENCHMARK(BM_ComposeScreen);

// The physical floor: the same number of bytes moved by memcpy.
void BM_MemcpyComposedBytes(benchmark::State& state) {
  RunMemcpyFloor(state, std::size_t{kWidth * kHeight + kSprites * kSpriteWidth * kSpriteHeight} * 2);
}
BENCHMARK(BM_MemcpyComposedBytes);

}  // namespace
