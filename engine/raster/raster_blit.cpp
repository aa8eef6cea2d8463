#include <algorithm>
#include <cstring>

#include "engine/raster/raster_pixel.h"
#include "engine/raster/raster_primitives.h"

namespace {

// Runs op(destination pixel, source pixel, alpha byte) over a rectangle; the
// alpha pointer may be null when op ignores it.
template <class Op>
void ForEachAlphaPixel(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                       const std::uint8_t* alpha, int alphaStride, int width, int height, Op op) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) op(dst[x], src[x], alpha ? alpha[x] : 0);
    dst += dstStride;
    src += srcStride;
    if (alpha) alpha += alphaStride;
  }
}

template <class Op>
void ForEachPixel(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width, int height,
                  Op op) {
  ForEachAlphaPixel(dst, dstStride, src, srcStride, nullptr, 0, width, height,
                    [op](std::uint16_t& d, std::uint16_t s, std::uint8_t) { op(d, s); });
}

template <class Op>
void ForEachMaskPixel(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                      const std::uint8_t* alpha, int alphaStride, const std::uint8_t* mask, int maskStride, int width,
                      int height, Op op) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (mask[x] != 0) op(dst[x], src[x], (std::uint32_t{alpha[x]} * mask[x]) >> 8);
    }
    dst += dstStride;
    src += srcStride;
    alpha += alphaStride;
    mask += maskStride;
  }
}

template <class Op>
void ForEachFillPixel(std::uint16_t* dst, int dstStride, int width, int height, Op op) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) op(dst[x]);
    dst += dstStride;
  }
}

void FillPixel(std::uint16_t* dst, int dstStride, int width, int height, std::uint16_t pixel) {
  if (width <= 0) return;
  for (int y = 0; y < height; ++y, dst += dstStride) std::fill_n(dst, width, pixel);
}

// Pixels whose alpha bytes are tested at once, as two 64-bit words.
constexpr int kAlphaRun = 16;
static_assert(kAlphaRun == 2 * sizeof(std::uint64_t));

// A run of pixels through their alpha, without branches, over a picture and
// a destination that never overlap, so the compiler can take them together.
void BlendAlphaRun(std::uint16_t* __restrict dst, const std::uint16_t* __restrict src,
                   const std::uint8_t* __restrict alpha) {
  for (int i = 0; i < kAlphaRun; ++i) {
    const auto weight = static_cast<std::uint16_t>(alpha[i] >= kAlphaOpaque ? kBlendLevels : alpha[i]);
    dst[i] = Blend64Lanes(src[i], dst[i], weight);
  }
}

}  // namespace

void BlitCopy(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width, int height) {
  if (width <= 0) return;
  for (int y = 0; y < height; ++y) {
    std::memcpy(dst, src, static_cast<std::size_t>(width) * sizeof(std::uint16_t));
    dst += dstStride;
    src += srcStride;
  }
}

void BlitBlend(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width, int height,
               int opacity) {
  const std::uint32_t w = OpacityWeight(opacity);
  ForEachPixel(dst, dstStride, src, srcStride, width, height,
               [w](std::uint16_t& d, std::uint16_t s) { d = Blend64(s, d, w); });
}

void BlitAdd(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width, int height) {
  BlitAddWeighted(dst, dstStride, src, srcStride, width, height, 256);
}

void BlitAddWeighted(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int width,
                     int height, int weight) {
  const auto k = static_cast<std::uint32_t>(weight);
  ForEachPixel(dst, dstStride, src, srcStride, width, height,
               [k](std::uint16_t& d, std::uint16_t s) { d = AddSaturate(d, s, k); });
}

void BlitAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, const std::uint8_t* alpha,
               int alphaStride, int width, int height) {
  // Sprites are mostly wholly transparent or wholly opaque: runs of such
  // pixels are skipped or copied at once; mixed runs are blended as one block.
  constexpr std::uint64_t kOpaqueBytes = 0x0101010101010101ull * kAlphaOpaque;
  for (int y = 0; y < height; ++y) {
    int x = 0;
    for (; x + kAlphaRun <= width; x += kAlphaRun) {
      std::uint64_t run[kAlphaRun / 8];
      std::memcpy(run, alpha + x, sizeof run);
      if ((run[0] | run[1]) == 0) continue;
      if (run[0] == kOpaqueBytes && run[1] == kOpaqueBytes)
        std::memcpy(dst + x, src + x, kAlphaRun * sizeof(std::uint16_t));
      else
        BlendAlphaRun(dst + x, src + x, alpha + x);
    }
    for (; x < width; ++x) dst[x] = AlphaPixel(src[x], dst[x], alpha[x]);
    dst += dstStride;
    src += srcStride;
    alpha += alphaStride;
  }
}

