// YCbCr to RGB arithmetic of the decoder's output stage, in its three
// forms. Every form clamps to 0..255 and uses arithmetic shifts.
//  - fast: the per-MCU converters of the plain classes;
//  - in place: the tile and whole-picture conversion (its green rounds the
//    other way: 128, 128, 128 gives green 128 here and 129 in the fast form);
//  - lanes: the 16-bit fixed point of the SIMD classes, which applies the
//    red and blue offsets after truncating, so those can come out one below
//    the fast form. Its green is exact for RGB and BGR; the RGBA and
//    four-component kernels take it modulo 65536.
#pragma once

#include <cstdint>

inline std::uint8_t jpegClampSample(int value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

struct JpegRgb {
  std::uint8_t r, g, b;
};

inline JpegRgb yccToRgbFast(int y, int cb, int cr) {
  return {jpegClampSample(y + ((359 * cr - 45813) >> 8)), jpegClampSample(y - ((88 * cb + 183 * cr - 34806) >> 8)),
          jpegClampSample(y + ((454 * cb - 57937) >> 8))};
}

inline JpegRgb yccToRgbInPlace(int y, int cb, int cr) {
  return {jpegClampSample(y + ((359 * cr - 45813) >> 8)), jpegClampSample(y + ((34806 - 88 * cb - 183 * cr) >> 8)),
          jpegClampSample(y + ((454 * cb - 57937) >> 8))};
}

// The high half of a signed 16 x 16-bit product.
inline int jpegMulHigh16(int a, int b) { return (a * b) >> 16; }

inline int yccRedTermLanes(int cr) { return jpegMulHigh16(cr * 16, 5744) - 179; }
inline int yccBlueTermLanes(int cb) { return jpegMulHigh16(cb * 16, 7264) - 227; }

inline JpegRgb yccToRgbLanes(int y, int cb, int cr) {
  return {jpegClampSample(y + yccRedTermLanes(cr)), jpegClampSample(y - ((88 * cb + 183 * cr - 34806) >> 8)),
          jpegClampSample(y + yccBlueTermLanes(cb))};
}

inline JpegRgb yccToRgbLanesWrapped(int y, int cb, int cr) {
  const auto wrapped = static_cast<std::int16_t>(static_cast<std::uint16_t>(88 * cb + 183 * cr - 34806));
  return {jpegClampSample(y + yccRedTermLanes(cr)), jpegClampSample(y - (wrapped >> 8)),
          jpegClampSample(y + yccBlueTermLanes(cb))};
}
