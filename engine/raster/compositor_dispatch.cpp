#include "engine/raster/compositor_dispatch.h"

namespace {

bool IsOpaque(int opacity) { return opacity >= 256; }

std::uint16_t* TargetAt(const RasterTarget& target, int x, int y) {
  return target.pixels + static_cast<std::ptrdiff_t>(y) * target.width + x;
}

// One clipped rectangle draw: where it goes and the picture's planes at the
// source rectangle's top-left.
struct RectDraw {
  RectDraw(const CImage& picture, const RasterTarget& target, int x, int y, const PixelRect& src)
      : dst(TargetAt(target, x, y)),
        dstStride(target.width),
        srcStride(static_cast<int>(picture.width)),
        width(src.Width()),
        height(src.Height()) {
    const std::size_t offset = static_cast<std::size_t>(src.top) * picture.width + static_cast<std::size_t>(src.left);
    if (picture.pixelKind == kPixelKindPalette)
      indexes = picture.GetIndexes() + offset;
    else
      pixels = picture.GetPixels() + offset;
    if (picture.alphaPlane != nullptr) alpha = picture.alphaPlane + offset;
  }

  std::uint16_t* dst;
  int dstStride;
  int srcStride;
  int width;
  int height;
  const std::uint16_t* pixels = nullptr;
  const std::uint8_t* indexes = nullptr;
  const std::uint8_t* alpha = nullptr;
};

}  // namespace

void DrawImageNormal(const CImage& picture, const RasterTarget& target, int x, int y, const PixelRect& src,
                     int opacity) {
  const RectDraw d(picture, target, x, y, src);
  switch (picture.pixelKind) {
    case kPixelKindPalette:
      if (IsOpaque(opacity))
        BlitPalette(d.dst, d.dstStride, d.indexes, d.srcStride, picture.palette, d.width, d.height);
      else
        BlitPaletteBlend(d.dst, d.dstStride, d.indexes, d.srcStride, picture.palette, d.width, d.height, opacity);
      break;
    case kPixelKindRgb565:
      if (IsOpaque(opacity))
        BlitCopy(d.dst, d.dstStride, d.pixels, d.srcStride, d.width, d.height);
      else
        BlitBlend(d.dst, d.dstStride, d.pixels, d.srcStride, d.width, d.height, opacity);
      break;
    case kPixelKindRgb565Alpha:
      if (picture.maskPlane != nullptr && picture.maskStride >= static_cast<std::uint32_t>(target.width) &&
          picture.maskHeight >= static_cast<std::uint32_t>(target.height)) {
        // The mask plane lies over the screen, not over the picture; one
        // narrower or shorter than the screen cannot be addressed there.
        const std::uint8_t* mask = picture.maskPlane + static_cast<std::size_t>(y) * picture.maskStride + x;
        const auto maskStride = static_cast<int>(picture.maskStride);
        if (IsOpaque(opacity))
          BlitMaskAlpha(d.dst, d.dstStride, d.pixels, d.srcStride, d.alpha, d.srcStride, mask, maskStride, d.width,
                        d.height);
        else
          BlitMaskAlphaOpacity(d.dst, d.dstStride, d.pixels, d.srcStride, d.alpha, d.srcStride, mask, maskStride,
                               d.width, d.height, opacity);
      } else if (IsOpaque(opacity)) {
        BlitAlpha(d.dst, d.dstStride, d.pixels, d.srcStride, d.alpha, d.srcStride, d.width, d.height);
      } else {
        BlitAlphaOpacity(d.dst, d.dstStride, d.pixels, d.srcStride, d.alpha, d.srcStride, d.width, d.height, opacity);
      }
      break;
    default:
      break;
  }
}

void DrawImageAdditive(const CImage& picture, const RasterTarget& target, int x, int y, const PixelRect& src,
                       int opacity) {
  const RectDraw d(picture, target, x, y, src);
  switch (picture.pixelKind) {
    case kPixelKindPalette:
      if (IsOpaque(opacity))
        BlitPaletteAdd(d.dst, d.dstStride, d.indexes, d.srcStride, picture.palette, d.width, d.height);
      else
        BlitPaletteAddWeighted(d.dst, d.dstStride, d.indexes, d.srcStride, picture.palette, d.width, d.height,
                               opacity);
      break;
    case kPixelKindRgb565:
      if (IsOpaque(opacity))
        BlitAdd(d.dst, d.dstStride, d.pixels, d.srcStride, d.width, d.height);
      else
        BlitAddWeighted(d.dst, d.dstStride, d.pixels, d.srcStride, d.width, d.height, opacity);
      break;
    case kPixelKindRgb565Alpha:
      if (IsOpaque(opacity))
        BlitAddAlpha(d.dst, d.dstStride, d.pixels, d.srcStride, d.alpha, d.srcStride, d.width, d.height);
      else
        BlitAddAlphaWeighted(d.dst, d.dstStride, d.pixels, d.srcStride, d.alpha, d.srcStride, d.width, d.height,
                             opacity);
      break;
    default:
      break;
  }
}

void DrawFill(std::uint32_t color, const RasterTarget& target, const PixelRect& rect, int opacity) {
  std::uint16_t* dst = TargetAt(target, rect.left, rect.top);
  if (IsOpaque(opacity))
    FillColor(dst, target.width, rect.Width(), rect.Height(), color);
  else
    FillColorBlend(dst, target.width, rect.Width(), rect.Height(), color, opacity);
}

void DrawFillAdditive(std::uint32_t color, const RasterTarget& target, const PixelRect& rect, int opacity) {
  std::uint16_t* dst = TargetAt(target, rect.left, rect.top);
  if (IsOpaque(opacity))
    FillColorAdd(dst, target.width, rect.Width(), rect.Height(), color);
  else
    FillColorAddWeighted(dst, target.width, rect.Width(), rect.Height(), color, opacity);
}

void DrawImageTransformed(const CImage& picture, const RasterTarget& target, const TransformSpan& span,
                          int opacity, bool filter) {
  const auto stride = static_cast<int>(picture.width);
  const auto height = static_cast<int>(picture.height);
  if (picture.pixelKind == kPixelKindRgb565) {
    if (IsOpaque(opacity)) {
      (filter ? SpanBilinear : SpanNearest)(target.pixels, target.width, picture.GetPixels(), stride, height, span);
    } else {
      (filter ? SpanBilinearBlend : SpanNearestBlend)(target.pixels, target.width, picture.GetPixels(), stride,
                                                      height, span, opacity);
    }
  } else if (picture.pixelKind == kPixelKindRgb565Alpha && picture.alphaPlane != nullptr && IsOpaque(opacity)) {
    (filter ? SpanBilinearAlpha : SpanNearestAlpha)(target.pixels, target.width, picture.GetPixels(),
                                                    picture.alphaPlane, stride, height, span);
  }
}
