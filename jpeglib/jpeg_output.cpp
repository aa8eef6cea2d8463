#include "jpeglib/jpeg_output.h"

#include <algorithm>
#include <cstring>

#include "host/files/file_api.h"

JPEG_STATUS outputWriteStaged(JpegOutputStream& out) {
  const auto pending = static_cast<DWORD>(out.cursor - out.start);
  out.cursor = out.start;
  if (pending == 0) return JPEG_SUCCESS;
  DWORD written = 0;
  if (!WriteFile(out.file, out.start, pending, &written, nullptr) || written != pending) {
    return JPEG_FILE_ERROR;
  }
  return JPEG_SUCCESS;
}

namespace {

void beginCommon(JpegOutputStream& out, std::uint8_t* buffer, std::size_t size) {
  if (out.file != nullptr) {
    buffer = out.staging;
    size = kJpegStagingSize;
  }
  out.start = buffer;
  out.cursor = buffer;
  out.end = buffer + size;
  out.bytesWritten = 0;
  out.accumulator = 0;
  out.freeBits = 8;
  out.bitsHeld = 0;
}

// Makes room for `count` bytes: a file stream writes out its staging buffer
// when the bytes would not fit; a memory stream fails with -28 when they would
// reach past the end.
JPEG_STATUS ensureRoom(JpegOutputStream& out, std::size_t count) {
  if (count <= static_cast<std::size_t>(out.end - out.cursor)) return JPEG_SUCCESS;
  if (out.file == nullptr) return JPEG_OUTPUT_TOO_SMALL;
  return outputWriteStaged(out);
}

void storeByte(JpegOutputStream& out, std::uint8_t value) {
  *out.cursor++ = value;
  ++out.bytesWritten;
}

// Copies bytes unchanged, through the staging buffer in pieces for files.
JPEG_STATUS copyBytes(JpegOutputStream& out, const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    if (out.cursor == out.end) {
      if (JPEG_STATUS status = outputWriteStaged(out)) return status;
    }
    const std::size_t piece = std::min(count, static_cast<std::size_t>(out.end - out.cursor));
    std::memcpy(out.cursor, bytes, piece);
    out.cursor += piece;
    out.bytesWritten += piece;
    bytes += piece;
    count -= piece;
  }
  return JPEG_SUCCESS;
}

// Bytes needed to close `bits` held bits (padding and stuffing included).
std::size_t closingBytes(std::uint64_t leftAligned, int bits) {
  std::size_t bytes = 0;
  for (int shift = 56; bits > 0; shift -= 8, bits -= 8) {
    std::uint8_t value = static_cast<std::uint8_t>(leftAligned >> shift);
    if (bits < 8) value |= static_cast<std::uint8_t>(0xFF >> bits);
    bytes += value == 0xFF ? 2 : 1;
  }
  return bytes;
}

// Segment write shared by both writers: room for the closing bytes and the
// segment (one byte must stay free in memory output), then both.
JPEG_STATUS writeSegment(JpegOutputStream& out, const std::uint8_t* bytes, std::size_t count,
                         std::uint64_t leftAligned, int bitsHeld) {
  const std::size_t closing = closingBytes(leftAligned, bitsHeld);
  if (out.file == nullptr && closing + count >= static_cast<std::size_t>(out.end - out.cursor)) {
    return JPEG_OUTPUT_TOO_SMALL;
  }
  if (JPEG_STATUS status = ensureRoom(out, closing)) return status;
  return flushBitsAndCopy(out, bytes, count);
}

}  // namespace

// ---- plain set -------------------------------------------------------------

void outputBegin(JpegOutputStream& out, std::uint8_t* buffer, std::size_t size) {
  beginCommon(out, buffer, size);
}

