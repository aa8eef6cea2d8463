// Portable forms of the SIMD colour kernels. Their lane arithmetic is exact
// for 8-bit pixels, so each equals the plain converter's formulas: luma per
// pixel, chroma from the sums of the pixels a sample covers.
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_pixel_order.h"
#include "jpeglib/simd/simd_kernels.h"

namespace simd_portable {

namespace {

constexpr int log2Cell(int cell) { return cell == 4 ? 2 : cell == 2 ? 1 : 0; }

// Width x 8 pixels; luma (and the fourth component) in Width / 8 blocks,
// chroma cells of HF x VF pixels written at 8 samples a row.
template <typename Order, int Width, int HF, int VF>
void convertArea(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
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

}  // namespace

void convertRgbBlock444Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                           std::int16_t* cr) {
  convertArea<RgbOrder, 8, 1, 1>(s, st, y, cb, cr, nullptr);
}
void convertBgrBlock444Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                           std::int16_t* cr) {
  convertArea<BgrOrder, 8, 1, 1>(s, st, y, cb, cr, nullptr);
}
void convertRgbQuadrant411Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb) {
  convertArea<RgbOrder, 8, 2, 2>(s, st, y, cb, cb + 64, nullptr);
}
void convertBgrQuadrant411Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb) {
  convertArea<BgrOrder, 8, 2, 2>(s, st, y, cb, cb + 64, nullptr);
}
void convertRgbBlock422Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                           std::int16_t* cr) {
  convertArea<RgbOrder, 16, 2, 1>(s, st, y, cb, cr, nullptr);
}
void convertBgrBlock422Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                           std::int16_t* cr) {
  convertArea<BgrOrder, 16, 2, 1>(s, st, y, cb, cr, nullptr);
}
void convertRgbaBlock444Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                            std::int16_t* cr) {
  convertArea<RgbaOrder, 8, 1, 1>(s, st, y, cb, cr, y + 192);
}
void convertRgbaBlock422Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                            std::int16_t* cr, std::int16_t* fourth) {
  convertArea<RgbaOrder, 16, 2, 1>(s, st, y, cb, cr, fourth);
}
void convertRgbaHalf411Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                           std::int16_t* cr, std::int16_t* fourth) {
  convertArea<RgbaOrder, 16, 2, 2>(s, st, y, cb, cr, fourth);
}

void splitPackedYcc422Mmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                          std::int16_t* cr) {
  for (int y = 0; y < 8; ++y) {
    const std::uint8_t* line = source + y * stride;
    for (int pair = 0; pair < 8; ++pair) {
      const std::uint8_t* bytes = line + pair * 4;
      const int at = (pair >> 2) * 64 + y * 8 + (pair & 3) * 2;
      luma[at] = static_cast<std::int16_t>(bytes[0] - 128);
      luma[at + 1] = static_cast<std::int16_t>(bytes[2] - 128);
      cb[y * 8 + pair] = static_cast<std::int16_t>(bytes[1] - 128);
      cr[y * 8 + pair] = static_cast<std::int16_t>(bytes[3] - 128);
    }
  }
}

void levelShiftGreyBlockMmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* block) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) block[y * 8 + x] = static_cast<std::int16_t>(source[y * stride + x] - 128);
  }
}

}  // namespace simd_portable
