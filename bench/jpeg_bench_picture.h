// The JPEG benchmarks' picture (the converter's 640 x 480 BGR frame: smooth
// waves with a little noise) and libjpeg-turbo's encode of it in memory.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

// jpeglib.h needs FILE and size_t declared first, and defines TRUE and FALSE.
#include <cstdio>
#include <jpeglib.h>

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

// Encodes the picture with libjpeg-turbo: defaults for BGR input, then
// `configure` (quality, tables, coding options); returns the stream size.
template <typename Configure>
unsigned long EncodeBenchPictureWithLibjpeg(Configure configure) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* output = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &output, &size);
  cinfo.image_width = kBenchWidth;
  cinfo.image_height = kBenchHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  cinfo.dct_method = JDCT_ISLOW;
  configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(BenchPicture().data()) + cinfo.next_scanline * kBenchStride;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::free(output);
  return size;
}
