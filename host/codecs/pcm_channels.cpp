#include "host/codecs/pcm_channels.h"

void MixStereoToMono(const std::int16_t* stereo, std::size_t frames, std::int16_t* mono) {
  for (std::size_t i = 0; i < frames; ++i) {
    const int sum = stereo[2 * i] + stereo[2 * i + 1];
    mono[i] = static_cast<std::int16_t>((sum + (sum < 0 ? -1 : 1)) / 2);
  }
}

void CopyMonoToStereo(const std::int16_t* mono, std::size_t frames, std::int16_t* stereo) {
  for (std::size_t i = 0; i < frames; ++i) {
    stereo[2 * i] = mono[i];
    stereo[2 * i + 1] = mono[i];
  }
}
