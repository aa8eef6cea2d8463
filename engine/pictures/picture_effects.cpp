// Colour effects applied to a whole picture. Only RGB565 pictures change;
// palettised and empty pictures keep their pixels (the effect state still
// records what was asked for, so callers can undo or repeat it).
#include <cstddef>

#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_rgb565.h"

namespace {

bool HasRgb565Pixels(const CImage& image) {
  return image.pixels != nullptr &&
         (image.pixelKind == kPixelKindRgb565 || image.pixelKind == kPixelKindRgb565Alpha);
}

template <typename Transform>
void ForEachPixel(CImage& image, Transform transform) {
  if (!HasRgb565Pixels(image)) return;
  std::uint16_t* pixel = image.GetPixels();
  const std::size_t count = std::size_t{image.width} * image.height;
  for (std::size_t i = 0; i < count; ++i) pixel[i] = transform(pixel[i]);
}

std::uint32_t DarkenAmount(std::uint32_t channel) { return channel <= 80 ? 80 - channel : 0; }

std::uint32_t Lower(std::uint32_t value, std::uint32_t amount) { return value > amount ? value - amount : 0; }

}  // namespace

void CImage::DarkenByColor(std::uint32_t rgb) {
  const std::uint32_t redAmount = DarkenAmount((rgb >> 16) & 0xFF);
  const std::uint32_t greenAmount = DarkenAmount((rgb >> 8) & 0xFF);
  const std::uint32_t blueAmount = DarkenAmount(rgb & 0xFF);
  ForEachPixel(*this, [&](std::uint16_t p) {
    return PackRgb565(Lower(Red8(p), redAmount), Lower(Green8(p), greenAmount), Lower(Blue8(p), blueAmount));
  });
  effectState = kEffectDarkened;
}

void CImage::InvertColors() {
  ForEachPixel(*this, [](std::uint16_t p) { return static_cast<std::uint16_t>(~p); });
  effectState = effectState != kEffectNone ? kEffectNone : kEffectInverted;
}

void CImage::ApplyGrey() {
  ForEachPixel(*this, [](std::uint16_t p) {
    const std::uint32_t level = ((p >> 11) + ((p >> 6) & 0x1F) + (p & 0x1F)) / 3;
    return static_cast<std::uint16_t>((level << 11) | ((level * 2) << 5) | level);  // green has six bits
  });
  effectState = kEffectGrey;
}

void CImage::ApplySepia() {
  ForEachPixel(*this, [](std::uint16_t p) {
    const std::uint32_t luma = (Red8(p) + Green8(p) + Blue8(p)) / 3;
    return PackRgb565((luma * 255) >> 8, (luma * 208) >> 8, (luma * 131) >> 8);
  });
  effectState = kEffectSepia;
}

void CImage::ScaleBrightness(std::uint32_t factor) {
  ForEachPixel(*this, [factor](std::uint16_t p) {
    const std::uint32_t blue = (Blue8(p) * factor) >> 11;
    const std::uint32_t green = ((Green8(p) * factor) >> 8) & 0xFC;
    const std::uint32_t red = ((Red8(p) * factor) >> 8) & 0xF8;
    return static_cast<std::uint16_t>((red << 8) | (green << 3) | blue);
  });
}
