// The present step of each build: the whole back buffer presented through
// the build's display access (PresentDirtyRects with the whole flag, the
// begin and end calls included), against memcpy of the same screen bytes
// timed in the same run ("x_peer").
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine/runtime/runtime_globals.h"
#include "engine/shell/engine_base.h"
#include "host/display/display_api.h"
#include "host/display/gapi.h"
#include "host/window/window_api.h"
#include "peer_ratio.h"
#include "platform/ce3/ce3_build.h"
#include "platform/ce4/ce4_build.h"
#include "platform/ce5/ce5_build.h"

namespace {

struct Case {
  const char* label;
  const BuildVariant& (*build)();
  int screenWidth;
  int screenHeight;
  HostPanel panel;
};

const Case kCases[] = {
    {"novel_ce5 640x480 into 480x640", Ce5Build, 640, 480, {480, 640, 0}},
    {"novel_ce4 640x480 into 480x640", Ce4Build, 640, 480, {480, 640, 0}},
    {"novel_ce3 320x240 into 240x320", Ce3Build, 320, 240, {240, 320, 0}},
    {"novel_ce3 320x240 into 480x640", Ce3Build, 320, 240, {480, 640, 0}},
};

// A batch long enough (some hundreds of microseconds) that the clock's
// granularity does not show in the ratio of a 150 KB screen.
constexpr int kCallsPerBatch = 200;

// The Game API hands out display memory only to an open display.
void OpenGameApiDisplay() {
  static HWND window = [] {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"PRESENT";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, u"PRESENT", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  }();
  GXCloseDisplay();
  GXOpenDisplay(window, GX_FULLSCREEN);
}

void BM_PresentStep(benchmark::State& state) {
  const Case& test = kCases[state.range(0)];
  HostDisplaySetPanel(test.panel);
  SetScreenWidth(test.screenWidth);
  SetScreenHeight(test.screenHeight);
  const BuildVariant& build = test.build();
  SetDisplayAccess(build.display);
  OpenGameApiDisplay();
  auto engine = std::make_unique<CEngineBase>();
  build.display.readProperties(&engine->backBuffer->properties);
  const std::size_t pixels = static_cast<std::size_t>(test.screenWidth) * test.screenHeight;
  for (std::size_t i = 0; i < pixels; ++i) engine->backBuffer->GetPixels()[i] = static_cast<std::uint16_t>(i * 37);
  for (auto _ : state) {
    engine->PresentDirtyRects(1, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pixels * 2));
  std::vector<std::uint16_t> copy(pixels);
  ReportPeerRatio(
      state, [&] { engine->PresentDirtyRects(1, nullptr); },
      [&] {
        std::memcpy(copy.data(), engine->backBuffer->GetPixels(), pixels * 2);
        benchmark::DoNotOptimize(copy.data());
      },
      kCallsPerBatch);
  state.SetLabel(test.label);
}
BENCHMARK(BM_PresentStep)->DenseRange(0, static_cast<int>(std::size(kCases)) - 1);

}  // namespace
