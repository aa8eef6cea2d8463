#include "game/screens/save_load/row_thumbnail.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_rgb565.h"

namespace {

// The source span [first, end) the new pixel i of count covers, at least one
// pixel wide.
void SourceSpan(std::uint32_t i, std::uint32_t count, std::uint32_t source, std::uint32_t& first,
                std::uint32_t& end) {
  first = static_cast<std::uint32_t>(std::uint64_t{i} * source / count);
  end = std::max(first + 1, static_cast<std::uint32_t>(std::uint64_t{i + 1} * source / count));
}

}  // namespace

int FitThumbnail(CImage& image, std::uint32_t w, std::uint32_t h) {
  const std::uint32_t srcW = image.width, srcH = image.height;
  const std::uint16_t* from = image.GetPixels();
  if ((srcW == w && srcH == h) || from == nullptr || srcW == 0 || srcH == 0 || w == 0 || h == 0) return 1;
  std::vector<std::uint16_t> fitted(std::size_t{w} * h);
  for (std::uint32_t j = 0; j < h; ++j) {
    std::uint32_t top = 0, bottom = 0;
    SourceSpan(j, h, srcH, top, bottom);
    for (std::uint32_t i = 0; i < w; ++i) {
      std::uint32_t left = 0, right = 0;
      SourceSpan(i, w, srcW, left, right);
      std::uint32_t red = 0, green = 0, blue = 0;
      for (std::uint32_t y = top; y < bottom; ++y) {
        for (std::uint32_t x = left; x < right; ++x) {
          const std::uint16_t p = from[std::size_t{y} * srcW + x];
          red += Red8(p);
          green += Green8(p);
          blue += Blue8(p);
        }
      }
      const std::uint32_t count = (bottom - top) * (right - left);
      fitted[std::size_t{j} * w + i] = PackRgb565(red / count, green / count, blue / count);
    }
  }
  if (!image.CreateBlank(w, h, 0, 2)) return 0;
  std::memcpy(image.GetPixels(), fitted.data(), fitted.size() * sizeof fitted[0]);
  image.flags = 0;
  return 1;
}