JPEG_STATUS putBits(JpegOutputStream& out, std::uint32_t value, int count) {
  while (count > 0) {
    const int take = std::min(count, out.freeBits);
    count -= take;
    const std::uint32_t piece = (value >> count) & ((1u << take) - 1);
    out.accumulator = (out.accumulator << take) | piece;
    out.freeBits -= take;
    if (out.freeBits > 0) continue;
    const auto byte = static_cast<std::uint8_t>(out.accumulator);
    const std::size_t needed = byte == 0xFF ? 2 : 1;
    if (JPEG_STATUS status = ensureRoom(out, needed)) {
      // Keep the completed byte held so nothing is lost or doubled.
      out.freeBits = 0;
      out.accumulator = byte;
      return status;
    }
    storeByte(out, byte);
    if (byte == 0xFF) storeByte(out, 0x00);
    out.accumulator = 0;
    out.freeBits = 8;
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS outputWriteBytes(const std::uint8_t* bytes, std::size_t count, JpegOutputStream& out) {
  // The plain partial byte becomes left-aligned held bits for the shared path.
  const int held = 8 - out.freeBits;
  const std::uint64_t leftAligned = held == 0 ? 0 : (out.accumulator << (64 - held));
  const std::uint64_t savedAccumulator = out.accumulator;
  out.accumulator = leftAligned;
  out.bitsHeld = held;
  const JPEG_STATUS status = writeSegment(out, bytes, count, leftAligned, held);
  if (status != JPEG_SUCCESS) {
    out.accumulator = savedAccumulator;
    out.bitsHeld = 0;
    return status;
  }
  out.accumulator = 0;
  out.freeBits = 8;
  return JPEG_SUCCESS;
}

// ---- SIMD sets -------------------------------------------------------------

void outputBeginWide(JpegOutputStream& out, std::uint8_t* buffer, std::size_t size) {
  beginCommon(out, buffer, size);
}

JPEG_STATUS flushBitsAndCopy(JpegOutputStream& out, const std::uint8_t* bytes, std::size_t count) {
  while (out.bitsHeld > 0) {
    auto value = static_cast<std::uint8_t>(out.accumulator >> 56);
    if (out.bitsHeld < 8) value |= static_cast<std::uint8_t>(0xFF >> out.bitsHeld);
    storeByte(out, value);
    if (value == 0xFF) storeByte(out, 0x00);
    out.accumulator <<= 8;
    out.bitsHeld -= 8;
  }
  out.accumulator = 0;
  out.bitsHeld = 0;
  if (bytes == nullptr || count == 0) return JPEG_SUCCESS;
  return copyBytes(out, bytes, count);
}

JPEG_STATUS outputWriteBytesWide(const std::uint8_t* bytes, std::size_t count, JpegOutputStream& out) {
  return writeSegment(out, bytes, count, out.accumulator, out.bitsHeld);
}

namespace {

// Stores the top 32 held bits as bytes, each 0xFF followed by 0x00; the room
// for them has been made.
void storeWord(JpegOutputStream& out) {
  const auto word = static_cast<std::uint32_t>(out.accumulator >> 32);
  // A byte is 0xFF exactly when its bits are all ones; test four at once.
  const std::uint32_t ones = ~word;
  const bool anyFF = ((ones - 0x01010101u) & ~ones & 0x80808080u) != 0;
  if (!anyFF) {
    out.cursor[0] = static_cast<std::uint8_t>(word >> 24);
    out.cursor[1] = static_cast<std::uint8_t>(word >> 16);
    out.cursor[2] = static_cast<std::uint8_t>(word >> 8);
    out.cursor[3] = static_cast<std::uint8_t>(word);
    out.cursor += 4;
    out.bytesWritten += 4;
  } else {
    for (int shift = 24; shift >= 0; shift -= 8) {
      const auto byte = static_cast<std::uint8_t>(word >> shift);
      storeByte(out, byte);
      if (byte == 0xFF) storeByte(out, 0x00);
    }
  }
  out.accumulator <<= 32;
  out.bitsHeld -= 32;
}

std::size_t wordBytes(std::uint64_t accumulator) {
  std::size_t bytes = 4;
  for (int shift = 56; shift >= 32; shift -= 8) {
    if (static_cast<std::uint8_t>(accumulator >> shift) == 0xFF) ++bytes;
  }
  return bytes;
}

}  // namespace

JPEG_STATUS putBitsWide(std::uint32_t bits, int length, JpegOutputStream& out) {
  if (length <= 0) return JPEG_SUCCESS;
  out.accumulator |= static_cast<std::uint64_t>(bits) << (64 - out.bitsHeld - length);
  out.bitsHeld += length;
  if (out.bitsHeld <= 32) return JPEG_SUCCESS;
  const std::size_t needed = wordBytes(out.accumulator);
  if (JPEG_STATUS status = ensureRoom(out, needed)) {
    // Undo the append so the caller's retry (if any) sees the old state.
    out.bitsHeld -= length;
    out.accumulator &= out.bitsHeld == 0 ? 0 : ~0ull << (64 - out.bitsHeld);
    return status;
  }
  storeWord(out);
  return JPEG_SUCCESS;
}
