#include "host/plugins/mpeg_audio_header.h"

namespace {

// kbit/s by bit-rate index 1..14.
constexpr std::uint16_t kMpeg1Rates[3][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
};
constexpr std::uint16_t kMpeg2Rates[2][14] = {
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
constexpr std::uint32_t kSampleRates[3] = {44100, 48000, 32000};

}  // namespace

bool ParseMpegAudioHeader(const unsigned char* b, MpegAudioHeader* header) {
  if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return false;
  const int versionBits = (b[1] >> 3) & 3;
  const int layerBits = (b[1] >> 1) & 3;
  const int rateIndex = b[2] >> 4;
  const int frequencyIndex = (b[2] >> 2) & 3;
  if (versionBits == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 || frequencyIndex == 3) return false;
  MpegAudioHeader h{};
  h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  h.layer = 4 - layerBits;
  h.bitRateKbps = h.version == 1 ? kMpeg1Rates[h.layer - 1][rateIndex - 1]
                                 : kMpeg2Rates[h.layer == 1 ? 0 : 1][rateIndex - 1];
  h.sampleRate = kSampleRates[frequencyIndex] / (h.version == 1 ? 1 : h.version == 2 ? 2 : 4);
  h.channels = (b[3] >> 6) == 3 ? 1 : 2;
  const std::uint32_t padding = (b[2] >> 1) & 1;
  const std::uint32_t bitsPerSecond = h.bitRateKbps * 1000;
  if (h.layer == 1) {
    h.samples = 384;
    h.frameBytes = (12 * bitsPerSecond / h.sampleRate + padding) * 4;
  } else if (h.layer == 2 || h.version == 1) {
    h.samples = 1152;
    h.frameBytes = 144 * bitsPerSecond / h.sampleRate + padding;
  } else {
    h.samples = 576;
    h.frameBytes = 72 * bitsPerSecond / h.sampleRate + padding;
  }
  *header = h;
  return true;
}

bool SameMpegAudioStream(const MpegAudioHeader& a, const MpegAudioHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate && a.channels == b.channels;
}
