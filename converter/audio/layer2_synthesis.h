// The Layer II polyphase synthesis filter bank in integer arithmetic: each
// time slot's 32 subband samples per channel are matrixed into a ring of 64
// values, and 16 windowed rows of the ring sum to 32 PCM samples. Every
// product is shifted down by 15 before it is added, so the forms below give
// the same bits.
#pragma once

#include <cstdint>

#include "common/cpu_features.h"

namespace reelpack {

inline constexpr int kSlotsPerFrame = 36;

// What carries over from frame to frame: the last 1,024 matrixed samples of
// each channel in a ring, each written twice (at p and p + 1024) so that
// every window read is contiguous, and the ring position, which steps back
// by 64 per time slot. The vector forms hold each value u as the 16-bit
// pair (u & 0x7FFF, u >> 15), so a state stays with the portable form or
// with the vector forms from its clearing on.
struct SynthesisState {
  alignas(64) std::int32_t v[2][2048];
  std::int32_t offset;
};
void ClearSynthesisState(SynthesisState* state);

// The requantised values of one frame, per channel, time slot and subband,
// in units of 1/32768 (at most 65536; only subbands below sblimit are read).
struct FrameSamples {
  std::int32_t s[2][kSlotsPerFrame][32];
};

// Runs a frame's 36 time slots through the filter bank into 1,152 sample
// pairs (signed 16-bit little-endian, left then right, clipped). A single
// channel is written to both sides.
using SynthesizeFrameForm = void (*)(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                                     std::uint8_t* output);
// The definition.
void SynthesizeFramePortable(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                             std::uint8_t* output);
// The same bits from four 32-bit lanes of SSE2 registers.
void SynthesizeFrameSse2(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                         std::uint8_t* output);
// The same bits from eight lanes of AVX2 registers; only where the processor
// has them.
void SynthesizeFrameAvx2(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                         std::uint8_t* output);
// The fastest of the above this build and processor have.
void SynthesizeFrame(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                     std::uint8_t* output);

}  // namespace reelpack
