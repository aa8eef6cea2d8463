#include "engine/raster/raster_pixel.h"
#include "engine/raster/raster_primitives.h"

namespace {

// One sample of the walk: the source pixel (x, y) and the 1/64 fractions of
// the position past it.
struct SpanSample {
  int x;
  int y;
  std::uint32_t fx;
  std::uint32_t fy;
};

// Walks the span's destination pixels in 22.10 fixed point and calls
// op(destination pixel, sample) for each one whose sample lies inside the
// source rectangle. Positions are carried in 64 bits so that large steps
// cannot overflow.
template <class Op>
void ForEachSpanSample(std::uint16_t* dst, int dstStride, const TransformSpan& span, Op op) {
  for (int j = 0; j < span.height; ++j) {
    const std::int64_t row = span.skipY + j;
    std::int64_t u = span.startU + std::int64_t{span.skipX} * span.dudx + row * span.dudy;
    std::int64_t v = span.startV + std::int64_t{span.skipX} * span.dvdx + row * span.dvdy;
    std::uint16_t* out = dst + static_cast<std::ptrdiff_t>(span.boxTop + j) * dstStride + span.boxLeft;
    for (int i = 0; i < span.width; ++i, u += span.dudx, v += span.dvdx) {
      const std::int64_t x = span.srcLeft + (u >> 10);
      const std::int64_t y = span.srcTop + (v >> 10);
      if (x < span.srcLeft || x >= span.srcRight || y < span.srcTop || y >= span.srcBottom) continue;
      op(out[i], SpanSample{static_cast<int>(x), static_cast<int>(y), static_cast<std::uint32_t>((u >> 4) & 63),
                            static_cast<std::uint32_t>((v >> 4) & 63)});
    }
  }
}

// The four neighbours of a sample: the next column and row, or the sample's
// own in the picture's last column and row.
struct Neighbourhood {
  std::size_t p00;
  std::size_t p10;
  std::size_t p01;
  std::size_t p11;
};

Neighbourhood NeighboursOf(const SpanSample& s, int stride, int height) {
  const std::size_t at = static_cast<std::size_t>(s.y) * stride + s.x;
  const std::size_t right = s.x + 1 < stride ? 1 : 0;
  const std::size_t down = s.y + 1 < height ? static_cast<std::size_t>(stride) : 0;
  return {at, at + right, at + down, at + down + right};
}

std::uint32_t Interpolate(const std::uint16_t* plane, const Neighbourhood& n, const SpanSample& s, std::uint32_t mask) {
  const std::uint32_t top = (plane[n.p00] & mask) * (64 - s.fx) + (plane[n.p10] & mask) * s.fx;
  const std::uint32_t bottom = (plane[n.p01] & mask) * (64 - s.fx) + (plane[n.p11] & mask) * s.fx;
  return ((top * (64 - s.fy) + bottom * s.fy) >> 12) & mask;
}

std::uint16_t InterpolatePixel(const std::uint16_t* src, const Neighbourhood& n, const SpanSample& s) {
  return static_cast<std::uint16_t>(Interpolate(src, n, s, 0x001F) | Interpolate(src, n, s, 0x07E0) |
                                    Interpolate(src, n, s, 0xF800));
}

// Alpha interpolated like a colour channel, each sample first held to the 64
// levels of a blend.
std::uint32_t InterpolateAlpha(const std::uint8_t* alpha, const Neighbourhood& n, const SpanSample& s) {
  const std::uint32_t top = AlphaWeight(alpha[n.p00]) * (64 - s.fx) + AlphaWeight(alpha[n.p10]) * s.fx;
  const std::uint32_t bottom = AlphaWeight(alpha[n.p01]) * (64 - s.fx) + AlphaWeight(alpha[n.p11]) * s.fx;
  return (top * (64 - s.fy) + bottom * s.fy) >> 12;
}

}  // namespace

void SpanNearest(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int /*srcHeight*/,
                 const TransformSpan& span) {
  ForEachSpanSample(dst, dstStride, span, [&](std::uint16_t& d, const SpanSample& s) {
    d = src[static_cast<std::size_t>(s.y) * srcStride + s.x];
  });
}

void SpanNearestBlend(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int /*srcHeight*/,
                      const TransformSpan& span, int opacity) {
  const std::uint32_t w = OpacityWeight(opacity);
  ForEachSpanSample(dst, dstStride, span, [&](std::uint16_t& d, const SpanSample& s) {
    d = Blend64(src[static_cast<std::size_t>(s.y) * srcStride + s.x], d, w);
  });
}

void SpanBilinear(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int srcHeight,
                  const TransformSpan& span) {
  ForEachSpanSample(dst, dstStride, span, [&](std::uint16_t& d, const SpanSample& s) {
    d = InterpolatePixel(src, NeighboursOf(s, srcStride, srcHeight), s);
  });
}

void SpanBilinearBlend(std::uint16_t* dst, int dstStride, const std::uint16_t* src, int srcStride, int srcHeight,
                       const TransformSpan& span, int opacity) {
  const std::uint32_t w = OpacityWeight(opacity);
  ForEachSpanSample(dst, dstStride, span, [&](std::uint16_t& d, const SpanSample& s) {
    d = Blend64(InterpolatePixel(src, NeighboursOf(s, srcStride, srcHeight), s), d, w);
  });
}

void SpanNearestAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, const std::uint8_t* alpha,
                      int srcStride, int /*srcHeight*/, const TransformSpan& span) {
  ForEachSpanSample(dst, dstStride, span, [&](std::uint16_t& d, const SpanSample& s) {
    const std::size_t at = static_cast<std::size_t>(s.y) * srcStride + s.x;
    d = AlphaPixel(src[at], d, alpha[at]);
  });
}

void SpanBilinearAlpha(std::uint16_t* dst, int dstStride, const std::uint16_t* src, const std::uint8_t* alpha,
                       int srcStride, int srcHeight, const TransformSpan& span) {
  ForEachSpanSample(dst, dstStride, span, [&](std::uint16_t& d, const SpanSample& s) {
    const Neighbourhood n = NeighboursOf(s, srcStride, srcHeight);
    d = AlphaPixel(InterpolatePixel(src, n, s), d, InterpolateAlpha(alpha, n, s));
  });
}
