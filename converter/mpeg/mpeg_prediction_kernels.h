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

// A kernel table from a family's block kernels and its prediction template
// Family::Predict<Width, Hx, Hy, Put>.
template <typename Family>
constexpr MPEG_PREDICTION_KERNELS MakePredictionKernels() {
  MPEG_PREDICTION_KERNELS k{Family::AddBlock, Family::StoreBlock, {}};
  auto fill = [&k]<int Width>(MpegPredictionKernel* entry) {
    entry[0] = Family::template Predict<Width, 0, 0, 0>;
    entry[1] = Family::template Predict<Width, 0, 0, 1>;
    entry[2] = Family::template Predict<Width, 0, 1, 0>;
    entry[3] = Family::template Predict<Width, 0, 1, 1>;
    entry[4] = Family::template Predict<Width, 1, 0, 0>;
    entry[5] = Family::template Predict<Width, 1, 0, 1>;
    entry[6] = Family::template Predict<Width, 1, 1, 0>;
    entry[7] = Family::template Predict<Width, 1, 1, 1>;
  };
  fill.template operator()<8>(k.predict);
  fill.template operator()<16>(k.predict + 8);
  return k;
}

const MPEG_PREDICTION_KERNELS& portablePredictionKernels();

}  // namespace reelpack
