// The JPEG library benchmarks' picture, the converter's 640 x 480 BGR frame
// (smooth waves with a little noise), and one write of it through our library.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "jpeglib/jpeg_api.h"

inline constexpr int kBenchWidth = 640;
inline constexpr int kBenchHeight = 480;
inline constexpr int kBenchStride = kBenchWidth * 3;

inline const std::vector<std::uint8_t>& BenchPicture() {
  static const std::vector<std::uint8_t> pixels = [] {
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(kBenchStride) * kBenchHeight);
    unsigned seed = 1;
    for (int y = 0; y < kBenchHeight; ++y) {
      for (int x = 0; x < kBenchWidth; ++x) {
        for (int c = 0; c < 3; ++c) {
          seed = seed * 1103515245u + 12345u;
          const double wave = 70.0 * std::sin(x * 0.05 + c) + 50.0 * std::cos(y * 0.07 - x * 0.01 * c);
          const int value = 128 + static_cast<int>(wave) + static_cast<int>(seed >> 28) - 8;
          bgr[static_cast<std::size_t>(y) * kBenchStride + x * 3 + c] =
              static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        }
      }
    }
    return bgr;
  }();
  return pixels;
}

// Writes the picture (mode 9, the record's other fields as they stand) into
// `output`; the stream's size, or 0 on failure.
inline std::size_t WriteBenchPicture(JPEG_PROPERTIES& props, std::vector<std::uint8_t>& output) {
  props.imagePixels = const_cast<std::uint8_t*>(BenchPicture().data());
  props.imageWidth = props.jpegWidth = kBenchWidth;
  props.imageHeight = props.jpegHeight = kBenchHeight;
  props.jpegBuffer = output.data();
  props.jpegBufferSize = static_cast<std::uint32_t>(output.size());
  return jpegWrite(&props, JPEG_WRITE_IMAGE_BUFFER) == JPEG_SUCCESS ? props.jpegBufferSize : 0;
}
