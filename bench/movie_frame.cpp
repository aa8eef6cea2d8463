// One movie frame as the player handles it each tick (taking the record from
// the read-ahead, decoding it, writing it into display memory): a 480 x 640
// movie decoded straight into the display and a 240 x 320 one doubled with
// smoothing. "x_period" is the time a frame takes over the frame period of a
// 15 per second movie; "rss_mb" the process's resident memory while the
// 480 x 640 movie plays.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/rzm2_format.h"
#include "converter/jbp1/jbp1_record_writer.h"
#include "engine/movie/movie_player.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/raw_display_access.h"
#include "host/time/time_api.h"

namespace {

constexpr std::uint32_t kFramesPerSecond = 15;
constexpr std::uint32_t kFrames = 90;
constexpr double kFramePeriodSeconds = 1.0 / kFramesPerSecond;

std::vector<std::uint16_t> gDisplay(480 * 640);

void ReadProperties(GXDisplayProperties* out) { *out = GXDisplayProperties{480, 640, 2, 960, 16, kfDirect565}; }
void* BeginDraw() { return gDisplay.data(); }
int EndDraw() { return 1; }
void DetectScreenMode(CScreenMode*) {}

// A record with the coefficient mix of a real picture: DC everywhere, a few
// low-frequency AC values per block, the odd larger one.
std::vector<std::uint8_t> BusyRecord(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  const std::size_t blocks = std::size_t{(width + 15) / 16} * ((height + 15) / 16) * 6;
  std::vector<std::int16_t> coefficients(blocks * 64, 0);
  std::uint32_t state = seed * 2654435761u + 1;
  auto next = [&] { return state = state * 1664525u + 1013904223u; };
  for (std::size_t block = 0; block < blocks; ++block) {
    std::int16_t* c = &coefficients[block * 64];
    c[0] = static_cast<std::int16_t>(static_cast<std::int32_t>(next() >> 26) - 32);
    for (int i = 1; i < 20; ++i) {
      if (next() % 3 == 0) c[i] = static_cast<std::int16_t>(static_cast<std::int32_t>(next() >> 29) - 4);
    }
  }
  std::uint8_t quantiser[64];
  for (int i = 0; i < 64; ++i) quantiser[i] = static_cast<std::uint8_t>(4 + i / 4);
  reelpack::JbpPictureSource source;
  source.width = static_cast<int>(width);
  source.height = static_cast<int>(height);
  source.quality = 75;
  source.blocks = coefficients.data();
  source.lumaQuantiser = quantiser;
  source.chromaQuantiser = quantiser;
  std::vector<std::uint8_t> record;
  reelpack::WriteJbpRecord(source, record);
  return record;
}

std::string WriteMovie(std::uint32_t width, std::uint32_t height) {
  std::vector<std::vector<std::uint8_t>> records;
  std::vector<std::uint32_t> sizes;
  for (std::uint32_t frame = 0; frame < kFrames; ++frame) {
    records.push_back(BusyRecord(width, height, frame));
    sizes.push_back(static_cast<std::uint32_t>(records.back().size()));
  }
  Rzm2Header header;
  header.version2 = true;
  header.rateNumerator = kFramesPerSecond;
  header.timeBase = 1;
  header.storedWidth = width;
  header.storedHeight = height;
  std::vector<std::uint8_t> file = BuildRzm2IndexBlock(header, sizes);
  for (const auto& record : records) file.insert(file.end(), record.begin(), record.end());
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bench_movie_" + std::to_string(width) + "x" + std::to_string(height) + ".rzm2")).string();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  return path;
}

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kilobytes = 0;
      status >> kilobytes;
      return kilobytes / 1024;
    }
    status.ignore(1 << 10, '\n');
  }
  return 0;
}

void BM_MovieFrame(benchmark::State& state) {
  const auto width = static_cast<std::uint32_t>(state.range(0));
  const auto height = static_cast<std::uint32_t>(state.range(1));
  HostClockSetMode(HostClockMode::Virtual);
  SetScreenWidth(640);
  SetScreenHeight(480);
  SetDisplayAccess(DisplayAccess{&ReadProperties, &BeginDraw, &EndDraw, &DetectScreenMode});
  const std::string path = WriteMovie(width, height);
  auto player = std::make_unique<CMoviePlayer>();
  player->Open(path.c_str(), nullptr, 100, 1, 1);
  double peakMegabytes = 0;
  for (auto _ : state) {
    // Exactly one frame period later the next frame is due.
    HostClockAdvance(1000 / kFramesPerSecond - 1);
    if (!player->Advance()) {
      state.PauseTiming();
      player = std::make_unique<CMoviePlayer>();
      player->Open(path.c_str(), nullptr, 100, 1, 1);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(gDisplay.data());
    if (state.iterations() % 16 == 0) peakMegabytes = std::max(peakMegabytes, ResidentMegabytes());
  }
  state.counters["frames_decoded"] = player->FramesDecoded();
  state.counters["x_period"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kFramePeriodSeconds,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["rss_mb"] = std::max(peakMegabytes, ResidentMegabytes());
  state.SetLabel(player->IsDirect() ? "decoded into the display" : "doubled and smoothed");
  player.reset();
  std::filesystem::remove(path);
  SetDisplayAccess(RawDisplayAccess());
}
BENCHMARK(BM_MovieFrame)->Args({480, 640})->Args({240, 320})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
