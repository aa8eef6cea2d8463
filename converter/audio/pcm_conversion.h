// Changing 16-bit PCM's rate and channel count through the platform's audio
// compression manager.
#pragma once

#include <cstdint>

#include "converter/audio/stop_check.h"
#include "host/audio/wave_format.h"

namespace reelpack {

// True when the PCM already has the target's rate, channels and sample size.
bool SamePcmLayout(const WAVEFORMATEX& source, const WAVEFORMATEX& target);

// Converts size bytes of data from source to target in blocks, asking stop
// between them. Returns the converted bytes, in a zero-filled block of pages
// stored in *out (free it with VirtualFree); 0 with *out null when the
// conversion cannot be opened or fails, memory cannot be had or stop said so.
std::uint32_t ConvertPcmFormat(const WAVEFORMATEX& source, const WAVEFORMATEX& target, const std::uint8_t* data,
                               std::uint32_t size, std::uint8_t** out, const StopCheck& stop);

}  // namespace reelpack
