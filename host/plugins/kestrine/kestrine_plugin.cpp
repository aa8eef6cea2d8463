// "Kestrine.ovl": the MP3 decoder plug-in over libmpg123. The engine hands it
// one whole frame per decode call; each call gives exactly that frame's
// samples (silence while the decoder cannot produce them yet).
#include <mpg123.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "host/plugins/decoder_plugin_exports.h"
#include "host/plugins/mpeg_audio_header.h"

#define KESTRINE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Mp3Decoder {
  // Read by the engine: channels, current frame length, bit rate, sample rate.
  std::uint32_t words[kMp3HandleWords] = {};
  MpegAudioHeader first{};
  mpg123_handle* decoder = nullptr;
};

void Publish(Mp3Decoder* d, const MpegAudioHeader& header) {
  d->words[kMp3WordChannels] = header.channels;
  d->words[kMp3WordFrameBytes] = header.frameBytes;
  d->words[kMp3WordBitRate] = header.bitRateKbps;
  d->words[kMp3WordSampleRate] = header.sampleRate;
}

mpg123_handle* NewDecoder(const MpegAudioHeader& header) {
  mpg123_init();
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  if (decoder == nullptr) return nullptr;
  // Every frame is decoded as audio: no encoder info frame is skipped and
  // nothing is trimmed, so frames in and frames out match one to one.
  mpg123_param(decoder, MPG123_FLAGS, MPG123_QUIET | MPG123_IGNORE_INFOFRAME | MPG123_NO_READAHEAD, 0.0);
  mpg123_param(decoder, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_format_none(decoder);
  const int channels = header.channels == 1 ? MPG123_MONO : MPG123_STEREO;
  if (mpg123_format(decoder, static_cast<long>(header.sampleRate), channels, MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_open_feed(decoder) != MPG123_OK) {
    mpg123_delete(decoder);
    return nullptr;
  }
  return decoder;
}

}  // namespace

KESTRINE_EXPORT const char* __mp3_getdecver() { return "Kestrine 1.0 (libmpg123)"; }

KESTRINE_EXPORT void* __mp3_create(const unsigned char* header) {
  MpegAudioHeader parsed;
  if (header == nullptr || !ParseMpegAudioHeader(header, &parsed)) return nullptr;
  auto* d = new (std::nothrow) Mp3Decoder;
  if (d == nullptr) return nullptr;
  d->first = parsed;
  d->decoder = NewDecoder(parsed);
  if (d->decoder == nullptr) {
    delete d;
    return nullptr;
  }
  Publish(d, parsed);
  return d;
}

KESTRINE_EXPORT void __mp3_destroy(void* handle) {
  auto* d = static_cast<Mp3Decoder*>(handle);
  if (d == nullptr) return;
  mpg123_delete(d->decoder);
  delete d;
}

KESTRINE_EXPORT int __mp3_predecode(void* handle, const unsigned char* header) {
  auto* d = static_cast<Mp3Decoder*>(handle);
  MpegAudioHeader parsed;
  if (d == nullptr || header == nullptr || !ParseMpegAudioHeader(header, &parsed) ||
      !SameMpegAudioStream(parsed, d->first)) {
    return 1;
  }
  Publish(d, parsed);
  return 0;
}

KESTRINE_EXPORT int __mp3_decode(void* handle, void* out, const unsigned char* frame, unsigned int bytes) {
  auto* d = static_cast<Mp3Decoder*>(handle);
  MpegAudioHeader parsed;
  if (d == nullptr || out == nullptr || frame == nullptr || bytes < 4 || !ParseMpegAudioHeader(frame, &parsed) ||
      !SameMpegAudioStream(parsed, d->first) || bytes < parsed.frameBytes) {
    return 0;
  }
  const std::size_t frameBytes = static_cast<std::size_t>(parsed.samples) * parsed.channels * 2;
  std::memset(out, 0, frameBytes);
  if (mpg123_feed(d->decoder, frame, parsed.frameBytes) != MPG123_OK) return static_cast<int>(parsed.samples);
  for (;;) {
    off_t number = 0;
    unsigned char* audio = nullptr;
    std::size_t audioBytes = 0;
    const int result = mpg123_decode_frame(d->decoder, &number, &audio, &audioBytes);
    if (result == MPG123_NEW_FORMAT) continue;
    if (result == MPG123_OK && audio != nullptr) {
      std::memcpy(out, audio, audioBytes < frameBytes ? audioBytes : frameBytes);
    }
    // Anything else (more data wanted, a reservoir reaching before the first
    // frame) leaves the frame silent.
    break;
  }
  return static_cast<int>(parsed.samples);
}
