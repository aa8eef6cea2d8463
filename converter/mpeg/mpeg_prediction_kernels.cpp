#include "converter/mpeg/mpeg_prediction_kernels.h"

#include <algorithm>

namespace reelpack {
namespace {

inline std::uint8_t ClampPixel(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

void AddBlock(const std::int16_t* block, std::uint8_t* destination, int stride) {
  for (int r = 0; r < 8; ++r, destination += stride, block += 8)
    for (int x = 0; x < 8; ++x) destination[x] = ClampPixel(destination[x] + block[x]);
}

void StoreBlock(const std::int16_t* block, std::uint8_t* destination, int stride) {
  for (int r = 0; r < 8; ++r, destination += stride, block += 8)
    for (int x = 0; x < 8; ++x) destination[x] = ClampPixel(block[x]);
}

template <int Width, int Hx, int Hy, int Put>
void Predict(const std::uint8_t* source, std::uint8_t* destination, int sourceStride, int destinationStride,
             int rows) {
  for (int r = 0; r < rows; ++r, source += sourceStride, destination += destinationStride) {
    const std::uint8_t* below = source + sourceStride;
    for (int x = 0; x < Width; ++x) {
      int v;
      if constexpr (Hx && Hy) {
        v = (source[x] + source[x + 1] + below[x] + below[x + 1] + 2) >> 2;
      } else if constexpr (Hx) {
        v = (source[x] + source[x + 1] + 1) >> 1;
      } else if constexpr (Hy) {
        v = (source[x] + below[x] + 1) >> 1;
      } else {
        v = source[x];
      }
      destination[x] = static_cast<std::uint8_t>(Put ? v : (destination[x] + v + 1) >> 1);
    }
  }
}

struct Family {
  static constexpr MpegBlockKernel AddBlock = &reelpack::AddBlock;
  static constexpr MpegBlockKernel StoreBlock = &reelpack::StoreBlock;
  template <int Width, int Hx, int Hy, int Put>
  static constexpr MpegPredictionKernel Predict = &reelpack::Predict<Width, Hx, Hy, Put>;
};

constexpr MPEG_PREDICTION_KERNELS kPortable = MakePredictionKernels<Family>();

}  // namespace

const MPEG_PREDICTION_KERNELS& portablePredictionKernels() { return kPortable; }

}  // namespace reelpack
