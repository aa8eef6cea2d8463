// Marker-level reading of the decoder's input: the marker search and the
// length-prefixed segments between markers.
#pragma once

#include <cstdint>
#include <vector>

#include "jpeglib/jpeg_decode_kernels.h"

// Code returned by jpegNextMarker when the data end before a marker code.
inline constexpr int kJpegEndOfData = 256;

// The next marker code (0..255) or kJpegEndOfData; a marker the entropy
// decoder met comes first. Fails only with -23 (a failed file read).
JPEG_STATUS jpegNextMarker(JpegInputStream& in, int& code);
// A segment's payload (length field minus 2 bytes): -21 for a length below
// 2 or data ending inside the segment, -23 for a failed read.
JPEG_STATUS jpegReadSegment(JpegInputStream& in, std::vector<std::uint8_t>& payload);
JPEG_STATUS jpegSkipSegment(JpegInputStream& in);
