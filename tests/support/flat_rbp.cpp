#include "flat_rbp.h"

#include "engine/pictures/rbp_format.h"
#include "tools/rbp_make/rbp_writer.h"

std::vector<std::uint8_t> FlatRbp(std::uint32_t width, std::uint32_t height, std::uint8_t r, std::uint8_t g,
                                  std::uint8_t b) {
  SourcePicture picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.resize(std::size_t{width} * height * 4);
  for (std::size_t i = 0; i < picture.rgba.size(); i += 4) {
    picture.rgba[i] = r;
    picture.rgba[i + 1] = g;
    picture.rgba[i + 2] = b;
    picture.rgba[i + 3] = 255;
  }
  const auto design = DesignSizeFor(width, height, 640, 480);
  return BuildRbpFile(picture, {kRbpKindRgb565, design[0], design[1]});
}
