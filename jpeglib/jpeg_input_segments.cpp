// Marker search and segment reading over the decoder's byte input.
#include "jpeglib/jpeg_input_segments.h"

JPEG_STATUS jpegNextMarker(JpegInputStream& in, int& code) {
  if (in.marker != 0) {
    code = in.marker;
    in.marker = 0;
    return JPEG_SUCCESS;
  }
  std::uint8_t byte = 0;
  for (;;) {
    int got = inputNextByte(in, byte);
    if (got < 0) return got;
    if (got == 0) break;
    if (byte != 0xFF) continue;
    // Fill bytes repeat the 0xFF; a stuffed zero is data.
    do {
      got = inputNextByte(in, byte);
    } while (got > 0 && byte == 0xFF);
    if (got < 0) return got;
    if (got == 0) break;
    if (byte != 0x00) {
      code = byte;
      return JPEG_SUCCESS;
    }
  }
  code = kJpegEndOfData;
  return JPEG_SUCCESS;
}

namespace {

// n bytes appended to `out` (when given): -21 when the data end first.
JPEG_STATUS takeBytes(JpegInputStream& in, std::size_t n, std::vector<std::uint8_t>* out) {
  while (n > 0) {
    std::uint8_t byte = 0;
    if (in.bytesLeft == 0) {
      const int got = inputNextByte(in, byte);
      if (got < 0) return got;
      if (got == 0) return JPEG_DATA_ERROR;
      if (out) out->push_back(byte);
      --n;
      continue;
    }
    const std::size_t chunk = n < in.bytesLeft ? n : in.bytesLeft;
    if (out) out->insert(out->end(), in.position, in.position + chunk);
    in.position += chunk;
    in.bytesLeft -= chunk;
    in.bytesConsumed += chunk;
    n -= chunk;
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS readLength(JpegInputStream& in, std::size_t& payloadSize) {
  std::vector<std::uint8_t> field;
  const JPEG_STATUS status = takeBytes(in, 2, &field);
  if (status < 0) return status;
  const int length = field[0] << 8 | field[1];
  if (length < 2) return JPEG_DATA_ERROR;
  payloadSize = static_cast<std::size_t>(length - 2);
  return JPEG_SUCCESS;
}

}  // namespace

JPEG_STATUS jpegReadSegment(JpegInputStream& in, std::vector<std::uint8_t>& payload) {
  payload.clear();
  std::size_t size = 0;
  const JPEG_STATUS status = readLength(in, size);
  if (status < 0) return status;
  payload.reserve(size);
  return takeBytes(in, size, &payload);
}

JPEG_STATUS jpegSkipSegment(JpegInputStream& in) {
  std::size_t size = 0;
  const JPEG_STATUS status = readLength(in, size);
  if (status < 0) return status;
  return takeBytes(in, size, nullptr);
}
