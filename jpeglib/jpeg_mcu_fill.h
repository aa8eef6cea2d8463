// Filling the MCU block buffer, shared by the sequential and progressive
// drivers: from the caller's component planes when attached, else through
// the scan's MCU converter; then the forward DCT unless the planes already
// hold coefficients.
#pragma once

#include "jpeglib/jpeg_working_state.h"

// Refuses planes whose values a JPEG cannot carry: samples outside 0..255,
// coefficients outside -1024..1023 (DC) or -1023..1023 (AC). -21 for those.
JPEG_STATUS jpegCheckPlaneSource(const JpegWorkingState& work);

// MCU (column, row) into work.mcuBlocks, `totalBlocks` blocks in all.
void jpegFillMcuBlocks(JpegWorkingState& work, int column, int row, int totalBlocks);

// Whether the filled blocks still need quantising.
inline bool jpegMcuNeedsQuantising(const JpegWorkingState& work) {
  return !work.planeSource.attached() || work.planeSource.holdsSamples;
}
