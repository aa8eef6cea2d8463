// The sequential scan drivers: per MCU convert, transform, quantise and
// Huffman-code every block, optionally separated by RSTn markers, stopping
// after an MCU when the caller asked for an interruption.
#pragma once

#include "jpeglib/jpeg_working_state.h"

// 0 when every MCU is coded, 1 when interrupted (resume position stored in
// the scan record), or the failure of a step (-17, -18, -28, -23, ...).
JPEG_STATUS encodeSequentialScan(JpegWorkingState& work, JPEG_SCAN& scan);
JPEG_STATUS encodeSequentialScanRestart(JpegWorkingState& work, JPEG_SCAN& scan);
