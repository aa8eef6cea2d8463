#include "converter/mpeg/mpeg_reconstruct.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace reelpack {
namespace {

std::uint8_t* At(std::uint8_t* plane, int stride, int x, int y) {
  return plane + static_cast<std::ptrdiff_t>(y) * stride + x;
}

}  // namespace

void clampVectors(MPEG_PREDICTION& prediction, int x, int y, int width, int height) {
  for (auto& v : prediction.vectors) {
    v[0] = std::clamp(v[0], -2 * x, 2 * (width - x) - 32);
    v[1] = std::clamp(v[1], -2 * y, 2 * (height - y) - 32);
  }
}

void predictBlock(const MPEG_PICTURE& reference, MPEG_PICTURE& current, int vectorX, int vectorY, int x, int y,
                  int put, const MPEG_PREDICTION_KERNELS& kernels) {
  const int w = current.width;
  // Vectors may be negative: >> floors, which is what the half-pel split needs.
  const std::uint8_t* source = At(reference.planeY, w, x + (vectorX >> 1), y + (vectorY >> 1));
  kernels.predict[PredictionKernelIndex(1, vectorX & 1, vectorY & 1, put)](source, At(current.planeY, w, x, y), w, w,
                                                                           16);
  const int cx = vectorX / 2, cy = vectorY / 2;  // toward zero
  const int sx = x / 2 + (cx >> 1), sy = y / 2 + (cy >> 1);
  const MpegPredictionKernel chroma = kernels.predict[PredictionKernelIndex(0, cx & 1, cy & 1, put)];
  chroma(At(reference.planeCb, w, sx, sy), At(current.planeCb, w, x / 2, y / 2), w, w, 8);
  chroma(At(reference.planeCr, w, sx, sy), At(current.planeCr, w, x / 2, y / 2), w, w, 8);
}

void formPredictions(const MPEG_REFERENCES& pictures, const MPEG_PREDICTION& prediction, int x, int y,
                     const MPEG_PREDICTION_KERNELS& kernels) {
  int put = 1;
  if (prediction.forward && pictures.forward != nullptr) {
    predictBlock(*pictures.forward, *pictures.current, prediction.vectors[0][0], prediction.vectors[0][1], x, y, 1,
                 kernels);
    put = 0;
  }
  if (prediction.backward && pictures.backward != nullptr)
    predictBlock(*pictures.backward, *pictures.current, prediction.vectors[1][0], prediction.vectors[1][1], x, y,
                 put, kernels);
}

void placeBlock(const std::int16_t* block, MPEG_PICTURE& current, int intra, int x, int y, int blockIndex,
                const MPEG_PREDICTION_KERNELS& kernels) {
  const int w = current.width;
  std::uint8_t* destination;
  if (blockIndex < 4) {
    destination = At(current.planeY, w, x + 8 * (blockIndex & 1), y + 8 * (blockIndex >> 1));
  } else {
    destination = At(blockIndex == 4 ? current.planeCb : current.planeCr, w, x / 2, y / 2);
  }
  (intra ? kernels.storeBlock : kernels.addBlock)(block, destination, w);
}

void fillMacroblock(MPEG_PICTURE& current, int x, int y) {
  const int w = current.width;
  for (int r = 0; r < 16; ++r) std::memset(At(current.planeY, w, x, y + r), 16, 16);
  for (int r = 0; r < 8; ++r) {
    std::memset(At(current.planeCb, w, x / 2, y / 2 + r), 128, 8);
    std::memset(At(current.planeCr, w, x / 2, y / 2 + r), 128, 8);
  }
}

}  // namespace reelpack
