// Channel count changes of interleaved 16-bit PCM.
#pragma once

#include <cstddef>
#include <cstdint>

// Each frame's two samples become their mean, rounded half away from zero.
void MixStereoToMono(const std::int16_t* stereo, std::size_t frames, std::int16_t* mono);
// Each sample is copied to both channels.
void CopyMonoToStereo(const std::int16_t* mono, std::size_t frames, std::int16_t* stereo);
