// The software mixer that owns the wave-out device: 64 channel slots (by
// convention 0 music and movie sound, 10-13 effects, 20 voice), three PCM
// buffers kept queued, each refilled on the driver's thread from every
// playing channel with fades, volume and 16-bit clamping.
//
// Threads: the main thread calls the public operations; the device's driver
// thread runs WaveCallback. One lock (re-entrant) guards the slots and every
// channel in them. A channel is freed by the refill after a stop request, or
// directly under the lock when no refill can come (device closed, suspended
// or never opened). Device reset and close run outside the lock, since a
// refill waiting for the lock would otherwise hold them up.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/sound/sound_channel.h"
#include "host/audio/wave_out_api.h"
#include "host/threads/thread_api.h"

class CArchiveReader;

class CSoundMixer {
 public:
  static constexpr int kSlots = 64;
  static constexpr int kBuffers = 3;
  static constexpr std::uint32_t kScratchBytes = 49152;

  CSoundMixer();
  // The calls the application shell makes are virtual, so its tests can
  // watch them.
  virtual ~CSoundMixer();
  CSoundMixer(const CSoundMixer&) = delete;
  CSoundMixer& operator=(const CSoundMixer&) = delete;

  // Opens the device at rate (one retry at 22,050 Hz when that fails) with
  // three silent buffers queued; half halves the buffers. Returns the rate
  // kept. When no device opens, the mixer stays silent and channels can still
  // be played, stopped and freed.
  virtual std::uint32_t Open(std::uint32_t rate, std::uint32_t half);
  // Stops and frees every channel and closes the device for good.
  virtual void Close();
  // Close the device around a loss of the foreground, keeping the channels.
  virtual void Suspend();
  virtual void Resume();

  // Loads name (extension optional: ".mp3" and ".ogg" are tried in the
  // preferred order) from the ".mlz" archive at folder, or from the folder
  // itself when it is empty or ends in '\'. volume 0..100 (other values:
  // silent), fadeInMs > 0 fades in, readWhole reads a loose file into memory
  // instead of mapping it. 1 when loaded (and started with startNow).
  int Play(int slot, const char* name, const std::string& folder, CArchiveReader* archive, int volume,
           std::uint32_t fadeInMs, int loop, int startNow, int readWhole);
  int StartChannel(int slot, int loop);
  // Returns once the channel is freed.
  void StopChannel(int slot);
  void StopAll();
  int FadeIn(int slot, std::uint32_t ms);
  // The channel is stopped and freed when the fade ends.
  int FadeOut(int slot, std::uint32_t ms);
  // The channel in the slot, or null; valid while it stays there.
  CSoundChannel* GetChannel(int slot);
  // Ignored for a record no longer in a slot and for volumes above 100.
  int SetChannelVolume(CSoundChannel* channel, std::uint32_t volume);
  // SetChannelVolume of the slot's channel, if any, in one step.
  virtual void SetSlotVolume(int slot, std::uint32_t volume);
  // Milliseconds played since the channel's first buffer reached the device
  // (0 before that), or -1 when the slot is free or not playing.
  virtual std::int32_t GetPlayPosition(int slot);
  virtual void SetDeviceVolume(std::uint32_t level);
  // 1: ".ogg" before ".mp3"; 0 (and any value of 2 or more): ".mp3" first.
  virtual void SetOggFirst(std::uint32_t flag);

  std::uint32_t GetOutputRate() const { return rate_; }
  std::uint32_t GetBufferBytes() const { return bufferBytes_; }

  static void WaveCallback(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2);

 private:
  // Device handling (sound_mixer.cpp).
  // Opens the device at the kept rate (falling back to 22,050 Hz); null when
  // none opens.
  void OpenDevice();
  void QueueSilentBuffers();
  // Takes the device and its buffers out of the shared state; the caller
  // then shuts them outside the lock.
  struct DetachedDevice {
    HWAVEOUT device = nullptr;
    std::array<std::unique_ptr<char[]>, kBuffers> buffers;
  };
  DetachedDevice DetachDevice();
  static void ShutDevice(DetachedDevice detached, int closeTries, DWORD retryMs);
  bool ValidSlot(int slot) const { return slot >= 0 && slot < kSlots; }

  // The refill, on the driver thread (sound_mixer_refill.cpp).
  void FillBuffer(HWAVEOUT device, WAVEHDR* header);
  void StepFade(CSoundChannel* channel, std::uint32_t now);
  int DecodeChannel(CSoundChannel* channel, std::uint32_t bytes);
  void ConvertToOutput(CSoundChannel* channel, const std::uint8_t* pcm, std::uint32_t bytes);
  int MixChannel(WAVEHDR* header, CSoundChannel* channel);
  void ReleaseChannel(int slot);
  std::uint32_t DevicePosition();

  // Loading (sound_mixer_play.cpp).
  std::unique_ptr<CSoundChannel> CreateChannel(std::uint32_t bytes, bool ogg);
  std::unique_ptr<CSoundChannel> LoadChannel(const char* name, const std::string& folder, CArchiveReader* archive,
                                             int readWhole);

  HWAVEOUT device_ = nullptr;
  std::array<WAVEHDR, kBuffers> headers_{};
  std::array<std::unique_ptr<char[]>, kBuffers> buffers_;
  // The default opening's size until Open, so channels loaded before it fit.
  std::uint32_t bufferBytes_ = 10240;
  std::uint32_t rate_ = 22050;
  std::array<CSoundChannel*, kSlots> slots_{};
  std::uint32_t oggFirst_ = 0;
  CRITICAL_SECTION lock_;
  std::uint32_t suspended_ = 0;
  std::uint32_t closing_ = 0;
  std::uint32_t deviceVolume_ = 0xFFFFFFFFu;
  std::unique_ptr<std::uint8_t[]> scratch_;
};
