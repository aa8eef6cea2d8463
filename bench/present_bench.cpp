// Presenting a whole 640 x 480 back buffer into 480 x 640 portrait display
// memory (turned by 90 degrees), against a plain copy of the same bytes;
// "x_peer" is the ratio to that copy timed in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "engine/runtime/runtime_globals.h"
#include "engine/shell/back_buffer.h"
#include "memcpy_floor.h"
#include "peer_ratio.h"

namespace {

void BM_PresentWholeScreen(benchmark::State& state) {
  SetScreenWidth(640);
  SetScreenHeight(480);
  CBackBuffer buffer;
  for (std::size_t i = 0; i < 640 * 480; ++i) buffer.GetPixels()[i] = static_cast<std::uint16_t>(i);
  const bool padded = state.range(0) != 0;
  const std::int32_t yPitch = padded ? 1024 : 960;
  buffer.properties = GXDisplayProperties{480, 640, 2, yPitch, 16, 0};
  std::vector<std::uint8_t> display(static_cast<std::size_t>(yPitch) * 640);
  for (auto _ : state) {
    buffer.Present(nullptr, display.data(), nullptr, nullptr);
    benchmark::DoNotOptimize(display.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 640 * 480 * 2);
  std::vector<std::uint8_t> copy(display.size());
  ReportPeerRatio(
      state, [&] { buffer.Present(nullptr, display.data(), nullptr, nullptr); },
      [&] {
        std::memcpy(copy.data(), buffer.GetPixels(), std::size_t{640} * 480 * 2);
        benchmark::DoNotOptimize(copy.data());
      });
  state.SetLabel(padded ? "general path" : "fast path");
}
BENCHMARK(BM_PresentWholeScreen)->Arg(0)->Arg(1);

void BM_MemcpySameBytes(benchmark::State& state) { RunMemcpyFloor(state, std::size_t{640} * 480 * 2); }
BENCHMARK(BM_MemcpySameBytes);

}  // namespace
