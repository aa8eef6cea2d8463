// Byte order of the colour pictures the encoder converts, shared by the
// plain and the SIMD colour kernels, and chroma from summed pixels.
#pragma once

#include <cstdint>

struct RgbOrder {
  static constexpr int r = 0, g = 1, b = 2, bytes = 3;
  static constexpr bool alpha = false;
};
struct BgrOrder {
  static constexpr int r = 2, g = 1, b = 0, bytes = 3;
  static constexpr bool alpha = false;
};
// Four-channel pictures code the complement of R, G, B plus the fourth byte.
struct RgbaOrder {
  static constexpr int r = 0, g = 1, b = 2, bytes = 4;
  static constexpr bool alpha = true;
};

template <typename Order>
inline void readRgb(const std::uint8_t* pixel, int& r, int& g, int& b) {
  r = pixel[Order::r];
  g = pixel[Order::g];
  b = pixel[Order::b];
  if constexpr (Order::alpha) {
    r = 255 - r;
    g = 255 - g;
    b = 255 - b;
  }
}

// Cb and Cr of a cell of 2^cellLog2 pixels from the sums of its R, G and B,
// with one rounding (the full-MCU kernels' chroma).
inline int jpegCbOfSums(int sr, int sg, int sb, int cellLog2) {
  return (128 * sb - 43 * sr - 85 * sg + (128 << cellLog2)) >> (8 + cellLog2);
}
inline int jpegCrOfSums(int sr, int sg, int sb, int cellLog2) {
  return (128 * sr - 107 * sg - 21 * sb + (128 << cellLog2)) >> (8 + cellLog2);
}
