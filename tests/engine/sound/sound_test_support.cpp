#include "tests/engine/sound/sound_test_support.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/sound/decoder_plugins.h"
#include "host/audio/wave_format.h"
#include "host/module/module_api.h"

RealPlugins::RealPlugins() {
  HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
  LoadMp3Plugin();
  LoadOggPlugin();
}

RealPlugins::~RealPlugins() {
  FreeMp3Plugin();
  FreeOggPlugin();
  HostSetModulePath("");
}

bool RealPlugins::Loaded() const { return Mp3PluginReady() && OggPluginReady(); }

std::int16_t FakeSample(const FakeSound& sound, std::uint32_t frame, int channel) {
  // A sawtooth per channel: every sample differs from its neighbours.
  const std::int32_t period = 97 + 13 * channel + sound.seed % 7;
  const std::int32_t phase = static_cast<std::int32_t>((frame + static_cast<std::uint32_t>(sound.seed)) % period);
  return static_cast<std::int16_t>(sound.amplitude * (2 * phase - period) / period);
}

std::vector<std::uint8_t> FakeImage(const FakeSound& sound) {
  std::vector<std::uint8_t> image(sizeof sound);
  std::memcpy(image.data(), &sound, sizeof sound);
  return image;
}

namespace {

std::uint32_t surplusBytes = 0;

struct FakeDecoder {
  FakeSound sound;
  WAVEFORMATEX format{};
  std::uint64_t position = 0;  // bytes produced
  bool valid = false;
};

std::uint64_t TotalBytes(const FakeDecoder* d) { return std::uint64_t{d->sound.frames} * d->sound.channels * 2; }

void* Create(void*) { return new FakeDecoder; }
void Free(void* h) { delete static_cast<FakeDecoder*>(h); }
int InputMemory(void* h, const void* data, unsigned size, int) {
  auto* d = static_cast<FakeDecoder*>(h);
  d->valid = size >= sizeof(FakeSound) && std::memcmp(data, "FAKE", 4) == 0;
  if (!d->valid) return -1;
  std::memcpy(&d->sound, data, sizeof(FakeSound));
  d->format = {WAVE_FORMAT_PCM, d->sound.channels, d->sound.rate, 0, static_cast<WORD>(d->sound.channels * 2), 16, 0};
  d->position = 0;
  return 0;
}
int InputFile(void* h, const char* path, int, int) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
  FakeSound sound;
  if (!file || std::fread(&sound, sizeof sound, 1, file.get()) != 1) return -1;
  return InputMemory(h, &sound, sizeof sound, 0);
}
int PcmSize(void*, std::uint32_t* out) {
  *out = 0;
  return 0;
}
const void* Format(void* h) { return &static_cast<FakeDecoder*>(h)->format; }
int Replay(void* h) {
  static_cast<FakeDecoder*>(h)->position = 0;
  return 0;
}
int Process(void* h, void* out, unsigned wanted, int) {
  auto* d = static_cast<FakeDecoder*>(h);
  if (!d->valid) return 0;
  const std::uint64_t left = TotalBytes(d) - d->position;
  const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, wanted + surplusBytes));
  auto* bytes = static_cast<std::uint8_t*>(out);
  for (std::uint32_t i = 0; i < n; i += 2) {
    const std::uint64_t sampleIndex = (d->position + i) / 2;
    const std::int16_t s = FakeSample(d->sound, static_cast<std::uint32_t>(sampleIndex / d->sound.channels),
                                      static_cast<int>(sampleIndex % d->sound.channels));
    std::memcpy(bytes + i, &s, 2);
  }
  d->position += n;
  return static_cast<int>(n);
}
int Eof(void* h) {
  auto* d = static_cast<FakeDecoder*>(h);
  return !d->valid || d->position >= TotalBytes(d) ? 1 : 0;
}
void Version(char* out) { std::strcpy(out, "fake"); }
int Nothing(void*) { return 0; }
int Map(void*, const char*, int, int) { return -1; }

}  // namespace

FakeOggPlugin::FakeOggPlugin() {
  gMp3Plugin = {};
  gOggPlugin = {Format, Create, Process, PcmSize, Eof,   InputFile, Version,
                Map,    Replay, InputMemory, Free, Nothing, Nothing, nullptr};
  surplusBytes = 0;
}

FakeOggPlugin::~FakeOggPlugin() {
  gOggPlugin = {};
  surplusBytes = 0;
}

void FakeOggPlugin::SetSurplus(std::uint32_t bytes) { surplusBytes = bytes; }

ReferencePcm DecodeWithFfmpeg(const std::string& path) {
  ReferencePcm pcm;
  const std::string probe = "ffprobe -v error -select_streams a:0 -show_entries "
                            "stream=channels,sample_rate,duration_ts -of default=nw=1 '" + path + "'";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> fields(popen(probe.c_str(), "r"), pclose);
  char line[256];
  while (fields && std::fgets(line, sizeof line, fields.get())) {
    long value = 0;
    if (std::sscanf(line, "channels=%ld", &value) == 1) pcm.channels = static_cast<int>(value);
    if (std::sscanf(line, "sample_rate=%ld", &value) == 1) pcm.rate = static_cast<int>(value);
    if (std::sscanf(line, "duration_ts=%ld", &value) == 1) pcm.declaredFrames = value;
  }
  const std::string command = "ffmpeg -v error -i '" + path + "' -f s16le -acodec pcm_s16le -";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return pcm;
  std::int16_t buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 2, 4096, pipe.get())) > 0) pcm.samples.insert(pcm.samples.end(), buffer, buffer + n);
  return pcm;
}
