// Marker-segment writers. Each builds its whole segment and hands it to the
// table's byte writer in one call, so a segment never interleaves with
// entropy-coded bits (that call first closes any held bits).
#pragma once

#include <cstdint>

#include "jpeglib/jpeg_working_state.h"

JPEG_STATUS writeSoi(JpegWorkingState& work);
JPEG_STATUS writeEoi(JpegWorkingState& work);
JPEG_STATUS writeApp0(JpegWorkingState& work);
JPEG_STATUS writeApp14(int transform, JpegWorkingState& work);
// The caller's comment (cut to 65,531 bytes; length 0 writes nothing), or
// the library banner when there is none.
JPEG_STATUS writeComment(JpegWorkingState& work);
// Precision 0: one byte a value; 1: two bytes, high first.
JPEG_STATUS writeDqt(JpegWorkingState& work, int precision, int id, const std::uint16_t values[64]);
// One DHT holding every table; -6 for a table of more than 256 values (the
// tables before it are already written).
JPEG_STATUS writeDhtAll(JpegWorkingState& work);
JPEG_STATUS writeSof0(JpegWorkingState& work);
// The progressive frame: components numbered 0, 1, 2, ...
JPEG_STATUS writeSof2(JpegWorkingState& work);
JPEG_STATUS writeSos(JpegWorkingState& work, int componentCount);
// One progressive scan's header with its band and approximation bits; the
// selectors are indexed by the components' positions in the frame.
JPEG_STATUS writeSosProgressive(JpegWorkingState& work, const JPEG_SCAN& scan, const std::uint8_t dcSelector[],
                                const std::uint8_t acSelector[]);
// One DHT segment for one table; -6 and nothing written for more than 256 values.
JPEG_STATUS writeDhtTable(JpegWorkingState& work, const std::uint8_t counts[16], const std::uint8_t* values,
                          int tableClass, int id);
JPEG_STATUS writeDri(int interval, JpegWorkingState& work);
// RST0..RST7; 8 or more: -25 and nothing written.
JPEG_STATUS writeRst(int n, JpegWorkingState& work);
