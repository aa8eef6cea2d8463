// The library's output byte stream: the caller's memory buffer or a file
// through a 4,096-byte staging buffer, with the bit writers that pack
// entropy-coded data into it.
//
// Two bit writers produce the same bytes: the byte-wise one of the plain
// kernel set and the 64-bit accumulator of the SIMD kernel sets. Both share
// one room rule for memory output: a step that would store a byte at or past
// the end fails with -28 and stores nothing of that byte, and a segment
// write (writeOutputBytes) must also leave the last byte of the buffer free.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/base/win_types.h"
#include "jpeglib/jpeg_api.h"

inline constexpr std::size_t kJpegStagingSize = 4096;

struct JpegOutputStream {
  // Bit state. Plain writer: `accumulator` holds the partial byte in its low
  // bits and `freeBits` counts 8..1 free bits. Wide writer: held bits are
  // left-aligned in `accumulator` (next bit out is bit 63), `bitsHeld` counts.
  std::uint64_t accumulator = 0;
  int freeBits = 8;
  int bitsHeld = 0;

  std::uint8_t* start = nullptr;
  std::uint8_t* cursor = nullptr;
  std::uint8_t* end = nullptr;
  std::size_t bytesWritten = 0;
  HANDLE file = nullptr;  // null for memory output
  std::uint8_t staging[kJpegStagingSize];
};

// Plain set (byte-wise writer).
void outputBegin(JpegOutputStream& out, std::uint8_t* buffer, std::size_t size);
JPEG_STATUS outputWriteBytes(const std::uint8_t* bytes, std::size_t count, JpegOutputStream& out);
JPEG_STATUS putBits(JpegOutputStream& out, std::uint32_t value, int count);

// SIMD sets (64-bit accumulator writer).
void outputBeginWide(JpegOutputStream& out, std::uint8_t* buffer, std::size_t size);
JPEG_STATUS outputWriteBytesWide(const std::uint8_t* bytes, std::size_t count, JpegOutputStream& out);
// Appends the low `length` (at most 32) bits of `bits`; no other bits may be set.
JPEG_STATUS putBitsWide(std::uint32_t bits, int length, JpegOutputStream& out);
// Stores every held bit (last byte padded with 1 bits, 0xFF stuffed) and then
// `count` bytes unchanged; the caller has checked the room.
JPEG_STATUS flushBitsAndCopy(JpegOutputStream& out, const std::uint8_t* bytes, std::size_t count);

// Writes the staged bytes of a file stream to the file (-23 on a short write).
JPEG_STATUS outputWriteStaged(JpegOutputStream& out);
