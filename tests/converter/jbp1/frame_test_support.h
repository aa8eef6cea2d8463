// Shared fixtures of the frame road tests: frames from ffmpeg's test sources
// as 24-bit BMP images, synthetic images, and libjpeg-turbo as the
// independent JPEG writer, coefficient reader and decoder.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "converter/jbp1/bmp_image.h"

using reelpack::BmpImage;

// ffmpeg's test sources: testsrc2, mandelbrot, smptebars, noise.
inline const char* const kFrameSources[] = {"testsrc2", "mandelbrot", "smptebars", "noise"};
struct FrameSize {
  int width;
  int height;
};
inline constexpr FrameSize kFrameSizes[] = {{640, 480}, {352, 288}, {352, 240}, {640, 448}, {100, 100}};

// One frame of the source at one of kFrameSizes as ffmpeg writes it (a
// bottom-up 24-bit BMP image); one ffmpeg run makes them all into the build
// folder the first time a test asks.
const BmpImage& SourceFrame(const std::string& source, int width, int height);

// A new image whose pixel (x, y) of the stored rows is colour(x, y) as blue,
// green, red.
template <typename Colour>
BmpImage MakeImage(int width, int height, Colour colour) {
  BmpImage image = reelpack::MakeBmpImage(width, height);
  const std::size_t rowBytes = reelpack::BmpRowBytes(width);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = reelpack::BmpRow(image, y, rowBytes);
    for (int x = 0; x < width; ++x) {
      const auto [b, g, r] = colour(x, y);
      row[3 * x] = static_cast<std::uint8_t>(b);
      row[3 * x + 1] = static_cast<std::uint8_t>(g);
      row[3 * x + 2] = static_cast<std::uint8_t>(r);
    }
  }
  return image;
}

// Channel c (0 blue, 1 green, 2 red) of pixel x of stored row y.
int PixelAt(const BmpImage& image, int x, int y, int c);

// Seeded uniform noise, the hardest picture to code; with extremes every
// channel is 0 or 255, harder still.
BmpImage MakeNoiseImage(int width, int height, std::uint32_t seed, bool extremes = false);

// The JPEG library's JPEG of the image as the frame coder makes it; empty
// when the library refuses.
std::vector<std::uint8_t> LibraryJpeg(const BmpImage& image, int quality);

struct LibjpegOptions {
  int quality = 75;
  bool chroma420 = true;  // else 4:4:4
  bool grey = false;
  bool progressive = false;
  int restartInterval = 0;  // in MCUs
  // Extra segments after the standard ones: marker code and body.
  std::vector<std::pair<int, std::string>> markers;
};
// libjpeg-turbo's JPEG of the image's stored rows (first stored row on top).
std::vector<std::uint8_t> LibjpegEncode(const BmpImage& image, const LibjpegOptions& options);

// libjpeg-turbo's coefficients of a sequential interleaved JPEG, dequantised,
// in natural order, block by block in MCU order (components in scan order).
struct ReferenceBlocks {
  bool ok = false;
  int width = 0;
  int height = 0;
  std::vector<std::int32_t> coefficients;  // 64 per block
  std::vector<std::vector<int>> quantTables;  // natural order, by component
  std::size_t BlockCount() const { return coefficients.size() / 64; }
};
ReferenceBlocks LibjpegCoefficients(const std::vector<std::uint8_t>& jpeg);

// libjpeg-turbo's decode to blue, green, red rows of width x 3 bytes each.
std::vector<std::uint8_t> LibjpegDecodeBgr(const std::vector<std::uint8_t>& jpeg, bool fancyUpsampling);

// The image's pixels as blue, green, red rows without padding.
std::vector<std::uint8_t> PackedBgr(const BmpImage& image);

// Each channel cut to the 5, 6, 5 bits of an RGB565 pixel and widened again
// by repeating its top bits, as the engine's pixels are read back.
std::vector<std::uint8_t> ThroughRgb565(const std::vector<std::uint8_t>& bgr);

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);
