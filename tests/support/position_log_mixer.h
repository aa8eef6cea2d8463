// The mixer of a headless movie run, noting each play position the movie
// reads and when. The sound device is first brought up to the virtual clock,
// so the position is the same in every run whatever else the machine is doing.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/sound/sound_mixer.h"
#include "host/audio/audio_backend.h"
#include "host/time/time_api.h"

struct PositionLog : CSoundMixer {
  std::vector<std::pair<DWORD, std::int32_t>>* log = nullptr;
  std::int32_t GetPlayPosition(int slot) override {
    HostWaveOutSettle();
    const std::int32_t position = CSoundMixer::GetPlayPosition(slot);
    log->emplace_back(timeGetTime(), position);
    return position;
  }
};
