#include "engine/sound/sound_mixer.h"

#include <algorithm>
#include <new>

#include "engine/runtime/engine_clock.h"
#include "engine/runtime/runtime_globals.h"
#include "host/memory/memory_api.h"

namespace {

constexpr std::uint32_t kFallbackRate = 22050;
constexpr int kSuspendCloseTries = 10;
constexpr DWORD kSuspendRetryMs = 100;
constexpr int kCloseTries = 8;
constexpr DWORD kCloseRetryMs = 50;

WAVEFORMATEX OutputFormat(std::uint32_t rate) {
  return {WAVE_FORMAT_PCM, 2, rate, rate * 4, 4, 16, 0};
}

}  // namespace

CSoundChannel::~CSoundChannel() {
  if (mp3) mp3->Close();
  mp3.reset();
  if (ogg) ogg->Free();
  ogg.reset();
  if (sourceData != nullptr) LocalFree(sourceData);
}

CSoundMixer::CSoundMixer() : scratch_(new std::uint8_t[kScratchBytes]()) { InitializeCriticalSection(&lock_); }

CSoundMixer::~CSoundMixer() {
  Close();
  DeleteCriticalSection(&lock_);
}

void CSoundMixer::OpenDevice() {
  const DWORD_PTR callback = reinterpret_cast<DWORD_PTR>(&CSoundMixer::WaveCallback);
  const DWORD_PTR instance = reinterpret_cast<DWORD_PTR>(this);
  WAVEFORMATEX format = OutputFormat(rate_);
  if (waveOutOpen(&device_, WAVE_MAPPER, &format, callback, instance, CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    rate_ = kFallbackRate;
    format = OutputFormat(rate_);
    // Without a device the mixer runs silent: nothing is queued.
    if (waveOutOpen(&device_, WAVE_MAPPER, &format, callback, instance, CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
      device_ = nullptr;
    }
  }
  SetOutputRate(static_cast<std::int32_t>(rate_));
}

void CSoundMixer::QueueSilentBuffers() {
  if (device_ == nullptr) return;
  if (deviceVolume_ != 0xFFFFFFFFu) waveOutSetVolume(device_, deviceVolume_);
  for (int i = 0; i < kBuffers; ++i) {
    buffers_[i].reset(new (std::nothrow) char[bufferBytes_]());
    headers_[i] = {};
    if (!buffers_[i]) continue;
    headers_[i].lpData = buffers_[i].get();
    headers_[i].dwBufferLength = bufferBytes_;
    headers_[i].dwUser = static_cast<DWORD_PTR>(i);
    waveOutPrepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
    waveOutWrite(device_, &headers_[i], sizeof(WAVEHDR));
  }
}

std::uint32_t CSoundMixer::Open(std::uint32_t rate, std::uint32_t half) {
  CriticalSectionLock guard(&lock_);
  if (device_ != nullptr || closing_) return rate_;
  rate_ = rate;
  OpenDevice();
  const std::uint32_t full = rate_ == kFallbackRate ? 10240 : 20480;
  bufferBytes_ = half ? full / 2 : full;
  QueueSilentBuffers();
  return rate_;
}

CSoundMixer::DetachedDevice CSoundMixer::DetachDevice() {
  DetachedDevice detached;
  detached.device = device_;
  device_ = nullptr;
  for (int i = 0; i < kBuffers; ++i) {
    headers_[i].lpData = nullptr;
    detached.buffers[i] = std::move(buffers_[i]);
  }
  return detached;
}

void CSoundMixer::ShutDevice(DetachedDevice detached, int closeTries, DWORD retryMs) {
  if (detached.device == nullptr) return;
  waveOutReset(detached.device);
  for (int attempt = 0; attempt < closeTries; ++attempt) {
    if (waveOutClose(detached.device) == MMSYSERR_NOERROR) break;
    Sleep(retryMs);
  }
  // The buffers go with the detached record; a device that would not close is
  // dropped anyway, and its late callbacks find it is no longer the mixer's.
}

void CSoundMixer::Close() {
  {
    CriticalSectionLock guard(&lock_);
    if (closing_) return;
  }
  StopAll();
  DetachedDevice detached;
  {
    CriticalSectionLock guard(&lock_);
    closing_ = 1;
    detached = DetachDevice();
  }
  ShutDevice(std::move(detached), kCloseTries, kCloseRetryMs);
}

void CSoundMixer::Suspend() {
  DetachedDevice detached;
  {
    CriticalSectionLock guard(&lock_);
    if (suspended_ || closing_) return;
    suspended_ = 1;
    detached = DetachDevice();
    for (CSoundChannel* channel : slots_) {
      if (channel == nullptr) continue;
      if (channel->mp3) channel->mp3->Unmap();
      if (channel->ogg) channel->ogg->Suspend();
    }
  }
  ShutDevice(std::move(detached), kSuspendCloseTries, kSuspendRetryMs);
}

void CSoundMixer::Resume() {
  CriticalSectionLock guard(&lock_);
  if (!suspended_ || closing_) return;
  suspended_ = 0;
  for (CSoundChannel* channel : slots_) {
    if (channel == nullptr) continue;
    if (channel->mp3) channel->mp3->Remap();
    if (channel->ogg) channel->ogg->Resume();
    // The new device counts its position from 0.
    channel->lastDevicePosition = 0;
  }
  // The buffer size stays, so the surviving channels' work buffers still fit.
  OpenDevice();
  QueueSilentBuffers();
}

int CSoundMixer::StartChannel(int slot, int loop) {
  if (!ValidSlot(slot)) return 0;
  CriticalSectionLock guard(&lock_);
  CSoundChannel* channel = slots_[slot];
  if (channel != nullptr && channel->state != kChannelPlaying) {
    channel->state = kChannelPlaying;
    channel->started = 1;
    channel->loop = loop ? 1 : 0;
    channel->mixedBuffers = -2;
  }
  return 0;
}

void CSoundMixer::StopChannel(int slot) {
  if (!ValidSlot(slot)) return;
  CSoundChannel* channel;
  {
    CriticalSectionLock guard(&lock_);
    channel = slots_[slot];
    if (channel == nullptr) return;
    channel->state = kChannelStopRequested;
  }
  // The refill frees it; when no refill can come, it is freed here.
  for (;;) {
    {
      CriticalSectionLock guard(&lock_);
      if (slots_[slot] != channel) return;
      if (device_ == nullptr) {
        ReleaseChannel(slot);
        return;
      }
    }
    Sleep(1);
  }
}

void CSoundMixer::StopAll() {
  for (int slot = 0; slot < kSlots; ++slot) StopChannel(slot);
}

int CSoundMixer::FadeIn(int slot, std::uint32_t ms) {
  if (!ValidSlot(slot)) return 1;
  CriticalSectionLock guard(&lock_);
  if (CSoundChannel* channel = slots_[slot]) {
    channel->fadePercent = 0;
    channel->fadeIn = 1;
    channel->fadeOut = 0;
    channel->fadeStart = GetClockMs();
    channel->fadeDuration = ms;
  }
  return 1;
}

int CSoundMixer::FadeOut(int slot, std::uint32_t ms) {
  if (!ValidSlot(slot)) return 1;
  CriticalSectionLock guard(&lock_);
  if (CSoundChannel* channel = slots_[slot]) {
    channel->fadePercent = 100;
    channel->fadeIn = 0;
    channel->fadeOut = 1;
    channel->fadeStart = GetClockMs();
    channel->fadeDuration = ms;
  }
  return 1;
}

CSoundChannel* CSoundMixer::GetChannel(int slot) {
  if (!ValidSlot(slot)) return nullptr;
  CriticalSectionLock guard(&lock_);
  return slots_[slot];
}

int CSoundMixer::SetChannelVolume(CSoundChannel* channel, std::uint32_t volume) {
  CriticalSectionLock guard(&lock_);
  // The refill may have freed the record since the caller looked it up.
  if (channel == nullptr || std::find(slots_.begin(), slots_.end(), channel) == slots_.end()) return 1;
  if (volume <= 100) channel->baseVolume = volume;
  channel->volume = std::min<std::uint32_t>(100, channel->fadePercent * channel->baseVolume / 100);
  return 1;
}

void CSoundMixer::SetSlotVolume(int slot, std::uint32_t volume) {
  if (!ValidSlot(slot)) return;
  CriticalSectionLock guard(&lock_);
  SetChannelVolume(slots_[slot], volume);
}

std::int32_t CSoundMixer::GetPlayPosition(int slot) {
  if (!ValidSlot(slot)) return -1;
  CriticalSectionLock guard(&lock_);
  CSoundChannel* channel = slots_[slot];
  if (channel == nullptr || channel->state != kChannelPlaying) return -1;
  if (!channel->positionKnown) return 0;
  // A closed device has no position: the count stands still meanwhile.
  if (device_ != nullptr) {
    const std::uint32_t position = DevicePosition();
    channel->playedBytes += static_cast<std::uint32_t>(position - channel->lastDevicePosition);
    channel->lastDevicePosition = position;
  }
  if (channel->playedBytes <= 0) return 0;
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(static_cast<double>(channel->playedBytes) * channel->secondsPerByte * 1000.0));
}

std::uint32_t CSoundMixer::DevicePosition() {
  MMTIME time{};
  time.wType = TIME_BYTES;
  if (device_ == nullptr || waveOutGetPosition(device_, &time, sizeof time) != MMSYSERR_NOERROR) return 0;
  return time.u.cb;
}

void CSoundMixer::SetDeviceVolume(std::uint32_t level) {
  const std::uint32_t clamped = std::min<std::uint32_t>(level, 65535);
  CriticalSectionLock guard(&lock_);
  deviceVolume_ = clamped | clamped << 16;
  if (device_ != nullptr) waveOutSetVolume(device_, deviceVolume_);
}

void CSoundMixer::SetOggFirst(std::uint32_t flag) {
  CriticalSectionLock guard(&lock_);
  oggFirst_ = flag >= 2 ? 0 : flag;
}
