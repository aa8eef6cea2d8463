// One step of a 640 x 480 rule-image transition at mid-fade (mode 1: every
// pixel blended; mode 0: every pixel chosen), against memcpy of one screen;
// "x_peer" is the ratio to that copy timed in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "converter/jbp1/jbp1_record_writer.h"
#include "engine/archive/archive_reader.h"
#include "engine/raster/rule_transition.h"
#include "engine/runtime/engine_clock.h"
#include "memcpy_floor.h"
#include "peer_ratio.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

using reelpack::JbpPictureSource;
using reelpack::WriteJbpRecord;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr std::uint32_t kDuration = 1000;

// Half-way through the soft mode: threshold 256 against level 192.
std::uint32_t MidFade() { return kDuration / 2; }

// The engine path of an archive holding "rule.rbp", a uniform grey rule
// (green 63, level 192): a JBP1 record whose luma blocks carry one DC.
std::string WriteUniformRuleArchive() {
  const int macroblocks = (kWidth / 16) * (kHeight / 16);
  std::vector<std::int16_t> blocks(std::size_t(macroblocks) * 6 * 64, 0);
  for (int m = 0; m < macroblocks; ++m)
    for (int k = 0; k < 4; ++k) blocks[(std::size_t(m) * 6 + k) * 64] = 8 * (4 * 63 - 128);
  std::uint8_t unit[64];
  std::memset(unit, 1, sizeof unit);
  JbpPictureSource source{kWidth, kHeight, 100, blocks.data(), unit, unit};
  std::vector<std::uint8_t> record;
  WriteJbpRecord(source, record);
  const auto archive =
      BuildMlzArchive({{"rule.rbp", BuildJbpRbpFile(record, kWidth, kHeight, nullptr, 800, 600), false}}, '2');
  const auto path = std::filesystem::temp_directory_path() / "novel_bench_rule.mlz";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
  std::string enginePath = path.string();
  for (char& c : enginePath)
    if (c == '/') c = '\\';
  return enginePath;
}

void BM_RuleStep(benchmark::State& state) {
  const std::string archive = WriteUniformRuleArchive();
  CArchiveReader reader;
  CRuleTransition rule(kWidth, kHeight);
  const auto mode = static_cast<std::uint32_t>(state.range(0));
  if (!rule.LoadRule("rule", archive.c_str(), &reader, kDuration, mode)) {
    state.SkipWithError("rule did not load");
    return;
  }
  SetClockSource([] { return std::uint32_t{0}; });
  rule.Start();
  SetClockSource(MidFade);
  std::vector<std::uint16_t> oldScreen(kWidth * kHeight, 0xFFFF);
  std::vector<std::uint16_t> screen(kWidth * kHeight, 0x1234);
  for (auto _ : state) {
    rule.Step(screen.data(), oldScreen.data(), nullptr);
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  std::vector<std::uint16_t> copy(screen.size());
  ReportPeerRatio(
      state, [&] { rule.Step(screen.data(), oldScreen.data(), nullptr); },
      [&] {
        std::memcpy(copy.data(), oldScreen.data(), copy.size() * 2);
        benchmark::DoNotOptimize(copy.data());
      });
  SetClockSource(nullptr);
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 2);
  state.SetLabel(mode ? "soft, every pixel blended" : "hard, every pixel chosen");
}
BENCHMARK(BM_RuleStep)->Arg(1)->Arg(0);

void BM_MemcpyScreen(benchmark::State& state) { RunMemcpyFloor(state, std::size_t{kWidth} * kHeight * 2); }
BENCHMARK(BM_MemcpyScreen);

}  // namespace
