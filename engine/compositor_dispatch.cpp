#include "engine/compositor_dispatch.h"

namespace {

bool IsOpaque(int opacity) { return opacity >= 256; }

std::size_t SourceOffset(const CImage& picture, const PixelRect& src) {
  return static_cast<std::size_t>(src.top) * picture.width + static_cast<std::size_t>(src.left);
}

std::uint16_t* TargetAt(const RasterTarget& target, int x, int y) {
  return target.pixels + static_cast<std::ptrdiff_t>(y) * target.width + x;
}

}  // namespace

void DrawImageNormal(const CImage& picture, const RasterTarget& target, int x, int y, const PixelRect& src,
                     int opacity) {
  std::uint16_t* dst = TargetAt(target, x, y);
  const int stride = target.width;
  const auto pictureStride = static_cast<int>(picture.width);
  const std::size_t offset = SourceOffset(picture, src);
  const int w = src.Width(), h = src.Height();
  switch (picture.pixelKind) {
    case kPixelKindPalette:
      if (IsOpaque(opacity))
        BlitPalette(dst, stride, picture.GetIndexes() + offset, pictureStride, picture.palette, w, h);
      else
        BlitPaletteBlend(dst, stride, picture.GetIndexes() + offset, pictureStride, picture.palette, w, h, opacity);
      break;
    case kPixelKindRgb565:
      if (IsOpaque(opacity))
        BlitCopy(dst, stride, picture.GetPixels() + offset, pictureStride, w, h);
      else
        BlitBlend(dst, stride, picture.GetPixels() + offset, pictureStride, w, h, opacity);
      break;
    case kPixelKindRgb565Alpha:
      if (picture.extraBlock != nullptr && picture.maskStride >= static_cast<std::uint32_t>(target.width)) {
        // The mask plane lies over the screen, not over the picture; one
        // narrower than the screen cannot be addressed there.
        const std::uint8_t* mask = picture.extraBlock + static_cast<std::size_t>(y) * picture.maskStride + x;
        const auto maskStride = static_cast<int>(picture.maskStride);
        if (IsOpaque(opacity))
          BlitMaskAlpha(dst, stride, picture.GetPixels() + offset, pictureStride, picture.alphaPlane + offset,
                        pictureStride, mask, maskStride, w, h);
        else
          BlitMaskAlphaOpacity(dst, stride, picture.GetPixels() + offset, pictureStride, picture.alphaPlane + offset,
                               pictureStride, mask, maskStride, w, h, opacity);
      } else if (IsOpaque(opacity)) {
        BlitAlpha(dst, stride, picture.GetPixels() + offset, pictureStride, picture.alphaPlane + offset,
                  pictureStride, w, h);
      } else {
        BlitAlphaOpacity(dst, stride, picture.GetPixels() + offset, pictureStride, picture.alphaPlane + offset,
                         pictureStride, w, h, opacity);
      }
      break;
    default:
      break;
  }
}

void DrawImageAdditive(const CImage& picture, const RasterTarget& target, int x, int y, const PixelRect& src,
                       int opacity) {
  std::uint16_t* dst = TargetAt(target, x, y);
  const int stride = target.width;
  const auto pictureStride = static_cast<int>(picture.width);
  const std::size_t offset = SourceOffset(picture, src);
  const int w = src.Width(), h = src.Height();
  switch (picture.pixelKind) {
    case kPixelKindPalette:
      if (IsOpaque(opacity))
        BlitPaletteAdd(dst, stride, picture.GetIndexes() + offset, pictureStride, picture.palette, w, h);
      else
        BlitPaletteAddWeighted(dst, stride, picture.GetIndexes() + offset, pictureStride, picture.palette, w, h,
                               opacity);
      break;
    case kPixelKindRgb565:
      if (IsOpaque(opacity))
        BlitAdd(dst, stride, picture.GetPixels() + offset, pictureStride, w, h);
      else
        BlitAddWeighted(dst, stride, picture.GetPixels() + offset, pictureStride, w, h, opacity);
      break;
    case kPixelKindRgb565Alpha:
      if (IsOpaque(opacity))
        BlitAddAlpha(dst, stride, picture.GetPixels() + offset, pictureStride, picture.alphaPlane + offset,
                     pictureStride, w, h);
      else
        BlitAddAlphaWeighted(dst, stride, picture.GetPixels() + offset, pictureStride, picture.alphaPlane + offset,
                             pictureStride, w, h, opacity);
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
