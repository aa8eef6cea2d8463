// Pixel kernels of the video decoder's reconstruction: block add and store,
// and the half-pel prediction kernels, 8 and 16 pixels wide, that either
// put the interpolated source or average it into the destination.
#pragma once

#include <cstdint>

namespace reelpack {

using MpegBlockKernel = void (*)(const std::int16_t* block, std::uint8_t* destination, int stride);
using MpegPredictionKernel = void (*)(const std::uint8_t* source, std::uint8_t* destination, int sourceStride,
                                      int destinationStride, int rows);

// Entries 2 + k (8 wide) and 10 + k (16 wide) with k = 4 hx + 2 hy + put;
// entries 0 (add, saturating) and 1 (store, saturating) take a block.
struct MPEG_PREDICTION_KERNELS {
  MpegBlockKernel addBlock;
  MpegBlockKernel storeBlock;
  MpegPredictionKernel predict[16];
};

inline constexpr int PredictionKernelIndex(int wide16, int hx, int hy, int put) {
  return 8 * wide16 + 4 * hx + 2 * hy + put;
}

const MPEG_PREDICTION_KERNELS& portablePredictionKernels();

}  // namespace reelpack
