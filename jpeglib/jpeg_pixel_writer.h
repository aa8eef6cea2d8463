// The decoder's output stage: one MCU's samples into the caller's picture,
// through the conversion the JPEG and picture colours call for, inside the
// picture, the output size and the region.
#pragma once

#include <cstdint>

#include "jpeglib/jpeg_working_state.h"

inline constexpr int kJpegPlaneStride = 32;

// Each component's samples of one MCU (up to 4 x 4 blocks of 8 x 8).
struct JpegMcuPlanes {
  std::uint8_t samples[kJpegMaxComponents][kJpegPlaneStride * kJpegPlaneStride];
};

// The conversion for the JPEG colour, the component count and the picture:
// -8 when the JPEG colour does not fit the components or a YCbCr picture
// does not have two channels, -12 for a pairing without a conversion.
JPEG_STATUS jpegSelectConversion(JpegWorkingState& work);

// True when some pixel of MCU (column, row) is written.
bool jpegMcuVisible(const JpegImageRead& image, int column, int row);

void jpegWriteMcu(JpegWorkingState& work, const JpegMcuPlanes& planes, int column, int row, JpegColourForm form);
// One output pixel (x, y), inside the written part, from its samples.
void jpegWritePixel(JpegWorkingState& work, int x, int y, const int samples[4], JpegColourForm form);
