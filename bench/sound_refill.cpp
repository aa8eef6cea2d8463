// One refill of the mixer with six playing channels on a 44,100 Hz device,
// against the time the buffer takes to play. The manual device runs on the
// virtual clock, so each step lets exactly one buffer finish.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "engine/sound/decoder_plugins.h"
#include "engine/sound/sound_mixer.h"
#include "host/audio/audio_backend.h"
#include "host/module/module_api.h"
#include "host/time/time_api.h"

namespace {

void BM_RefillSixChannels(benchmark::State& state) {
  HostSetModulePath((std::string(NOVEL_BINARY_DIR) + "/bin/novel_ce5").c_str());
  LoadMp3Plugin();
  LoadOggPlugin();
  HostClockSetMode(HostClockMode::Virtual);
  HostAudioSetDevice(HostAudioDevice::Manual);
  std::string folder = std::string(NOVEL_TEST_DATA_DIR) + "/sound/";
  for (char& c : folder) {
    if (c == '/') c = '\\';
  }
  auto mixer = std::make_unique<CSoundMixer>();
  const std::uint32_t rate = mixer->Open(44100, 0);
  const char* sounds[] = {"sine44_stereo.mp3", "sine44_stereo.ogg", "sine44_mono.mp3",
                          "sine48_stereo.ogg", "sine22_stereo.mp3", "vbr44.mp3"};
  int slot = 0;
  for (const char* sound : sounds) {
    if (!mixer->Play(slot, sound, folder, nullptr, 80, 0, 1, 1, 1)) state.SkipWithError("a sound did not load");
    slot += 10;
  }
  const double bufferMs = mixer->GetBufferBytes() / 4.0 * 1000.0 / rate;
  for (auto _ : state) {
    HostClockAdvance(static_cast<DWORD>(bufferMs + 1));
    HostWaveOutSettle();
  }
  state.counters["buffer_ms"] = bufferMs;
  mixer->Close();
  HostClockSetMode(HostClockMode::Real);
}
BENCHMARK(BM_RefillSixChannels)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
