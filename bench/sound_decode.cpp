// Decoding three minutes of 44.1 kHz stereo MP3 and Ogg Vorbis through the
// engine's streams (over the plug-ins), beside mpg123 and oggdec decoding the
// same files as whole processes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/sound/decoder_plugins.h"
#include "engine/sound/mp3_stream.h"
#include "engine/sound/ogg_stream.h"
#include "host/module/module_api.h"
#include "tests/support/file_bytes.h"

namespace {

constexpr int kSeconds = 180;

// The two files, made once by ffmpeg beside the build.
const std::string& Source(const char* extension) {
  static const std::string base = std::string(NOVEL_BINARY_DIR) + "/bench_sound_" + std::to_string(kSeconds);
  static const bool made = [] {
    const std::string input = " -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" +
                              std::to_string(kSeconds) + "' -f lavfi -i 'anoisesrc=color=pink:sample_rate=44100:duration=" +
                              std::to_string(kSeconds) + "' -filter_complex amerge=inputs=2 -ac 2";
    const std::string ffmpeg = "ffmpeg -nostdin -loglevel error -y" + input;
    return std::system((ffmpeg + " -c:a libmp3lame -b:a 192k '" + base + ".mp3'").c_str()) == 0 &&
           std::system((ffmpeg + " -c:a libvorbis -q:a 5 '" + base + ".ogg'").c_str()) == 0;
  }();
  static std::string paths[2];
  const int index = extension[0] == 'm' ? 0 : 1;
  paths[index] = made ? base + "." + extension : std::string();
  return paths[index];
}

void LoadPlugins() {
  static const bool loaded = [] {
    HostSetModulePath((std::string(NOVEL_BINARY_DIR) + "/bin/novel_ce5").c_str());
    LoadMp3Plugin();
    LoadOggPlugin();
    return true;
  }();
  (void)loaded;
}

template <typename Stream>
void DecodeOurs(benchmark::State& state, const char* extension) {
  LoadPlugins();
  const std::vector<std::uint8_t> file = ReadFileBytes(Source(extension));
  if (file.empty()) {
    state.SkipWithError("no source file");
    return;
  }
  // A read may write one decoded frame (4,608 bytes) past what it was asked for.
  constexpr std::uint32_t kAsk = 16384;
  std::vector<std::uint8_t> pcm(kAsk + 4608);
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    Stream stream;
    stream.OpenMemory(file.data(), static_cast<std::uint32_t>(file.size()));
    if (stream.GetFormat().nChannels == 0) {
      state.SkipWithError("cannot open");
      return;
    }
    bytes = 0;
    while (!stream.IsEnded()) {
      const std::uint32_t got = stream.ReadPcm(pcm.data(), kAsk, 0);
      if (got == 0) break;
      bytes += got;
    }
  }
  state.counters["pcm_seconds"] = static_cast<double>(bytes) / (44100.0 * 4);
}

void WholeProcess(benchmark::State& state, const std::string& command) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("the decoder failed");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

void BM_Mp3Ours(benchmark::State& state) { DecodeOurs<CMp3Stream>(state, "mp3"); }
void BM_Mp3Mpg123(benchmark::State& state) { WholeProcess(state, "mpg123 -q -s '" + Source("mp3") + "' > /dev/null"); }
void BM_OggOurs(benchmark::State& state) { DecodeOurs<COggStream>(state, "ogg"); }
void BM_OggOggdec(benchmark::State& state) {
  WholeProcess(state, "oggdec -Q -o /dev/null '" + Source("ogg") + "'");
}

BENCHMARK(BM_Mp3Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Mp3Mpg123)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_OggOurs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OggOggdec)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
