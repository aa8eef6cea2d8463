// The 4-byte header of an MPEG audio frame, as the MP3 plug-in reads it to
// find each frame's length and to tell frames of one stream.
#pragma once

#include <cstdint>

struct MpegAudioHeader {
  int version;  // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
  int layer;    // 1, 2, 3
  std::uint32_t bitRateKbps;
  std::uint32_t sampleRate;
  std::uint32_t channels;
  std::uint32_t frameBytes;  // header and padding included
  std::uint32_t samples;     // sample frames per channel
};

// False for bytes that are no header (no sync, reserved fields, free format).
bool ParseMpegAudioHeader(const unsigned char* bytes, MpegAudioHeader* header);
// Frames of one stream share version, layer, rate and channel count.
bool SameMpegAudioStream(const MpegAudioHeader& a, const MpegAudioHeader& b);
