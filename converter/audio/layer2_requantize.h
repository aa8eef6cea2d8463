// Requantisation of a Layer II frame: each value v of quantisation class q
// (1 to 17) under scale factor S becomes
//   y = (((v - h) * 32768 / h + d) * c) >> 15,  (y * S) >> 15,
// held at 65536, in units of 1/32768; the forms below give the same values.
#pragma once

#include <cstdint>

#include "converter/audio/layer2_synthesis.h"

namespace reelpack {

// A frame's bit allocation: the quantisation class (0: no bits), the scale
// factor selection and the scale factor index of each of the three parts.
struct FrameAllocation {
  std::uint8_t quantClass[2][32];
  std::uint8_t scfsi[2][32];
  std::uint8_t scaleIndex[2][32][3];
};

// The requantisation of one value v of quantisation class `quantClass` (1 to
// 17) with scale factor index `scaleIndex`.
std::int32_t Requantize(std::uint32_t v, int quantClass, int scaleIndex);

// Replaces the values read into `frame` (every slot, subbands below sblimit)
// by their requantisations; subbands without bits become 0. Values below
// 2^16 (the ungrouped values of a grouped code stay below 13).
using RequantizeFrameForm = void (*)(FrameSamples* frame, const FrameAllocation& alloc, int channels, int sblimit);
// The definition.
void RequantizeFramePortable(FrameSamples* frame, const FrameAllocation& alloc, int channels, int sblimit);
// Eight subbands at a time in AVX2 registers; only where the processor has
// them.
void RequantizeFrameAvx2(FrameSamples* frame, const FrameAllocation& alloc, int channels, int sblimit);
// The fastest of the above the processor has.
void RequantizeFrame(FrameSamples* frame, const FrameAllocation& alloc, int channels, int sblimit);

}  // namespace reelpack
