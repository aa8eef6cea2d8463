// Decoding three minutes of 44.1 kHz stereo Layer II to PCM, in memory. The
// input repeats the committed 192 kbit/s sine fixture (or takes the file
// named by LAYER2_BENCH_FILE); tools/bench_layer2_vs_mpg123.sh times an
// independent decoder on the same file for the ratio.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "converter/audio/layer2_decoder.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::vector<std::uint8_t>& Input() {
  static const std::vector<std::uint8_t> input = [] {
    if (const char* path = std::getenv("LAYER2_BENCH_FILE")) return ReadFile(path);
    // The sources' own path leads to the fixture.
    const std::string source = __FILE__;
    const std::string root = source.substr(0, source.rfind("/bench/"));
    const auto fixture = ReadFile(root + "/tests/data/layer2/sine_stereo_44k.mp2");
    std::vector<std::uint8_t> repeated;
    // 12 frames of 1,152 samples per copy: 600 copies are 188 s.
    for (int copy = 0; copy < 600; ++copy) repeated.insert(repeated.end(), fixture.begin(), fixture.end());
    return repeated;
  }();
  return input;
}

void BM_DecodeLayer2ThreeMinutes(benchmark::State& state) {
  const auto& data = Input();
  std::vector<std::uint8_t> pcm(reelpack::kLayer2FramePcmBytes);
  std::size_t frames = 0;
  for (auto _ : state) {
    reelpack::SynthesisState synthesis;
    reelpack::ClearSynthesisState(&synthesis);
    reelpack::MpegAudioHeader header;
    frames = 0;
    std::size_t position = 0;
    while ((position = reelpack::FindLayer2Header(data.data(), data.size(), position, &header)) < data.size()) {
      const std::size_t end = position + 4 + static_cast<std::size_t>(header.bodyLength);
      if (end > data.size()) break;
      reelpack::DecodeFrame(header, data.data() + position + 4, end - position - 4, pcm.data(), &synthesis);
      benchmark::DoNotOptimize(pcm.data());
      position = end;
      ++frames;
    }
  }
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["audio_seconds"] = static_cast<double>(frames) * 1152 / 44100;
}
BENCHMARK(BM_DecodeLayer2ThreeMinutes)->Unit(benchmark::kMillisecond);

}  // namespace
