#include "tools/rbp_make/png_picture.h"

#include <png.h>

#include <cstring>

namespace {

bool Fail(png_image& image, std::string& error) {
  error = image.message;
  png_image_free(&image);
  return false;
}

bool ReadColourMap(const std::string& path, SourcePicture& picture, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return Fail(image, error);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  std::vector<png_byte> colours(PNG_IMAGE_COLORMAP_SIZE(image));
  picture.indexes.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.indexes.data(), 0, colours.data())) return Fail(image, error);
  picture.palette.resize(image.colormap_entries);
  for (std::size_t i = 0; i < picture.palette.size(); ++i)
    picture.palette[i] = {colours[3 * i], colours[3 * i + 1], colours[3 * i + 2]};
  return true;
}

}  // namespace

bool ReadPngPicture(const std::string& path, SourcePicture& picture, std::string& error) {
  picture = SourcePicture();
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return Fail(image, error);
  const bool hasColourMap = (image.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  image.format = PNG_FORMAT_RGBA;
  picture.width = image.width;
  picture.height = image.height;
  picture.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) return Fail(image, error);
  return !hasColourMap || ReadColourMap(path, picture, error);
}
