// One engine frame (sprite updates, draw lists and composition of the whole
// 640 x 480 screen) with a full-screen part under the wave (one tile per
// pixel row) and under fading cells of 8 px, against memcpy of the
// screen's bytes.
#include <benchmark/benchmark.h>

#include <memory>

#include "memcpy_floor.h"
#include "engine/runtime/engine_clock.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/engine_base.h"
#include "host/time/time_api.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// Mid-effect, every frame the same time.
std::uint32_t MidEffectClock() { return 10000; }
std::uint32_t StartClock() { return 0; }

void RunEffectFrames(benchmark::State& state, int effect, int a, int b, int c) {
  HostClockSetMode(HostClockMode::Virtual);
  SetDesignWidth(800);
  SetDesignHeight(600);
  SetScreenWidth(kWidth);
  SetScreenHeight(kHeight);
  auto engine = std::make_unique<CEngineBase>();
  engine->dirtyList->SetSize(kWidth, kHeight);
  engine->pictureSlots.CreateBlankPictureSlot(0, 800, 600);
  CImage* picture = engine->pictureSlots.Get(0);
  picture->CreateBlank(kWidth, kHeight, 0, 2);
  for (int i = 0; i < kWidth * kHeight; ++i) picture->GetPixels()[i] = static_cast<std::uint16_t>(i * 37);

  SetClockSource(StartClock);
  GetClockMs();
  auto part = std::make_unique<CSpritePart>();
  part->InitImageRect(0, 0, 0, 800, 600);
  part->SetPosition(0, 0);
  part->StartEffect(effect, 30000, a, b, c);
  const std::int64_t tiles = part->LastTile() - part->FirstTile() + 1;
  engine->sprites[0] = std::move(part);
  SetClockSource(MidEffectClock);
  GetClockMs();

  for (auto _ : state) {
    engine->ClearDrawLists();
    engine->BuildDrawLists();
    engine->RemoveFinishedSprites();
    engine->InvalidateMovedSprites();
    engine->RenderFrame(engine->LayerListHead());
    engine->dirtyList->Clear();
    benchmark::DoNotOptimize(engine->backBuffer->GetPixels());
    benchmark::ClobberMemory();
  }
  state.counters["tiles"] = static_cast<double>(tiles);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
  SetClockSource(nullptr);
}

void BM_FrameUnderWave(benchmark::State& state) { RunEffectFrames(state, 48, 20, 3, 2); }
BENCHMARK(BM_FrameUnderWave);

void BM_FrameUnderFadingCells(benchmark::State& state) { RunEffectFrames(state, 20, 10, 0, 8); }
BENCHMARK(BM_FrameUnderFadingCells);

// The floor: memcpy of the screen's bytes.
void BM_MemcpyScreen(benchmark::State& state) {
  RunMemcpyFloor(state, std::size_t{kWidth} * kHeight * 2);
}
BENCHMARK(BM_MemcpyScreen);

}  // namespace
