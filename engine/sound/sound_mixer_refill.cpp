// The refill of one returned buffer, on the device's driver thread.
#include <algorithm>
#include <cstring>

#include "engine/runtime/engine_clock.h"
#include "engine/sound/sound_mixer.h"

namespace {

std::int16_t LoadSample(const std::uint8_t* at) {
  std::int16_t sample;
  std::memcpy(&sample, at, 2);
  return sample;
}

}  // namespace

void CSoundMixer::WaveCallback(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  if (message != MM_WOM_DONE || param1 == 0) return;
  reinterpret_cast<CSoundMixer*>(instance)->FillBuffer(device, reinterpret_cast<WAVEHDR*>(param1));
}

void CSoundMixer::FillBuffer(HWAVEOUT device, WAVEHDR* header) {
  CriticalSectionLock guard(&lock_);
  // A device taken out by Suspend or Close (or an older one) is left alone.
  if (device_ == nullptr || device != device_) return;
  waveOutUnprepareHeader(device_, header, sizeof(WAVEHDR));
  if (header->lpData == nullptr) return;
  std::memset(header->lpData, 0, bufferBytes_);
  const std::uint32_t now = GetClockMs();
  for (int slot = 0; slot < kSlots; ++slot) {
    CSoundChannel* channel = slots_[slot];
    if (channel == nullptr) continue;
    StepFade(channel, now);
    DecodeChannel(channel, bufferBytes_);
    if (MixChannel(header, channel) == 0) ReleaseChannel(slot);
  }
  if (!closing_) {
    waveOutPrepareHeader(device_, header, sizeof(WAVEHDR));
    waveOutWrite(device_, header, sizeof(WAVEHDR));
  }
}

void CSoundMixer::StepFade(CSoundChannel* channel, std::uint32_t now) {
  if (!channel->fadeIn && !channel->fadeOut) return;
  // A fade started after this refill read the clock has just begun.
  const std::int32_t signedElapsed = static_cast<std::int32_t>(now - channel->fadeStart);
  const std::uint64_t elapsed = signedElapsed < 0 ? 0 : static_cast<std::uint32_t>(signedElapsed);
  const std::uint64_t duration = channel->fadeDuration;
  auto level = [channel] {
    channel->volume = std::min<std::uint32_t>(100, channel->baseVolume * channel->fadePercent / 100);
  };
  if (channel->fadeOut) {
    if (elapsed >= duration) {
      channel->state = kChannelStopRequested;
      channel->fadePercent = 0;
      channel->volume = 0;
      channel->fadeOut = 0;
      return;
    }
    channel->fadePercent = static_cast<std::uint32_t>(100 - elapsed * 100 / duration);
    level();
    return;
  }
  if (elapsed >= duration) {
    channel->fadePercent = 100;
    channel->fadeIn = 0;
  } else {
    channel->fadePercent = static_cast<std::uint32_t>(elapsed * 100 / duration);
  }
  level();
}

int CSoundMixer::DecodeChannel(CSoundChannel* channel, std::uint32_t bytes) {
  if (channel->state != kChannelPlaying) return 0;
  bytes = std::min(bytes, channel->workBytes);
  std::memset(channel->work.get(), 0, bytes);
  const bool ended = channel->oggFlag ? channel->ogg->IsEnded() != 0 : channel->mp3->IsEnded() != 0;
  if (ended) {
    channel->state = kChannelIdle;
    return 0;
  }
  const bool mono = channel->sourceFormat.nChannels == 1;
  const std::uint32_t sourceRate = channel->sourceFormat.nSamplesPerSec;
  std::uint32_t need = mono ? bytes / 2 : bytes;
  if (rate_ == 22050 && sourceRate == 44100) need *= 2;
  if (rate_ != 22050 && sourceRate == 22050) need /= 2;
  const std::uint32_t got = channel->oggFlag ? channel->ogg->ReadPcm(scratch_.get(), need, channel->loop)
                                             : channel->mp3->ReadPcm(scratch_.get(), need, channel->loop);
  std::uint32_t output = mono ? got * 2 : got;
  if (rate_ == 22050 && sourceRate == 44100) output /= 2;
  if (rate_ != 22050 && sourceRate == 22050) output *= 2;
  ConvertToOutput(channel, scratch_.get(), std::min(output, bytes));
  return 1;
}

void CSoundMixer::ConvertToOutput(CSoundChannel* channel, const std::uint8_t* pcm, std::uint32_t bytes) {
  std::uint8_t* out = channel->work.get();
  const bool mono = channel->sourceFormat.nChannels == 1;
  const std::uint32_t sourceRate = channel->sourceFormat.nSamplesPerSec;
  const std::uint32_t copiedRate = rate_ == 22050 ? 22050 : 44100;
  if (!mono && sourceRate == copiedRate) {
    std::memcpy(out, pcm, bytes);
    return;
  }
  // Source frames per output frame, in halves: 4 drops every second frame,
  // 1 writes each frame twice, 2 takes frame for frame (any other rate too).
  std::uint32_t halfSteps = 2;
  if (rate_ == 22050 && sourceRate == 44100) halfSteps = 4;
  if (rate_ != 22050 && sourceRate == 22050) halfSteps = 1;
  const std::uint32_t sourceBlock = mono ? 2 : 4;
  for (std::uint32_t frame = 0; frame < bytes / 4; ++frame) {
    const std::uint8_t* from = pcm + frame * halfSteps / 2 * sourceBlock;
    std::memcpy(out + frame * 4, from, 2);
    std::memcpy(out + frame * 4 + 2, mono ? from : from + 2, 2);
  }
}

int CSoundMixer::MixChannel(WAVEHDR* header, CSoundChannel* channel) {
  if (channel->state != kChannelPlaying) return channel->state == kChannelStopRequested ? 0 : 1;
  if (channel->mixedBuffers == 0) {
    // This buffer follows the two queued ahead of it: it begins playing now.
    channel->lastDevicePosition = DevicePosition();
    channel->positionKnown = true;
  }
  ++channel->mixedBuffers;
  const std::int32_t scale = static_cast<std::int32_t>(channel->volume * 256 / 100);
  const std::uint32_t bytes = std::min(bufferBytes_, channel->workBytes);
  auto* out = reinterpret_cast<std::uint8_t*>(header->lpData);
  const std::uint8_t* from = channel->work.get() + channel->readPosition;
  for (std::uint32_t i = 0; i < bytes; i += 2) {
    std::int32_t sample = LoadSample(from + i);
    if (scale < 256) sample = static_cast<std::int16_t>((sample * scale) >> 8);
    const auto mixed = static_cast<std::int16_t>(std::clamp(LoadSample(out + i) + sample, -32768, 32767));
    std::memcpy(out + i, &mixed, 2);
  }
  channel->readPosition += bytes;
  if (channel->readPosition >= channel->workBytes && channel->started) channel->readPosition = 0;
  return 1;
}

void CSoundMixer::ReleaseChannel(int slot) {
  CSoundChannel* channel = slots_[slot];
  slots_[slot] = nullptr;
  delete channel;
}
