// Whether a screen's text layer holds anything in a rectangle.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/pictures/picture_object.h"

// True when any pixel or alpha value of the image's w x h rectangle at
// (left, top), in image pixels, is not zero.
inline bool InkInRect(const CImage& image, std::uint32_t left, std::uint32_t top, std::uint32_t w, std::uint32_t h) {
  for (std::uint32_t y = top; y < top + h; ++y) {
    for (std::uint32_t x = left; x < left + w; ++x) {
      const std::size_t at = std::size_t{y} * image.width + x;
      if (image.GetPixels()[at] != 0 || (image.alphaPlane != nullptr && image.alphaPlane[at] != 0)) return true;
    }
  }
  return false;
}
