// Where an MCU lies in the caller's picture and how much of it is inside:
// shared by every MCU converter. Offsets stay integers so no pointer is
// formed outside the picture.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "jpeglib/jpeg_working_state.h"

struct JpegMcuPlace {
  const std::uint8_t* origin;  // top-left pixel of the MCU
  int validWidth;
  int validHeight;
  bool whole;
};

inline JpegMcuPlace jpegPlaceMcu(const JpegWorkingState& work, int column, int row, int mcuWidth,
                                 int mcuHeight, int bytesPerPixel) {
  const JpegSource& source = work.source;
  const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(row) * mcuHeight * source.stride +
                                static_cast<std::ptrdiff_t>(column) * mcuWidth * bytesPerPixel;
  const int validWidth = std::min(mcuWidth, source.width - column * mcuWidth);
  const int validHeight = std::min(mcuHeight, source.height - row * mcuHeight);
  return {source.top + offset, validWidth, validHeight,
          validWidth == mcuWidth && validHeight == mcuHeight};
}

// Offset of MCU sample (x, y) of a component laid out as rows of h blocks.
inline int jpegBlockSample(int x, int y, int h) { return ((y >> 3) * h + (x >> 3)) * 64 + (y & 7) * 8 + (x & 7); }
