#include "jpeglib/jpeg_mcu_fill.h"

#include <cstddef>

namespace {

// Values a row of component `c`'s plane holds.
std::ptrdiff_t planeRowValues(const JpegFrame& frame, int c) {
  return static_cast<std::ptrdiff_t>(frame.mcusPerRow) * frame.components[c].h * 8;
}

void copyPlaneBlocks(JpegWorkingState& work, int column, int row) {
  const JpegFrame& frame = work.frame;
  const JpegPlaneSource& source = work.planeSource;
  std::int16_t* block = work.mcuBlocks;
  for (int c = 0; c < frame.componentCount; ++c) {
    const JpegComponent& component = frame.components[c];
    const std::ptrdiff_t rowValues = planeRowValues(frame, c);
    for (int k = 0; k < component.v; ++k) {
      for (int h = 0; h < component.h; ++h, block += 64) {
        const std::ptrdiff_t top = static_cast<std::ptrdiff_t>(row * component.v + k) * 8;
        const std::ptrdiff_t left = static_cast<std::ptrdiff_t>(column * component.h + h) * 8;
        const std::int16_t* origin = source.planes[c] + top * rowValues + left;
        for (int y = 0; y < 8; ++y) {
          for (int x = 0; x < 8; ++x) {
            const std::int16_t value = origin[y * rowValues + x];
            block[y * 8 + x] = source.holdsSamples ? static_cast<std::int16_t>(value - 128) : value;
          }
        }
      }
    }
  }
}

}  // namespace

JPEG_STATUS jpegCheckPlaneSource(const JpegWorkingState& work) {
  const JpegPlaneSource& source = work.planeSource;
  if (!source.attached()) return JPEG_SUCCESS;
  const JpegFrame& frame = work.frame;
  for (int c = 0; c < frame.componentCount; ++c) {
    if (source.planes[c] == nullptr) return JPEG_INVALID_PROPERTIES;
    const std::ptrdiff_t rowValues = planeRowValues(frame, c);
    const std::ptrdiff_t rows = static_cast<std::ptrdiff_t>(frame.mcuRows) * frame.components[c].v * 8;
    for (std::ptrdiff_t y = 0; y < rows; ++y) {
      for (std::ptrdiff_t x = 0; x < rowValues; ++x) {
        const int value = source.planes[c][y * rowValues + x];
        const bool dc = y % 8 == 0 && x % 8 == 0;
        const bool fits = source.holdsSamples ? value >= 0 && value <= 255
                                              : value >= (dc ? -1024 : -1023) && value <= 1023;
        if (!fits) return JPEG_DATA_ERROR;
      }
    }
  }
  return JPEG_SUCCESS;
}

void jpegFillMcuBlocks(JpegWorkingState& work, int column, int row, int totalBlocks) {
  if (!work.planeSource.attached()) {
    work.table.convertMcu(work, column, row);
  } else {
    copyPlaneBlocks(work, column, row);
    if (!work.planeSource.holdsSamples) return;
  }
  for (int b = 0; b < totalBlocks; ++b) work.table.forwardDct(work.mcuBlocks + b * 64);
}
