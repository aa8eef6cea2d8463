// The inner loops that put pixels into an RGB565 destination: rectangle
// copies, blends and saturating adds of RGB565 pictures (with and without an
// alpha plane), palettised pictures, solid fills, and the span walkers that
// draw scaled or rotated pictures. Callers clip; no member checks bounds.
//
// Strides count pixels (RGB565) or bytes (alpha, mask, palette indexes).
// Opacity is 0..256 (256 opaque) and blends over 64 levels as opacity >> 2;
// additive weights are 0..256 and scale the source before it is added.
// Colours are 0xRRGGBB. A width or height of 0 draws nothing.
#pragma once

#include <cstdint>

// Rectangle members over RGB565 sources.
void BlitCopy(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width, int height);
void BlitBlend(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width, int height,
               int opacity);
void BlitAdd(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width, int height);
void BlitAddWeighted(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width,
                     int height, int weight);

// Rectangle members over RGB565 sources with a 64-level alpha plane (0
// transparent, 63 opaque).
void BlitAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, const std::uint8_t* alpha,
               int alphaStride, int width, int height);
void BlitAlphaOpacity(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                      const std::uint8_t* alpha, int alphaStride, int width, int height, int opacity);
// The additive alpha members take 255, not 63, as full strength: an alpha of
// 63 adds only 63/256 of the source.
void BlitAddAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                  const std::uint8_t* alpha, int alphaStride, int width, int height);
void BlitAddAlphaWeighted(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                          const std::uint8_t* alpha, int alphaStride, int width, int height, int weight);

// Alpha through a mask plane of one byte per destination pixel: the weight
// (alpha x mask) >> 8 blends over 256 levels.
void BlitMaskAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                   const std::uint8_t* alpha, int alphaStride, const std::uint8_t* mask, int maskStride, int width,
                   int height);
void BlitMaskAlphaOpacity(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                          const std::uint8_t* alpha, int alphaStride, const std::uint8_t* mask, int maskStride,
                          int width, int height, int opacity);

// Palettised sources: one index byte per pixel into 256 four-byte entries
// whose bytes 2, 1, 0 are red, green and blue. Opacity blends over 256 levels.
void BlitPalette(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                 const std::uint8_t* palette, int width, int height);
void BlitPaletteBlend(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                      const std::uint8_t* palette, int width, int height, int opacity);
void BlitPaletteAdd(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                    const std::uint8_t* palette, int width, int height);
void BlitPaletteAddWeighted(std::uint16_t* dst, int dstStride, const std::uint8_t* src, int srcStride,
                            const std::uint8_t* palette, int width, int height, int weight);

// Solid fills of width x height pixels.
void FillColor(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color);
void FillColorBlend(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color, int opacity);
void FillColorAdd(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color);
void FillColorAddWeighted(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color,
                          int weight);
// Fills left..right-1, top..bottom-1 of the buffer with an RGB565 pixel.
void FillRectColor(std::uint16_t* pixels, int stride, int left, int top, int right, int bottom, std::uint16_t pixel);

// A scaled or rotated draw, prepared by the compositor. Destination pixel
// (boxLeft + i, boxTop + j), for i below width and j below height, samples
// the source at u = startU + (skipX + i) du/dx + (skipY + j) du/dy and
// v = startV + (skipX + i) dv/dx + (skipY + j) dv/dy, in 1/1024 pixels from
// the source rectangle's top-left. Samples outside the source rectangle
// leave the destination pixel as it is.
struct TransformSpan {
  int boxLeft = 0;  // the box after clipping
  int boxTop = 0;
  int boxRight = 0;
  int boxBottom = 0;
  int width = 0;
  int height = 0;
  int skipX = 0;  // columns and rows of the box cut away on the left and top
  int skipY = 0;
  int dudx = 0;
  int dvdx = 0;
  int dudy = 0;
  int dvdy = 0;
  int startU = 0;
  int startV = 0;
  int srcLeft = 0;
  int srcTop = 0;
  int srcRight = 0;
  int srcBottom = 0;
};

// Span members: dst is the destination's top-left pixel; the source is a
// picture of srcStride x srcHeight pixels (with an alpha plane of the same
// layout where taken). Bilinear members sample the 2 x 2 neighbourhood,
// reusing the picture's last column and row at its edges.
void SpanNearest(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int srcHeight,
                 const TransformSpan& span);
void SpanNearestBlend(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int srcHeight,
                      const TransformSpan& span, int opacity);
void SpanBilinear(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int srcHeight,
                  const TransformSpan& span);
void SpanBilinearBlend(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int srcHeight,
                       const TransformSpan& span, int opacity);
void SpanNearestAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, const std::uint8_t* alpha,
                      int srcStride, int srcHeight, const TransformSpan& span);
void SpanBilinearAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, const std::uint8_t* alpha,
                       int srcStride, int srcHeight, const TransformSpan& span);
