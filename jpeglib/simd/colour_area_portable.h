// The portable colour conversion of a Width x 8 pixel area: the arithmetic
// of every SIMD colour kernel, which is exact for 8-bit pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_pixel_order.h"

namespace simd_portable {

inline constexpr int log2Cell(int cell) { return cell == 4 ? 2 : cell == 2 ? 1 : 0; }

// Width x 8 pixels; luma (and the fourth component) in Width / 8 blocks,
// chroma cells of HF x VF pixels written at 8 samples a row.
template <typename Order, int Width, int HF, int VF>
inline void convertArea(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                 std::int16_t* cr, std::int16_t* fourth) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < Width; ++x) {
      const std::uint8_t* pixel = source + y * stride + x * Order::bytes;
      int r, g, b;
      readRgb<Order>(pixel, r, g, b);
      const int at = (x >> 3) * 64 + y * 8 + (x & 7);
      luma[at] = static_cast<std::int16_t>(jpegLuma(r, g, b));
      if constexpr (Order::alpha) fourth[at] = static_cast<std::int16_t>(pixel[3] - 128);
    }
  }
  for (int cy = 0; cy < 8 / VF; ++cy) {
    for (int cx = 0; cx < Width / HF; ++cx) {
      int sr = 0, sg = 0, sb = 0;
      for (int j = 0; j < VF; ++j) {
        for (int i = 0; i < HF; ++i) {
          int r, g, b;
          readRgb<Order>(source + (cy * VF + j) * stride + (cx * HF + i) * Order::bytes, r, g, b);
          sr += r;
          sg += g;
          sb += b;
        }
      }
      cb[cy * 8 + cx] = static_cast<std::int16_t>(jpegCbOfSums(sr, sg, sb, log2Cell(HF * VF)));
      cr[cy * 8 + cx] = static_cast<std::int16_t>(jpegCrOfSums(sr, sg, sb, log2Cell(HF * VF)));
    }
  }
}

}  // namespace simd_portable
