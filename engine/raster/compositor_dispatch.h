// The compositor's choice of raster member for one clipped draw: by the
// picture's pixel kind, the node's draw mode and whether it is opaque, and
// for scaled or rotated nodes by the filter setting.
#pragma once

#include <cstdint>

#include "engine/pictures/picture_object.h"
#include "engine/raster/raster_primitives.h"

// The RGB565 buffer drawn into; rows are width pixels long.
struct RasterTarget {
  std::uint16_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};

// A rectangle: left, top inclusive; right, bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// Plain draws of the source rectangle src of picture at (x, y) of target;
// src lies inside the picture and the destination inside the target.
// Opacity 256 (or more) is opaque; additive draws take it as the weight.
void DrawImageNormal(const CImage& picture, const RasterTarget& target, int x, int y, const PixelRect& src,
                     int opacity);
void DrawImageAdditive(const CImage& picture, const RasterTarget& target, int x, int y, const PixelRect& src,
                       int opacity);
// Fills of rect (inside the target) with colour 0xRRGGBB.
void DrawFill(std::uint32_t color, const RasterTarget& target, const PixelRect& rect, int opacity);
void DrawFillAdditive(std::uint32_t color, const RasterTarget& target, const PixelRect& rect, int opacity);
// A scaled or rotated draw prepared in span; bilinear when filter is set.
// Opaque RGB565 and RGB565 pictures at any opacity and opaque alpha pictures
// are drawn; anything else is not.
void DrawImageTransformed(const CImage& picture, const RasterTarget& target, const TransformSpan& span,
                          int opacity, bool filter);