void BlitAlphaOpacity(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                      const std::uint8_t* alpha, int alphaStride, int width, int height, int opacity) {
  const std::uint32_t o = OpacityWeight(opacity);
  ForEachAlphaPixel(dst, dstStride, src, srcStride, alpha, alphaStride, width, height,
                    [o](std::uint16_t& d, std::uint16_t s, std::uint8_t a) {
                      if (a == 0) return;
                      const std::uint32_t weight = AlphaWeight(a);
                      d = Blend64(s, d, weight == kAlphaOpaque ? o : (o * weight) >> 6);
                    });
}

void BlitAddAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                  const std::uint8_t* alpha, int alphaStride, int width, int height) {
  ForEachAlphaPixel(dst, dstStride, src, srcStride, alpha, alphaStride, width, height,
                    [](std::uint16_t& d, std::uint16_t s, std::uint8_t a) {
                      if (a == 0) return;
                      d = AddSaturate(d, s, a == 255 ? 256 : a);
                    });
}

void BlitAddAlphaWeighted(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                          const std::uint8_t* alpha, int alphaStride, int width, int height, int weight) {
  const auto k = static_cast<std::uint32_t>(weight);
  ForEachAlphaPixel(dst, dstStride, src, srcStride, alpha, alphaStride, width, height,
                    [k](std::uint16_t& d, std::uint16_t s, std::uint8_t a) {
                      if (a == 0) return;
                      d = AddSaturate(d, s, a == 255 ? k : (k * a) >> 8);
                    });
}

void BlitMaskAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                   const std::uint8_t* alpha, int alphaStride, const std::uint8_t* mask, int maskStride, int width,
                   int height) {
  ForEachMaskPixel(dst, dstStride, src, srcStride, alpha, alphaStride, mask, maskStride, width, height,
                   [](std::uint16_t& d, std::uint16_t s, std::uint32_t a) {
                     if (a != 0) d = Blend256(s, d, a);
                   });
}

void BlitMaskAlphaOpacity(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride,
                          const std::uint8_t* alpha, int alphaStride, const std::uint8_t* mask, int maskStride,
                          int width, int height, int opacity) {
  const auto o = static_cast<std::uint32_t>(opacity);
  ForEachMaskPixel(dst, dstStride, src, srcStride, alpha, alphaStride, mask, maskStride, width, height,
                   [o](std::uint16_t& d, std::uint16_t s, std::uint32_t masked) {
                     const std::uint32_t a = (o * masked) >> 8;
                     if (a != 0) d = Blend256(s, d, a);
                   });
}

void FillColor(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color) {
  FillPixel(dst, dstStride, width, height, ColorToRgb565(color));
}

void FillColorBlend(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color, int opacity) {
  const std::uint16_t pixel = ColorToRgb565(color);
  const std::uint32_t w = OpacityWeight(opacity);
  ForEachFillPixel(dst, dstStride, width, height, [pixel, w](std::uint16_t& d) { d = Blend64(pixel, d, w); });
}

void FillColorAdd(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color) {
  FillColorAddWeighted(dst, dstStride, width, height, color, 256);
}

void FillColorAddWeighted(std::uint16_t* dst, int dstStride, int width, int height, std::uint32_t color,
                          int weight) {
  // The colour's full 8-bit channels are added, not its RGB565 form.
  const std::uint32_t r = (color >> 16) & 0xFF;
  const std::uint32_t g = (color >> 8) & 0xFF;
  const std::uint32_t b = color & 0xFF;
  const auto k = static_cast<std::uint32_t>(weight);
  ForEachFillPixel(dst, dstStride, width, height,
                   [r, g, b, k](std::uint16_t& d) { d = AddChannels(d, r, g, b, k); });
}

void FillRectColor(std::uint16_t* pixels, int stride, int left, int top, int right, int bottom, std::uint16_t pixel) {
  FillPixel(pixels + static_cast<std::ptrdiff_t>(top) * stride + left, stride, right - left, bottom - top, pixel);
}
