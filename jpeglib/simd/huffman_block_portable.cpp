// Portable forms of the block Huffman coders of the SIMD classes: the
// non-zero list with its list coder, and the register-held walk.
#include <cstdlib>

#include "jpeglib/simd/huffman_bits.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

JPEG_STATUS putSymbol(JpegOutputStream& out, const JpegHuffmanCodes& table, int symbol, std::uint32_t value,
                      int size) {
  std::uint32_t bits;
  int length;
  if (!huffman_bits::symbolBits(table, symbol, value, size, bits, length)) return JPEG_BAD_HUFFMAN_TABLE;
  return putBitsWide(bits, length, out);
}

}  // namespace

JPEG_STATUS codeNonZeroList(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                            JpegNonZeroList& list) {
  int first = 0;
  if (list.count > 0 && list.zerosBefore[0] == 0) {
    // The DC difference is the first entry.
    if (JPEG_STATUS status = putSymbol(out, dc, list.category[0], list.valueBits[0], list.category[0])) return status;
    first = 1;
  } else {
    if (JPEG_STATUS status = putSymbol(out, dc, 0, 0, 0)) return status;
    if (list.count > 0) --list.zerosBefore[0];  // the DC position counted as a zero
  }
  for (int i = first; i < list.count; ++i) {
    std::uint32_t zeros = list.zerosBefore[i];
    for (; zeros >= 16; zeros -= 16) {
      if (JPEG_STATUS status = putSymbol(out, ac, 0xF0, 0, 0)) return status;
    }
    const int size = list.category[i];
    if (JPEG_STATUS status = putSymbol(out, ac, static_cast<int>(zeros << 4) | size, list.valueBits[i], size)) {
      return status;
    }
  }
  // A list without entries still ends its block.
  if (list.count == 0 || list.trailingZeros > 0) return putSymbol(out, ac, 0x00, 0, 0);
  return JPEG_SUCCESS;
}

namespace simd_portable {

namespace {

// Category by halving steps, as the list collector computes it.
int halvingCategory(unsigned magnitude) {
  int bits = 0;
  if (magnitude > 255) bits += 8, magnitude >>= 8;
  if (magnitude > 15) bits += 4, magnitude >>= 4;
  if (magnitude > 3) bits += 2, magnitude >>= 2;
  if (magnitude > 1) bits += 1, magnitude >>= 1;
  return bits + static_cast<int>(magnitude);
}

JPEG_STATUS walkBlock(JpegHeldBits& held, JpegOutputStream& out, const JpegHuffmanCodes& dc,
                      const JpegHuffmanCodes& ac, std::int16_t& predictor, const std::int16_t block[64]) {
  // Code and value bits go out in two calls, the value bits (if any) second.
  auto send = [&](const JpegHuffmanCodes& table, int symbol, int value, int size) -> JPEG_STATUS {
    if (table.length[symbol] == 0) return JPEG_BAD_HUFFMAN_TABLE;
    if (JPEG_STATUS status = putBitsSse(held, table.code[symbol], static_cast<int>(table.length[symbol]), out)) {
      return status;
    }
    return putBitsSse(held, huffman_bits::valueBits(value), size, out);
  };
  const int diff = block[0] - predictor;
  predictor = block[0];
  const int dcSize = huffman_bits::category(static_cast<unsigned>(std::abs(diff)));
  if (JPEG_STATUS status = send(dc, dcSize, diff, dcSize)) return status;
  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int value = block[kZigzagToNatural[k]];
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run > 15; run -= 16) {
      if (JPEG_STATUS status = send(ac, 0xF0, 0, 0)) return status;
    }
    const int size = huffman_bits::category(static_cast<unsigned>(std::abs(value)));
    if (JPEG_STATUS status = send(ac, (run << 4) | size, value, size)) return status;
    run = 0;
  }
  return run != 0 ? send(ac, 0x00, 0, 0) : JPEG_SUCCESS;
}

}  // namespace

void collectNonZeroMmx(const std::int16_t block[64], int dcDifference, JpegNonZeroList& list) {
  int count = 0, pending = 0;
  for (int group = 0; group < 64; group += 4) {
    std::int16_t values[4];
    for (int j = 0; j < 4; ++j) {
      const int k = group + j;
      values[j] = k == 0 ? static_cast<std::int16_t>(dcDifference) : block[kZigzagToNatural[k]];
    }
    if ((values[0] | values[1] | values[2] | values[3]) == 0) {
      pending += 4;
      continue;
    }
    for (const std::int16_t value : values) {
      if (value == 0) {
        ++pending;
        continue;
      }
      list.valueBits[count] = static_cast<std::uint16_t>(value);
      list.zerosBefore[count] = static_cast<std::uint32_t>(pending);
      ++count;
      pending = 0;
    }
  }
  list.count = count;
  list.trailingZeros = pending;
  for (int i = 0; i < count; ++i) {
    const auto value = static_cast<std::int16_t>(list.valueBits[i]);
    list.category[i] = static_cast<std::uint16_t>(halvingCategory(static_cast<unsigned>(std::abs(value))));
    list.valueBits[i] = huffman_bits::valueBits(value);
  }
}

JPEG_STATUS encodeBlockHuffmanMmx(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                                  std::int16_t& predictor, const std::int16_t block[64]) {
  const int diff = block[0] - predictor;
  predictor = block[0];
  JpegNonZeroList list;
  simd_portable::collectNonZeroMmx(block, diff, list);
  return codeNonZeroList(out, dc, ac, list);
}

JPEG_STATUS encodeBlockSse(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                           std::int16_t& predictor, const std::int16_t block[64]) {
  JpegHeldBits held{out.accumulator, out.bitsHeld};
  const JPEG_STATUS status = walkBlock(held, out, dc, ac, predictor, block);
  out.accumulator = held.accumulator;
  out.bitsHeld = held.held;
  return status;
}

}  // namespace simd_portable
