// The converter's picture between the steps of the video pass: a 24-bit BMP
// file image in one byte block (14-byte file header, 40-byte information
// header, then rows of blue, green, red bytes, each row filled up to a
// multiple of 4 bytes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace reelpack {

using BmpImage = std::vector<std::uint8_t>;

inline constexpr std::size_t kBmpHeaderBytes = 54;
inline constexpr int kBmpBitsPerPixel = 24;
// Larger sides than any frame the converter meets; keeps every size of an
// image far inside 32 bits.
inline constexpr int kBmpMaxSide = 16384;

// (3 x width + 3) rounded down to a multiple of 4.
constexpr std::size_t BmpRowBytes(int width) { return (3 * static_cast<std::size_t>(width) + 3) & ~std::size_t{3}; }

struct BmpInfo {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::size_t rowBytes = 0;  // of a 24-bit row of this width
};

// The header of an image: nothing unless it starts with "BM", has a positive
// width and height up to kBmpMaxSide and holds every row its header
// announces at its bits per pixel.
std::optional<BmpInfo> ReadBmpInfo(std::span<const std::uint8_t> image);

// A new 24-bit image of width x height with fresh headers and black pixels.
BmpImage MakeBmpImage(int width, int height);

// Makes image that same image in place, keeping its memory: a frame road that
// reuses its images spares fresh pages every frame.
void ResetBmpImage(BmpImage& image, int width, int height);

// The same size and header, keeping the pixel bytes as they were except each
// row's padding, which is cleared: for a writer that stores every pixel.
void ShapeBmpImage(BmpImage& image, int width, int height);

inline std::uint8_t* BmpRow(BmpImage& image, int storedRow, std::size_t rowBytes) {
  return image.data() + kBmpHeaderBytes + static_cast<std::size_t>(storedRow) * rowBytes;
}
inline const std::uint8_t* BmpRow(std::span<const std::uint8_t> image, int storedRow, std::size_t rowBytes) {
  return image.data() + kBmpHeaderBytes + static_cast<std::size_t>(storedRow) * rowBytes;
}

}  // namespace reelpack
