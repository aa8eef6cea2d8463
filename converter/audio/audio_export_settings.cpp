#include "converter/audio/audio_export_settings.h"

#include <iterator>

namespace reelpack {
namespace {

constexpr std::uint32_t kStereoKbps[kAudioBitRateItems] = {16, 32, 48, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr float kOggQuality[kAudioBitRateItems] = {-0.1f, 0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f,
                                                   0.6f,  0.7f, 0.8f, 0.9f, 1.0f, 1.0f};
constexpr std::uint32_t kMpeg1Kbps[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::uint32_t kMpeg2Kbps[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

}  // namespace

bool InBitRateList(std::int32_t index) { return index >= 0 && index < kAudioBitRateItems; }

std::uint32_t Mp3BitRateKbps(std::int32_t index, bool stereo) {
  if (!InBitRateList(index)) return 0;
  return stereo ? kStereoKbps[index] : kStereoKbps[index] / 2;
}

float OggQuality(std::int32_t index) { return InBitRateList(index) ? kOggQuality[index] : kOggQuality[0]; }

std::uint32_t CarriedMp3BitRate(std::uint32_t sampleRate, std::uint32_t kbps) {
  const bool mpeg1 = sampleRate >= 32000;
  const std::uint32_t* rates = mpeg1 ? kMpeg1Kbps : kMpeg2Kbps;
  const std::size_t count = mpeg1 ? std::size(kMpeg1Kbps) : std::size(kMpeg2Kbps);
  std::uint32_t nearest = rates[0];
  for (std::size_t i = 0; i < count; ++i) {
    const auto distance = [kbps](std::uint32_t rate) { return rate > kbps ? rate - kbps : kbps - rate; };
    if (distance(rates[i]) < distance(nearest)) nearest = rates[i];
  }
  return nearest;
}

WAVEFORMATEX ExportTargetFormat(std::int32_t sampleRateIndex, bool stereo) {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = stereo ? 2 : 1;
  format.nSamplesPerSec = sampleRateIndex == 1 ? 44100 : 22050;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.nChannels * 2);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  format.cbSize = 16;
  return format;
}

}  // namespace reelpack
