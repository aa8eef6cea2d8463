// Scan decoding of image reads: the set-up at the first scan, sequential
// scans that cover every component straight into the picture, and all
// other scans (progressive, or one component at a time) into the
// coefficient store, from which the picture is written.
#pragma once

#include "jpeglib/jpeg_working_state.h"

// Geometry at the mode's scale, the written part of the output (region and
// picture) and the conversion; once per image.
JPEG_STATUS jpegPrepareImageRead(JpegWorkingState& work);
// 0 when the scan is done, 1 when interrupted after an MCU (the scan's
// record then holds where to go on), or a negative status.
JPEG_STATUS jpegDecodeScan(JpegWorkingState& work, JPEG_SCAN& scan);
// Writes the picture from the store when it changed since last written.
void jpegOutputStore(JpegWorkingState& work);
// Dequantises and transforms one of component `c`'s blocks in place, at the
// component's scale.
void jpegInverseTransform(JpegWorkingState& work, int c, std::int16_t block[64]);
