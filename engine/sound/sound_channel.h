// One playing (or loaded) sound in a mixer slot: its stream, its format, the
// output-format PCM of the buffer being mixed, its volume, state and fades.
// The mixer reads and writes it only under its lock once it is in a slot.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/sound/mp3_stream.h"
#include "engine/sound/ogg_stream.h"
#include "host/audio/wave_format.h"

enum SoundChannelState : std::uint32_t {
  kChannelIdle = 0,  // loaded but not started, or its data has ended
  kChannelPlaying = 1,
  kChannelStopRequested = 3,
};

struct CSoundChannel {
  CSoundChannel() = default;
  // The streams go before the memory they read from.
  ~CSoundChannel();
  CSoundChannel(const CSoundChannel&) = delete;
  CSoundChannel& operator=(const CSoundChannel&) = delete;

  std::unique_ptr<CMp3Stream> mp3;
  std::unique_ptr<COggStream> ogg;
  char name[64] = {};
  WAVEFORMATEX sourceFormat{};
  std::unique_ptr<std::uint8_t[]> work;  // workBytes + 8
  std::uint32_t workBytes = 0;
  // The image the sound was read into (archive entry or whole file), a
  // local-heap block; null for a mapped or plug-in-opened file.
  void* sourceData = nullptr;
  std::uint32_t readPosition = 0;
  // -2 at the start; when it is 0 before a mix, that mix's buffer is the
  // first of the channel to reach the device.
  std::int32_t mixedBuffers = 0;
  std::uint32_t volume = 0;
  std::uint32_t baseVolume = 0;
  std::uint32_t state = kChannelIdle;
  std::uint32_t started = 0;
  std::uint32_t loop = 0;
  std::int64_t playedBytes = 0;
  // Device position when the played bytes were last brought up to date;
  // meaningful once positionKnown is set (the channel's first buffer began).
  std::uint32_t lastDevicePosition = 0;
  bool positionKnown = false;
  double secondsPerByte = 0.0;
  std::uint32_t oggFlag = 0;
  std::uint32_t fadeIn = 0;
  std::uint32_t fadeOut = 0;
  std::uint32_t fadeDuration = 0;
  std::uint32_t fadeStart = 0;
  std::uint32_t fadePercent = 100;
};
