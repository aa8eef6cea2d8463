#include "converter/jbp1/frame_turn.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace reelpack {

std::optional<BmpImage> RotateBmpImage(BmpImage&& source) {
  const BmpImage image = std::move(source);
  BmpImage turned;
  if (!RotateBmpImageInto(image, turned)) return std::nullopt;
  return turned;
}

bool RotateBmpImageInto(std::span<const std::uint8_t> image, BmpImage& turned) {
  const std::optional<BmpInfo> info = ReadBmpInfo(image);
  if (!info || info->bitsPerPixel != kBmpBitsPerPixel) return false;
  ShapeBmpImage(turned, info->height, info->width);
  const std::size_t turnedRowBytes = BmpRowBytes(info->height);
  // Eight turned rows at a time, so that each source row is read eight
  // pixels at a stretch rather than one pixel a row apart.
  constexpr int kBand = 8;
  for (int first = 0; first < info->width; first += kBand) {
    const int band = std::min(kBand, info->width - first);
    std::uint8_t* out[kBand];
    for (int t = 0; t < band; ++t) out[t] = BmpRow(turned, first + t, turnedRowBytes);
    const std::size_t column = 3 * static_cast<std::size_t>(info->width - 1 - first);
    for (int j = 0; j < info->height; ++j) {
      const std::uint8_t* in = BmpRow(image, j, info->rowBytes) + column;
      for (int t = 0; t < band; ++t) {
        out[t][3 * j] = in[-3 * t];
        out[t][3 * j + 1] = in[-3 * t + 1];
        out[t][3 * j + 2] = in[-3 * t + 2];
      }
    }
  }
  return true;
}

}  // namespace reelpack
