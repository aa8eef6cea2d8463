#include "engine/raster/raster_pixel.h"
#include "engine/raster/raster_primitives.h"

namespace {

// Runs op(destination pixel, red, green, blue) with the 8-bit channels of each
// source index's palette entry (bytes 2, 1, 0 of its four).
template <class Op>
void ForEachPalettePixel(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                         const std::uint8_t* palette, int width, int height, Op op) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* entry = palette + 4 * std::size_t{src[x]};
      op(dst[x], entry[2], entry[1], entry[0]);
    }
    dst += dstStride;
    src += srcStride;
  }
}

}  // namespace

void BlitPalette(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                 const std::uint8_t* palette, int width, int height) {
  ForEachPalettePixel(dst, dstStride, src, srcStride, palette, width, height,
                      [](std::uint16_t& d, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
                        d = PackRgb565(r, g, b);
                      });
}

void BlitPaletteBlend(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                      const std::uint8_t* palette, int width, int height, int opacity) {
  const auto a = static_cast<std::uint32_t>(opacity);
  ForEachPalettePixel(dst, dstStride, src, srcStride, palette, width, height,
                      [a](std::uint16_t& d, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
                        d = BlendChannels256(r, g, b, d, a);
                      });
}

void BlitPaletteAdd(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                    const std::uint8_t* palette, int width, int height) {
  BlitPaletteAddWeighted(dst, dstStride, src, srcStride, palette, width, height, 256);
}

void BlitPaletteAddWeighted(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                            const std::uint8_t* palette, int width, int height, int weight) {
  const auto k = static_cast<std::uint32_t>(weight);
  ForEachPalettePixel(dst, dstStride, src, srcStride, palette, width, height,
                      [k](std::uint16_t& d, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
                        d = AddChannels(d, r, g, b, k);
                      });
}
