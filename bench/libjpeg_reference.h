// libjpeg-turbo as the benchmarks' reference encoder: baseline 4:2:0 from
// blue, green, red rows with the accurate integer DCT, default tables and
// no Huffman optimisation. Include it after the project's headers: it
// defines TRUE and FALSE as macros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// Encodes the rows (first row on top, stride bytes apart) into a new block
// at *output, which the caller frees with std::free; returns its size.
inline unsigned long EncodeWithLibjpeg(const std::uint8_t* rows, std::size_t stride, int width, int height,
                                       int quality, unsigned char** output) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned long size = 0;
  *output = nullptr;
  jpeg_mem_dest(&cinfo, output, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.optimize_coding = FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(rows) + cinfo.next_scanline * stride;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return size;
}
