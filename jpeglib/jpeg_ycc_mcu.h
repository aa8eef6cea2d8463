// Whole-MCU YCbCr output: a 4:2:0 MCU (luma 16 x 16, chroma 8 x 8, each
// chroma sample repeated over 2 x 2 pixels) into 16 rows of 16 three-byte
// pixels, in RGB or BGR byte order, by one of the colour forms.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeglib/jpeg_ycc_colour.h"

template <JpegRgb (*Colour)(int, int, int), bool Bgr>
void writeYcc420(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                 std::uint8_t* out, std::ptrdiff_t stride) {
  for (int row = 0; row < 16; ++row) {
    const std::uint8_t* luma = y + row * planeStride;
    const std::uint8_t* blue = cb + (row >> 1) * planeStride;
    const std::uint8_t* red = cr + (row >> 1) * planeStride;
    std::uint8_t* pixel = out + row * stride;
    for (int x = 0; x < 16; ++x, pixel += 3) {
      const JpegRgb rgb = Colour(luma[x], blue[x >> 1], red[x >> 1]);
      pixel[0] = Bgr ? rgb.b : rgb.r;
      pixel[1] = rgb.g;
      pixel[2] = Bgr ? rgb.r : rgb.b;
    }
  }
}

// The plain classes' kernels.
void writeBgr420Plain(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride);
void writeRgb420Plain(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride);
