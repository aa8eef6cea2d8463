#include "converter/jbp1/bmp_image.h"

#include <algorithm>

#include "common/byte_order.h"

namespace reelpack {

namespace {

constexpr std::uint16_t kBmpMagic = 0x4D42;  // "BM"
constexpr std::uint32_t kBmpInfoHeaderBytes = 40;

}  // namespace

std::optional<BmpInfo> ReadBmpInfo(std::span<const std::uint8_t> image) {
  if (image.size() < kBmpHeaderBytes || ReadLe16(image.data()) != kBmpMagic) return std::nullopt;
  BmpInfo info;
  info.width = static_cast<std::int32_t>(ReadLe32(image.data() + 18));
  info.height = static_cast<std::int32_t>(ReadLe32(image.data() + 22));
  info.bitsPerPixel = ReadLe16(image.data() + 28);
  if (info.width < 1 || info.height < 1 || info.width > kBmpMaxSide || info.height > kBmpMaxSide ||
      info.bitsPerPixel < 1 || info.bitsPerPixel > 32) {
    return std::nullopt;
  }
  info.rowBytes = BmpRowBytes(info.width);
  const std::size_t storedRowBytes = (static_cast<std::size_t>(info.width) * info.bitsPerPixel + 31) / 32 * 4;
  if (image.size() - kBmpHeaderBytes < storedRowBytes * static_cast<std::size_t>(info.height)) return std::nullopt;
  return info;
}

BmpImage MakeBmpImage(int width, int height) {
  BmpImage image;
  ResetBmpImage(image, width, height);
  return image;
}

namespace {

void WriteBmpHeader(BmpImage& image, int width, int height, std::size_t pixelBytes) {
  std::uint8_t* header = image.data();
  std::fill(header, header + kBmpHeaderBytes, std::uint8_t{0});
  WriteLe16(header, kBmpMagic);
  WriteLe32(header + 2, static_cast<std::uint32_t>(image.size()));
  WriteLe32(header + 10, static_cast<std::uint32_t>(kBmpHeaderBytes));
  WriteLe32(header + 14, kBmpInfoHeaderBytes);
  WriteLe32(header + 18, static_cast<std::uint32_t>(width));
  WriteLe32(header + 22, static_cast<std::uint32_t>(height));
  WriteLe16(header + 26, 1);
  WriteLe16(header + 28, kBmpBitsPerPixel);
  WriteLe32(header + 34, static_cast<std::uint32_t>(pixelBytes));
}

}  // namespace

void ResetBmpImage(BmpImage& image, int width, int height) {
  const std::size_t pixelBytes = BmpRowBytes(width) * static_cast<std::size_t>(height);
  image.assign(kBmpHeaderBytes + pixelBytes, 0);
  WriteBmpHeader(image, width, height, pixelBytes);
}

void ShapeBmpImage(BmpImage& image, int width, int height) {
  const std::size_t rowBytes = BmpRowBytes(width);
  const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(height);
  image.resize(kBmpHeaderBytes + pixelBytes);
  WriteBmpHeader(image, width, height, pixelBytes);
  const std::size_t usedBytes = 3 * static_cast<std::size_t>(width);
  if (usedBytes == rowBytes) return;
  for (int row = 0; row < height; ++row) {
    std::uint8_t* padding = BmpRow(image, row, rowBytes) + usedBytes;
    std::fill(padding, padding + (rowBytes - usedBytes), std::uint8_t{0});
  }
}

}  // namespace reelpack
