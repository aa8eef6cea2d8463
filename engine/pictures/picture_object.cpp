#include "engine/pictures/picture_object.h"

#include <algorithm>
#include <cstring>

#include "engine/shell/back_buffer.h"
#include "engine/raster/raster_pixel.h"
#include "engine/runtime/runtime_globals.h"
#include "host/memory/memory_api.h"

void CImage::Free() {
  if (ownedBlock != nullptr) LocalFree(ownedBlock);
  if (alphaPlane != nullptr) LocalFree(alphaPlane);
  if (maskPlane != nullptr) LocalFree(maskPlane);
  ownedBlock = nullptr;
  alphaPlane = nullptr;
  maskPlane = nullptr;
  // pixels and palette live in the owned block; a kind that names buffers no
  // longer there would send the compositor into freed memory.
  pixels = nullptr;
  palette = nullptr;
  pixelKind = kPixelKindEmpty;
}

void CImage::TakePixels(void* block) {
  ownedBlock = block;
  pixels = block;
}

int CImage::AllocatePixels(std::size_t count) {
  void* block = LocalAlloc(LMEM_FIXED, count * 2);
  if (block == nullptr) return 0;
  TakePixels(block);
  return 1;
}

int CImage::AllocateAlpha(std::size_t count) {
  alphaPlane = static_cast<std::uint8_t*>(LocalAlloc(LMEM_FIXED, count));
  return alphaPlane != nullptr;
}

int CImage::CopyFromBackBuffer(CBackBuffer& backBuffer) {
  Free();
  const std::size_t count = std::size_t{backBuffer.GetWidth()} * backBuffer.GetHeight();
  if (!AllocatePixels(count)) return 0;
  width = backBuffer.GetWidth();
  height = backBuffer.GetHeight();
  if (count != 0) std::memcpy(pixels, backBuffer.GetPixels(), count * 2);
  flags = 0;
  pixelKind = kPixelKindRgb565;
  return 1;
}

void CImage::DrawImage(const CImage& source, int x, int y, int w, int h) {
  if (pixels == nullptr || (pixelKind != kPixelKindRgb565 && pixelKind != kPixelKindRgb565Alpha)) return;
  if (source.pixels == nullptr) return;
  if (source.pixelKind != kPixelKindRgb565 && source.pixelKind != kPixelKindRgb565Alpha) return;
  if (source.pixelKind == kPixelKindRgb565Alpha && source.alphaPlane == nullptr) return;

  std::int64_t sourceX = 0;
  std::int64_t sourceY = 0;
  std::int64_t left = x;
  std::int64_t top = y;
  std::int64_t columns = w;
  std::int64_t rows = h;
  if (left < 0) {
    sourceX = -left;
    columns += left;
    left = 0;
  }
  if (top < 0) {
    sourceY = -top;
    rows += top;
    top = 0;
  }
  columns = std::min({columns, std::int64_t{width} - left, std::int64_t{source.width} - sourceX});
  rows = std::min({rows, std::int64_t{height} - top, std::int64_t{source.height} - sourceY});
  if (columns <= 0 || rows <= 0) return;

  const std::uint16_t* from = source.GetPixels();
  std::uint16_t* to = GetPixels();
  for (std::int64_t row = 0; row < rows; ++row) {
    const std::size_t sourceStart = static_cast<std::size_t>((sourceY + row) * source.width + sourceX);
    const std::size_t destinationStart = static_cast<std::size_t>((top + row) * width + left);
    if (source.pixelKind == kPixelKindRgb565) {
      std::memcpy(to + destinationStart, from + sourceStart, static_cast<std::size_t>(columns) * 2);
      continue;
    }
    for (std::int64_t column = 0; column < columns; ++column) {
      const std::uint32_t level = source.alphaPlane[sourceStart + column];
      std::uint16_t& out = to[destinationStart + column];
      if (level != 0) out = AlphaPixel(from[sourceStart + column], out, level);
    }
  }
}

int CImage::CreateBlank(std::uint32_t w, std::uint32_t h, std::uint8_t fill, int mode) {
  Free();
  const std::size_t count = std::size_t{w} * h;
  if (!AllocatePixels(count)) return 0;
  std::memset(pixels, fill, count * 2);
  if (mode == 2) {
    pixelKind = kPixelKindRgb565;
  } else {
    if (!AllocateAlpha(count)) return 0;
    std::memset(alphaPlane, fill, count);
    pixelKind = kPixelKindRgb565Alpha;
  }
  flags = kPictureFlagPartsSheet;
  const std::int64_t screenWidth = GetScreenWidth();
  const std::int64_t screenHeight = GetScreenHeight();
  designWidth = screenWidth > 0 ? static_cast<std::int32_t>(GetDesignWidth() * std::int64_t{w} / screenWidth) : 0;
  designHeight = screenHeight > 0 ? static_cast<std::int32_t>(GetDesignHeight() * std::int64_t{h} / screenHeight) : 0;
  width = w;
  height = h;
  return 1;
}
