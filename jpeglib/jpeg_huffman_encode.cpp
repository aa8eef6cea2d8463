#include <cstdlib>

#include "jpeglib/jpeg_block_kernels.h"

namespace {

inline int bitCount(unsigned magnitude) { return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude); }

struct BytewiseSink {
  static JPEG_STATUS put(JpegOutputStream& out, std::uint32_t bits, int length) {
    return putBits(out, bits, length);
  }
};

// Emits a symbol's code followed by `size` value bits in one call.
template <typename Sink>
JPEG_STATUS emit(JpegOutputStream& out, const JpegHuffmanCodes& table, int symbol, int value, int size) {
  const std::uint32_t length = table.length[symbol];
  // A symbol the table cannot code would silently corrupt the stream.
  if (length == 0) return JPEG_BAD_HUFFMAN_TABLE;
  const std::uint32_t bits = value < 0 ? static_cast<std::uint32_t>(value - 1) : static_cast<std::uint32_t>(value);
  const std::uint32_t valueBits = size == 0 ? 0 : bits & ((1u << size) - 1);
  return Sink::put(out, (static_cast<std::uint32_t>(table.code[symbol]) << size) | valueBits,
                   static_cast<int>(length) + size);
}

template <typename Sink>
JPEG_STATUS encodeBlock(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                        std::int16_t& predictor, const std::int16_t block[64]) {
  const int diff = block[0] - predictor;
  predictor = block[0];
  const int dcSize = bitCount(static_cast<unsigned>(std::abs(diff)));
  if (JPEG_STATUS status = emit<Sink>(out, dc, dcSize, diff, dcSize)) return status;

  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int value = block[kZigzagToNatural[k]];
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run >= 16; run -= 16) {
      if (JPEG_STATUS status = emit<Sink>(out, ac, 0xF0, 0, 0)) return status;
    }
    const int size = bitCount(static_cast<unsigned>(std::abs(value)));
    if (JPEG_STATUS status = emit<Sink>(out, ac, (run << 4) | size, value, size)) return status;
    run = 0;
  }
  if (run > 0) return emit<Sink>(out, ac, 0x00, 0, 0);
  return JPEG_SUCCESS;
}

}  // namespace

JPEG_STATUS encodeBlockHuffman(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                               std::int16_t& predictor, const std::int16_t block[64]) {
  return encodeBlock<BytewiseSink>(out, dc, ac, predictor, block);
}
