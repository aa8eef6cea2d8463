#include "screenshot_pixel.h"

#include <gtest/gtest.h>

#include "tools/rbp_make/png_picture.h"

namespace {

bool ReadShot(const std::string& path, SourcePicture& picture) {
  std::string error;
  if (ReadPngPicture(path, picture, error)) return true;
  ADD_FAILURE() << path << ": " << error;
  return false;
}

std::uint16_t PixelOf(const SourcePicture& picture, std::uint32_t x, std::uint32_t y) {
  if (x >= picture.width || y >= picture.height) {
    ADD_FAILURE() << "(" << x << ", " << y << ") outside " << picture.width << " x " << picture.height;
    return 0;
  }
  const std::uint8_t* p = &picture.rgba[(std::size_t{y} * picture.width + x) * 4];
  return static_cast<std::uint16_t>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
}

}  // namespace

std::uint16_t ScreenshotPixel(const std::string& path, std::uint32_t x, std::uint32_t y) {
  SourcePicture picture;
  return ReadShot(path, picture) ? PixelOf(picture, x, y) : 0;
}

std::uint16_t ScreenshotCentrePixel(const std::string& path) {
  SourcePicture picture;
  return ReadShot(path, picture) ? PixelOf(picture, picture.width / 2, picture.height / 2) : 0;
}

std::vector<std::uint16_t> ScreenshotPixels(const std::string& path, std::uint32_t* width) {
  SourcePicture picture;
  std::vector<std::uint16_t> pixels;
  *width = 0;
  if (!ReadShot(path, picture)) return pixels;
  *width = picture.width;
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    for (std::uint32_t x = 0; x < picture.width; ++x) pixels.push_back(PixelOf(picture, x, y));
  }
  return pixels;
}
