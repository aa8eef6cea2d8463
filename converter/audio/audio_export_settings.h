// What the dialog's sound settings mean for the exported track: the bit-rate
// list (one index per item, "16/8kbit" to "320/160kbit"), the Ogg quality of
// each item and the track's PCM format.
#pragma once

#include <cstdint>

#include "host/audio/wave_format.h"

namespace reelpack {

inline constexpr std::int32_t kAudioBitRateItems = 13;

bool InBitRateList(std::int32_t index);
// The MP3 bit rate in kbit/s of a list item: the stereo column, halved for
// one channel. 0 for an index outside the list.
std::uint32_t Mp3BitRateKbps(std::int32_t index, bool stereo);
// The Ogg Vorbis quality of a list item (-0.1 to 1.0, not depending on the
// channels); the lowest for an index outside the list.
float OggQuality(std::int32_t index);
// The bit rate an MP3 frame at this rate carries for the asked one: the
// nearest of its layer's rates (MPEG-1 from 32 kbit/s, MPEG-2 up to 160).
std::uint32_t CarriedMp3BitRate(std::uint32_t sampleRate, std::uint32_t kbps);
// 16-bit PCM at 44,100 Hz for sample-rate index 1, else 22,050 Hz; two
// channels when stereo. The extra-size field is 16, as the dialog's records have it.
WAVEFORMATEX ExportTargetFormat(std::int32_t sampleRateIndex, bool stereo);

}  // namespace reelpack
