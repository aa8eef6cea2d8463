// The pixel kernels of the video decoder as one set: inverse DCT, prediction
// and placement, chroma up-sampling and BGR24 conversion. The portable forms
// define the results; the SSE2 forms give the same bytes faster, and a set
// is chosen per processor.
#pragma once

#include <cstdint>

#include "converter/mpeg/mpeg_colour.h"
#include "converter/mpeg/mpeg_prediction_kernels.h"

namespace reelpack {

struct MPEG_VIDEO_KERNELS {
  void (*inverseDct)(std::int16_t* block);
  void (*upsampleChroma)(std::uint8_t* plane, int codedWidth, int codedHeight);
  void (*convert)(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* buffer,
                  const MPEG_COLOUR_PARAMS& params);
  const MPEG_PREDICTION_KERNELS* prediction;
};

const MPEG_VIDEO_KERNELS& portableVideoKernels();
// Null when this build or this processor has no SSE2.
const MPEG_VIDEO_KERNELS* sse2VideoKernels();
// The fastest set this processor runs.
const MPEG_VIDEO_KERNELS& videoKernels();

// The SSE2 forms (defined only where SSE2 is built).
void inverseDctSse2(std::int16_t* block);
void upsampleChromaFrameSse2(std::uint8_t* plane, int codedWidth, int codedHeight);
void convertToRgb24Sse2(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr,
                        std::uint8_t* buffer, const MPEG_COLOUR_PARAMS& params);
const MPEG_PREDICTION_KERNELS& sse2PredictionKernels();

}  // namespace reelpack
