#define GOGO_MODULE_BUILD
#include "host/codecs/gogo/gogo_api.h"

#include <lame/lame.h>

#include <vector>

namespace {

// One encoding at a time: the callbacks carry no context.
struct Encoding {
  Mp3InputDesc input{};
  bool inputSet = false;
  Mp3OutputFunction output = nullptr;
  std::uint32_t channelMode = kGogoJointStereo;
  std::uint32_t kbps = 128;
  std::uint32_t outputRate = 44100;
  lame_global_flags* lame = nullptr;
  std::uint32_t inputRead = 0;  // bytes of the input requested so far
  std::uint32_t frames = 0;
  bool finished = false;
  std::vector<std::int16_t> pcm;
  std::vector<unsigned char> encoded;
};

Encoding g_encoding;

void CloseLame() {
  if (g_encoding.lame) lame_close(g_encoding.lame);
  g_encoding.lame = nullptr;
}

bool Emit(int bytes) {
  if (bytes < 0) return false;
  if (bytes > 0) g_encoding.output(g_encoding.encoded.data(), static_cast<std::uint32_t>(bytes));
  return true;
}

}  // namespace

std::uint32_t MPGE_initializeWork() {
  CloseLame();
  g_encoding = Encoding{};
  return kGogoNoError;
}

std::uint32_t MPGE_setConfigure(std::uint32_t setting, std::uintptr_t value, std::uintptr_t pointer) {
  switch (setting) {
    case kGogoInput:
      if (value != kGogoInputByFunction || pointer == 0) return kGogoRefused;
      g_encoding.input = *reinterpret_cast<const Mp3InputDesc*>(pointer);
      g_encoding.inputSet = true;
      return kGogoNoError;
    case kGogoOutput:
      if (value != kGogoOutputByFunction || pointer == 0) return kGogoRefused;
      g_encoding.output = reinterpret_cast<Mp3OutputFunction>(pointer);
      return kGogoNoError;
    case kGogoChannelMode:
      if (value != kGogoJointStereo && value != kGogoMono) return kGogoRefused;
      g_encoding.channelMode = static_cast<std::uint32_t>(value);
      return kGogoNoError;
    case kGogoBitRate:
      g_encoding.kbps = static_cast<std::uint32_t>(value);
      return kGogoNoError;
    case kGogoOutputRate:
      g_encoding.outputRate = static_cast<std::uint32_t>(value);
      return kGogoNoError;
    case 8:
    case 9:
    case 10:
      return kGogoNoError;
    default:
      return kGogoRefused;
  }
}

std::uint32_t MPGE_getConfigure(std::uint32_t setting, void* pointer) {
  if (pointer == nullptr) return kGogoRefused;
  auto* out = static_cast<std::uint32_t*>(pointer);
  switch (setting) {
    case kGogoChannelMode:
      *out = g_encoding.channelMode;
      return kGogoNoError;
    case kGogoBitRate:
      // After MPGE_detectConfigure: the rate the frames carry.
      *out = g_encoding.lame ? static_cast<std::uint32_t>(lame_get_brate(g_encoding.lame)) : g_encoding.kbps;
      return kGogoNoError;
    case kGogoOutputRate:
      *out = g_encoding.outputRate;
      return kGogoNoError;
    default:
      return kGogoRefused;
  }
}

std::uint32_t MPGE_detectConfigure() {
  CloseLame();
  const Mp3InputDesc& input = g_encoding.input;
  if (!g_encoding.inputSet || input.read == nullptr || g_encoding.output == nullptr || input.bitsPerSample != 16 ||
      (input.channels != 1 && input.channels != 2) || input.sampleRate != g_encoding.outputRate ||
      (g_encoding.channelMode == kGogoJointStereo) != (input.channels == 2) || g_encoding.kbps == 0) {
    return kGogoRefused;
  }
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) return kGogoRefused;
  lame_set_num_channels(lame, static_cast<int>(input.channels));
  lame_set_in_samplerate(lame, static_cast<int>(input.sampleRate));
  lame_set_out_samplerate(lame, static_cast<int>(g_encoding.outputRate));
  lame_set_mode(lame, input.channels == 2 ? JOINT_STEREO : MONO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, static_cast<int>(g_encoding.kbps));
  // Every frame is sound: the engine's player would play an info frame.
  lame_set_bWriteVbrTag(lame, 0);
  // The module never resamples: a rate MP3 has not is refused.
  if (lame_init_params(lame) < 0 || lame_get_out_samplerate(lame) != static_cast<int>(input.sampleRate)) {
    lame_close(lame);
    return kGogoRefused;
  }
  g_encoding.lame = lame;
  g_encoding.inputRead = 0;
  g_encoding.frames = 0;
  g_encoding.finished = false;
  return kGogoNoError;
}

std::uint32_t MPGE_processFrame() {
  if (g_encoding.lame == nullptr) return kGogoRefused;
  if (g_encoding.finished) return kGogoFinished;
  const std::uint32_t channels = g_encoding.input.channels;
  const std::uint32_t frameBytes = static_cast<std::uint32_t>(lame_get_framesize(g_encoding.lame)) * channels * 2;
  const std::uint32_t left = g_encoding.input.size - g_encoding.inputRead;
  // The last request asks only for what remains: padding never becomes sound.
  const std::uint32_t wanted = (left < frameBytes ? left : frameBytes) / (channels * 2) * (channels * 2);
  g_encoding.pcm.resize(frameBytes / 2);
  g_encoding.encoded.resize(frameBytes + frameBytes / 4 + 7200);
  const auto room = static_cast<int>(g_encoding.encoded.size());
  if (wanted > 0 && g_encoding.input.read(g_encoding.pcm.data(), wanted) == 0) {
    g_encoding.inputRead += wanted;
    const int samples = static_cast<int>(wanted / (channels * 2));
    const int bytes =
        channels == 2
            ? lame_encode_buffer_interleaved(g_encoding.lame, g_encoding.pcm.data(), samples,
                                             g_encoding.encoded.data(), room)
            : lame_encode_buffer(g_encoding.lame, g_encoding.pcm.data(), g_encoding.pcm.data(), samples,
                                 g_encoding.encoded.data(), room);
    ++g_encoding.frames;
    return Emit(bytes) ? kGogoNoError : kGogoRefused;
  }
  g_encoding.finished = true;
  return Emit(lame_encode_flush(g_encoding.lame, g_encoding.encoded.data(), room)) ? kGogoFinished : kGogoRefused;
}

std::uint32_t MPGE_closeCoder() {
  CloseLame();
  return kGogoNoError;
}

std::uint32_t MPGE_endCoder() {
  MPGE_initializeWork();
  return kGogoNoError;
}

std::uint32_t MPGE_getVersion(std::uint32_t* version) {
  if (version == nullptr) return kGogoRefused;
  *version = 0x00010000;
  return kGogoNoError;
}

std::uint32_t MPGE_getUnitStates(std::uint32_t* frames) {
  if (frames == nullptr) return kGogoRefused;
  *frames = g_encoding.frames;
  return kGogoNoError;
}
