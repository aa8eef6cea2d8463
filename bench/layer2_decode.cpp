// Decoding ten minutes of 44.1 kHz stereo Layer II to 16-bit PCM in memory,
// beside libmpg123 decoding the same bytes in the same run (counter x_peer).
// The input, a tone over pink noise at 192 kbit/s that fills every subband,
// is made once by ffmpeg beside the build; LAYER2_BENCH_FILE names another.
#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/peer_ratio.h"
#include "converter/audio/layer2_decoder.h"
#include "tests/support/file_bytes.h"

namespace {

constexpr int kSeconds = 600;

const std::vector<std::uint8_t>& Input() {
  static const std::vector<std::uint8_t> input = [] {
    if (const char* path = std::getenv("LAYER2_BENCH_FILE")) return ReadFileBytes(path);
    const std::string path = std::string(NOVEL_BINARY_DIR) + "/bench_layer2_" + std::to_string(kSeconds) + ".mp2";
    const std::string duration = std::to_string(kSeconds);
    const std::string command =
        "test -s '" + path + "' || ffmpeg -nostdin -loglevel error -y -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" +
        duration + "' -f lavfi -i 'anoisesrc=color=pink:sample_rate=44100:duration=" + duration +
        "' -filter_complex amerge=inputs=2 -ac 2 -c:a mp2 -b:a 192k '" + path + "'";
    if (std::system(command.c_str()) != 0) return std::vector<std::uint8_t>();
    return ReadFileBytes(path);
  }();
  return input;
}

// Our decoder over every frame; returns the frames decoded.
std::size_t DecodeOurs(const std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& pcm) {
  reelpack::SynthesisState synthesis;
  reelpack::ClearSynthesisState(&synthesis);
  reelpack::MpegAudioHeader header;
  std::size_t frames = 0;
  std::size_t position = 0;
  while ((position = reelpack::FindLayer2Header(data.data(), data.size(), position, &header)) < data.size()) {
    const std::size_t end = position + 4 + static_cast<std::size_t>(header.bodyLength);
    if (end > data.size()) break;
    reelpack::DecodeFrame(header, data.data() + position + 4, end - position - 4, pcm.data(), &synthesis);
    benchmark::DoNotOptimize(pcm.data());
    position = end;
    ++frames;
  }
  return frames;
}

// libmpg123 fed the whole file, asked for the same format, frame by frame.
std::size_t DecodeMpg123(const std::vector<std::uint8_t>& data) {
  mpg123_handle* handle = mpg123_new(nullptr, nullptr);
  if (handle == nullptr) return 0;
  mpg123_format_none(handle);
  mpg123_format(handle, 44100, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  mpg123_open_feed(handle);
  mpg123_feed(handle, data.data(), data.size());
  std::size_t frames = 0;
  for (;;) {
    off_t frame = 0;
    unsigned char* audio = nullptr;
    std::size_t bytes = 0;
    const int result = mpg123_decode_frame(handle, &frame, &audio, &bytes);
    if (result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_OK) break;
    benchmark::DoNotOptimize(audio);
    ++frames;
  }
  mpg123_delete(handle);
  return frames;
}

void BM_DecodeLayer2TenMinutes(benchmark::State& state) {
  const auto& data = Input();
  if (data.empty()) {
    state.SkipWithError("no input file");
    return;
  }
  std::vector<std::uint8_t> pcm(reelpack::kLayer2FramePcmBytes);
  std::size_t frames = 0;
  for (auto _ : state) frames = DecodeOurs(data, pcm);
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["audio_seconds"] = static_cast<double>(frames) * 1152 / 44100;
  state.counters["peer_frames"] = static_cast<double>(DecodeMpg123(data));
  ReportPeerRatio(
      state, [&] { DecodeOurs(data, pcm); }, [&] { DecodeMpg123(data); }, 1);
}
BENCHMARK(BM_DecodeLayer2TenMinutes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
