// Colour-converting MCU routines: RGB, BGR and RGBA pictures to YCbCr with
// 1x1, 2x1 or 2x2 luma. Whole MCUs take the table's full kernel, which forms
// chroma from pixel sums with one rounding; MCUs cut by the picture edge
// take the edge kernel, which converts each pixel and then averages, so a
// textured edge may differ from the interior by one step.
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_mcu_place.h"
#include "jpeglib/jpeg_pixel_order.h"

namespace {

constexpr int log2Small(int n) { return n == 4 ? 2 : n == 2 ? 1 : 0; }

// The pixels and blocks never overlap; saying so lets the compiler keep
// loaded pixels in registers across the block stores.
template <typename Order, int HF, int VF>
void fullKernel(const std::uint8_t* __restrict pixels, std::ptrdiff_t stride, std::int16_t* __restrict blocks) {
  constexpr int cell = HF * VF;
  std::int16_t* cb = blocks + cell * 64;
  std::int16_t* cr = cb + 64;
  std::int16_t* alpha = cr + 64;
  // Each chroma sample's pixels are read once for their luma and the sums;
  // a sample's HF x VF pixels always fall in one luma block.
  for (int cy = 0; cy < 8; ++cy) {
    const std::uint8_t* rows = pixels + cy * VF * stride;
    const int lumaRow = ((cy * VF) >> 3) * HF * 64 + ((cy * VF) & 7) * 8;
    for (int cx = 0; cx < 8; ++cx) {
      const int lumaAt = lumaRow + ((cx * HF) >> 3) * 64 + ((cx * HF) & 7);
      int sr = 0, sg = 0, sb = 0;
      for (int j = 0; j < VF; ++j) {
        for (int i = 0; i < HF; ++i) {
          const std::uint8_t* pixel = rows + j * stride + (cx * HF + i) * Order::bytes;
          int r, g, b;
          readRgb<Order>(pixel, r, g, b);
          blocks[lumaAt + j * 8 + i] = static_cast<std::int16_t>(jpegLuma(r, g, b));
          if constexpr (Order::alpha) alpha[lumaAt + j * 8 + i] = static_cast<std::int16_t>(pixel[3] - 128);
          sr += r;
          sg += g;
          sb += b;
        }
      }
      cb[cy * 8 + cx] = static_cast<std::int16_t>(jpegCbOfSums(sr, sg, sb, log2Small(cell)));
      cr[cy * 8 + cx] = static_cast<std::int16_t>(jpegCrOfSums(sr, sg, sb, log2Small(cell)));
    }
  }
}

template <typename Order, int HF, int VF>
void edgeKernel(const JpegMcuPlace& place, std::ptrdiff_t stride, std::int16_t* blocks) {
  constexpr int width = 8 * HF, height = 8 * VF, cell = HF * VF;
  std::int16_t cbPlane[16 * 16], crPlane[16 * 16];
  std::int16_t* cb = blocks + cell * 64;
  std::int16_t* cr = cb + 64;
  std::int16_t* alpha = cr + 64;
  for (int y = 0; y < height; ++y) {
    // Rows and columns past the picture repeat its last row and column.
    const std::uint8_t* line = place.origin + std::min(y, place.validHeight - 1) * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* pixel = line + std::min(x, place.validWidth - 1) * Order::bytes;
      int r, g, b;
      readRgb<Order>(pixel, r, g, b);
      const int at = jpegBlockSample(x, y, HF);
      blocks[at] = static_cast<std::int16_t>(jpegLuma(r, g, b));
      if constexpr (Order::alpha) alpha[at] = static_cast<std::int16_t>(pixel[3] - 128);
      cbPlane[y * width + x] = static_cast<std::int16_t>(jpegCb(r, g, b));
      crPlane[y * width + x] = static_cast<std::int16_t>(jpegCr(r, g, b));
    }
  }
  for (int cy = 0; cy < 8; ++cy) {
    for (int cx = 0; cx < 8; ++cx) {
      int sumCb = 0, sumCr = 0;
      for (int j = 0; j < VF; ++j) {
        for (int i = 0; i < HF; ++i) {
          sumCb += cbPlane[(cy * VF + j) * width + cx * HF + i];
          sumCr += crPlane[(cy * VF + j) * width + cx * HF + i];
        }
      }
      cb[cy * 8 + cx] = static_cast<std::int16_t>((sumCb + cell / 2) >> log2Small(cell));
      cr[cy * 8 + cx] = static_cast<std::int16_t>((sumCr + cell / 2) >> log2Small(cell));
    }
  }
}

template <typename Order, int HF, int VF, JpegMcuKernel JPEG_PROCESSOR_TABLE::*Slot>
void convertMcu(JpegWorkingState& work, int column, int row) {
  const JpegMcuPlace place = jpegPlaceMcu(work, column, row, 8 * HF, 8 * VF, Order::bytes);
  if (place.whole) {
    (work.table.*Slot)(place.origin, work.source.stride, work.mcuBlocks);
  } else {
    edgeKernel<Order, HF, VF>(place, work.source.stride, work.mcuBlocks);
  }
}

using T = JPEG_PROCESSOR_TABLE;

}  // namespace

void convertRgbBlock(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<RgbOrder, 1, 1>(p, s, b); }
void convertRgbBlock422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<RgbOrder, 2, 1>(p, s, b); }
void convertRgbBlock411(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<RgbOrder, 2, 2>(p, s, b); }
void convertBgrBlock(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<BgrOrder, 1, 1>(p, s, b); }
void convertBgrBlock422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<BgrOrder, 2, 1>(p, s, b); }
void convertBgrBlock411(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<BgrOrder, 2, 2>(p, s, b); }
void convertRgbaBlock(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<RgbaOrder, 1, 1>(p, s, b); }
void convertRgbaBlock422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<RgbaOrder, 2, 1>(p, s, b); }
void convertRgbaBlock411(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<RgbaOrder, 2, 2>(p, s, b); }

void convertRgbMcu(JpegWorkingState& w, int c, int r) { convertMcu<RgbOrder, 1, 1, &T::convertRgbBlock>(w, c, r); }
void convertRgbMcu422(JpegWorkingState& w, int c, int r) { convertMcu<RgbOrder, 2, 1, &T::convertRgbBlock422>(w, c, r); }
void convertRgbMcu411(JpegWorkingState& w, int c, int r) { convertMcu<RgbOrder, 2, 2, &T::convertRgbBlock411>(w, c, r); }
void convertBgrMcu(JpegWorkingState& w, int c, int r) { convertMcu<BgrOrder, 1, 1, &T::convertBgrBlock>(w, c, r); }
void convertBgrMcu422(JpegWorkingState& w, int c, int r) { convertMcu<BgrOrder, 2, 1, &T::convertBgrBlock422>(w, c, r); }
void convertBgrMcu411(JpegWorkingState& w, int c, int r) { convertMcu<BgrOrder, 2, 2, &T::convertBgrBlock411>(w, c, r); }
void convertRgbaMcu(JpegWorkingState& w, int c, int r) { convertMcu<RgbaOrder, 1, 1, &T::convertRgbaBlock>(w, c, r); }
void convertRgbaMcu422(JpegWorkingState& w, int c, int r) { convertMcu<RgbaOrder, 2, 1, &T::convertRgbaBlock422>(w, c, r); }
void convertRgbaMcu411(JpegWorkingState& w, int c, int r) { convertMcu<RgbaOrder, 2, 2, &T::convertRgbaBlock411>(w, c, r); }
