#include "converter/jbp1/frame_turn.h"

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
  ResetBmpImage(turned, info->height, info->width);
  const std::size_t turnedRowBytes = BmpRowBytes(info->height);
  for (int i = 0; i < info->width; ++i) {
    std::uint8_t* out = BmpRow(turned, i, turnedRowBytes);
    const std::size_t column = 3 * static_cast<std::size_t>(info->width - 1 - i);
    for (int j = 0; j < info->height; ++j) {
      const std::uint8_t* in = BmpRow(image, j, info->rowBytes) + column;
      out[3 * j] = in[0];
      out[3 * j + 1] = in[1];
      out[3 * j + 2] = in[2];
    }
  }
  return true;
}

}  // namespace reelpack
