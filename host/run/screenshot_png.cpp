#include <png.h>

#include <cstdio>
#include <vector>

#include "host/display/landscape_view.h"
#include "host/run/screenshot.h"

namespace {

// RGB565 widened to 8 bits a channel by repeating the top bits, so white
// stays white and black stays black.
void Expand565(std::uint16_t pixel, png_byte* out) {
  const unsigned red = (pixel >> 11) & 0x1F;
  const unsigned green = (pixel >> 5) & 0x3F;
  const unsigned blue = pixel & 0x1F;
  out[0] = static_cast<png_byte>((red << 3) | (red >> 2));
  out[1] = static_cast<png_byte>((green << 2) | (green >> 4));
  out[2] = static_cast<png_byte>((blue << 3) | (blue >> 2));
}

}  // namespace

bool HostWriteScreenshot(const std::string& path) {
  const LandscapeView view = TakeLandscapeView();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  volatile bool written = false;
  std::vector<png_byte> row(static_cast<std::size_t>(view.width) * 3);
  if (png && info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(view.width), static_cast<png_uint_32>(view.height),
                 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < view.height; ++y) {
      for (int x = 0; x < view.width; ++x) {
        Expand565(view.pixels[static_cast<std::size_t>(y * view.width + x)], &row[static_cast<std::size_t>(x) * 3]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && written;
}
