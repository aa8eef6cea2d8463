// Pieces shared by the block Huffman coders of the SIMD classes: the
// category and value bits of a coefficient, the symbol lookup, and the
// register-held bit writer of the class-5 coder.
#pragma once

#include <cstdint>

#include "jpeglib/jpeg_output.h"
#include "jpeglib/jpeg_tables.h"
#include "jpeglib/simd/simd_kernels.h"

namespace huffman_bits {

// Significant bits of a magnitude (0 for 0), up to 16.
inline int category(unsigned magnitude) { return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude); }
// v when positive, v - 1 when negative (its low `category` bits are sent).
inline std::uint16_t valueBits(int value) { return static_cast<std::uint16_t>(value < 0 ? value - 1 : value); }
inline std::uint32_t lowBits(std::uint32_t value, int count) { return count == 0 ? 0 : value & (~0u >> (32 - count)); }

// A symbol's code with `size` value bits below it, as one call's bits and
// length; false when the table has no code for the symbol.
inline bool symbolBits(const JpegHuffmanCodes& table, int symbol, std::uint32_t value, int size,
                       std::uint32_t& bits, int& length) {
  const std::uint32_t codeLength = table.length[symbol];
  if (codeLength == 0) return false;
  bits = (static_cast<std::uint32_t>(table.code[symbol]) << size) | lowBits(value, size);
  length = static_cast<int>(codeLength) + size;
  return true;
}

}  // namespace huffman_bits

// The class-5 writer's accumulator (held bits left-aligned, next bit out is
// bit 63), kept in registers across a block.
struct JpegHeldBits {
  std::uint64_t accumulator;
  int held;
};

// Stores four output bytes from the top of the accumulator, each 0xFF
// followed by 0x00; a 0x00 that does not fit goes back on top of the
// accumulator as eight held zero bits. The room has been made.
[[gnu::noinline]] inline void storeGroupSse(JpegHeldBits& bits, JpegOutputStream& out) {
  const auto word = static_cast<std::uint32_t>(bits.accumulator >> 32);
  const std::uint32_t ones = ~word;
  if (((ones - 0x01010101u) & ~ones & 0x80808080u) == 0) {
    out.cursor[0] = static_cast<std::uint8_t>(word >> 24);
    out.cursor[1] = static_cast<std::uint8_t>(word >> 16);
    out.cursor[2] = static_cast<std::uint8_t>(word >> 8);
    out.cursor[3] = static_cast<std::uint8_t>(word);
    bits.accumulator <<= 32;
    bits.held -= 32;
  } else {
    int filled = 0, consumed = 0;
    bool pushBack = false;
    while (filled < 4) {
      const auto byte = static_cast<std::uint8_t>(bits.accumulator >> (56 - 8 * consumed++));
      out.cursor[filled++] = byte;
      if (byte != 0xFF) continue;
      if (filled < 4) {
        out.cursor[filled++] = 0x00;
      } else {
        pushBack = true;
      }
    }
    bits.accumulator <<= 8 * consumed;
    bits.held -= 8 * consumed;
    if (pushBack) {
      bits.accumulator >>= 8;
      bits.held += 8;
    }
  }
  out.cursor += 4;
  out.bytesWritten += 4;
}

// Appends the low `length` (0..32) bits of `value`. Makes room until they
// fit: a file stream writes its staging buffer out when fewer than four
// bytes are left; a memory stream fails with -28 then, keeping every held
// bit and storing nothing.
[[gnu::always_inline]] inline JPEG_STATUS putBitsSse(JpegHeldBits& bits, std::uint32_t value, int length, JpegOutputStream& out) {
  if (length <= 0) return JPEG_SUCCESS;
  while (bits.held + length > 64) {
    if (out.end - out.cursor < 4) {
      if (out.file == nullptr) return JPEG_OUTPUT_TOO_SMALL;
      if (JPEG_STATUS status = outputWriteStaged(out)) return status;
      continue;
    }
    storeGroupSse(bits, out);
  }
  bits.accumulator |= static_cast<std::uint64_t>(huffman_bits::lowBits(value, length)) << (64 - bits.held - length);
  bits.held += length;
  return JPEG_SUCCESS;
}

// Codes a block from its non-zero list through the accumulator writer (the
// coder of classes 3, 4 and 6); the first entry's zero count may be reduced.
JPEG_STATUS codeNonZeroList(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                            JpegNonZeroList& list);
