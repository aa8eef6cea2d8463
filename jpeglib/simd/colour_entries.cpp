// Full-MCU table entries of the SIMD classes: each hands the MCU's pixels
// and block pointers to its kernel (the 2x2 layouts as four quadrants or two
// halves).
#include "jpeglib/simd/simd_kernels.h"

namespace {

using Kernel3 = void (*)(const std::uint8_t*, std::ptrdiff_t, std::int16_t*, std::int16_t*, std::int16_t*);

// Luma blocks, then Cb and Cr.
template <Kernel3 kernel, int LumaBlocks>
void withChromaAfterLuma(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks) {
  kernel(pixels, stride, blocks, blocks + LumaBlocks * 64, blocks + (LumaBlocks + 1) * 64);
}

// Quadrants of a 16 x 16 MCU: source 0, 8 pixels, 8 rows, both; luma blocks
// 0 to 3; chroma corners at samples 0, 4, 32 and 36 of Cb (Cr follows Cb).
template <void (*quadrant)(const std::uint8_t*, std::ptrdiff_t, std::int16_t*, std::int16_t*)>
void byQuadrants(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks) {
  std::int16_t* cb = blocks + 4 * 64;
  quadrant(pixels, stride, blocks, cb);
  quadrant(pixels + 8 * 3, stride, blocks + 64, cb + 4);
  quadrant(pixels + 8 * stride, stride, blocks + 128, cb + 32);
  quadrant(pixels + 8 * stride + 8 * 3, stride, blocks + 192, cb + 36);
}

}  // namespace

void convertRgbBlockSimd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  withChromaAfterLuma<convertRgbBlock444Mmx, 1>(p, s, b);
}
void convertBgrBlockSimd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  withChromaAfterLuma<convertBgrBlock444Mmx, 1>(p, s, b);
}
void convertRgbBlock422Simd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  withChromaAfterLuma<convertRgbBlock422Mmx, 2>(p, s, b);
}
void convertBgrBlock422Simd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  withChromaAfterLuma<convertBgrBlock422Mmx, 2>(p, s, b);
}
void convertRgbBlock411Simd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  byQuadrants<convertRgbQuadrant411Mmx>(p, s, b);
}
void convertBgrBlock411Simd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  byQuadrants<convertBgrQuadrant411Mmx>(p, s, b);
}
void convertRgbaBlockSimd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  withChromaAfterLuma<convertRgbaBlock444Mmx, 1>(p, s, b);  // fourth block after Cr
}
void convertRgbaBlock422Simd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  convertRgbaBlock422Mmx(p, s, b, b + 128, b + 192, b + 256);
}
void convertRgbaBlock411Simd(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  // Top half: luma blocks 0-1, chroma rows 0-3; bottom: blocks 2-3, rows 4-7.
  std::int16_t* cb = b + 256;
  std::int16_t* fourth = b + 384;
  convertRgbaHalf411Mmx(p, s, b, cb, cb + 64, fourth);
  convertRgbaHalf411Mmx(p + 8 * s, s, b + 128, cb + 32, cb + 96, fourth + 128);
}
void unpackBlock422Mmx(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  withChromaAfterLuma<splitPackedYcc422Mmx, 2>(p, s, b);
}
void unpackBlock422Sse(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  withChromaAfterLuma<splitPackedYcc422Sse, 2>(p, s, b);
}
