// Image reads through the public record for the tests: a parameter read,
// then an image read into a picture the test owns.
#pragma once

#include <cstdint>
#include <vector>

#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_working_state.h"

struct Picture {
  int width = 0;
  int height = 0;
  int channels = 3;
  std::vector<std::uint8_t> pixels;
};

struct ImageReader {
  JPEG_PROPERTIES props{};
  explicit ImageReader(int processorClass = -1);
  ~ImageReader();
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;

  JPEG_STATUS Parameters(std::vector<std::uint8_t>& stream);
  // Points the record at `picture` (filled with 0xA5 when `clear`) and reads.
  JPEG_STATUS Read(std::vector<std::uint8_t>& stream, int mode, Picture& picture, int color, int channels,
                   bool clear = true);
};

// 1, 2, 4 or 8 for the full, half, quarter and eighth size modes.
int ScaleOf(int mode);
// Parameters, then the image at `mode` into RGB (grey for one component)
// at the output size.
Picture ReadOurs(std::vector<std::uint8_t> stream, int mode, int processorClass, JPEG_STATUS& status);
