// libjpeg-turbo's encode of a packed picture into memory, for benchmarks
// that measure against it or need a JPEG made by it.
#pragma once

#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <vector>

// Defines TRUE and FALSE as macros: include after the project's headers.
#include <jpeglib.h>

// Defaults for the input colour space, then `configure` (quality, tables,
// coding options) on the compressor.
template <typename Configure>
std::vector<std::uint8_t> EncodeWithLibjpeg(const std::uint8_t* pixels, int width, int height, J_COLOR_SPACE space,
                                            Configure configure) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* output = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &output, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(pixels) + cinfo.next_scanline * stride;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> jpeg(output, output + size);
  std::free(output);
  return jpeg;
}
