#include <cstdlib>

#include "jpeglib/jpeg_block_kernels.h"

namespace {

inline int bitCount(unsigned magnitude) { return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude); }

struct BytewiseSink {
  JpegOutputStream& out;
  JPEG_STATUS put(std::uint32_t bits, int length) { return putBits(out, bits, length); }
};

// Counts the bits a block would take without storing them.
struct BitCountSink {
  std::uint64_t& bits;
  JPEG_STATUS put(std::uint32_t, int length) {
    bits += static_cast<std::uint64_t>(length);
    return JPEG_SUCCESS;
  }
};

// Emits a symbol's code followed by `size` value bits in one call.
template <typename Sink>
JPEG_STATUS emit(Sink& sink, const JpegHuffmanCodes& table, int symbol, int value, int size) {
  const std::uint32_t length = table.length[symbol];
  // A symbol the table cannot code would silently corrupt the stream.
  if (length == 0) return JPEG_BAD_HUFFMAN_TABLE;
  const std::uint32_t bits = value < 0 ? static_cast<std::uint32_t>(value - 1) : static_cast<std::uint32_t>(value);
  const std::uint32_t valueBits = size == 0 ? 0 : bits & ((1u << size) - 1);
  return sink.put((static_cast<std::uint32_t>(table.code[symbol]) << size) | valueBits,
                   static_cast<int>(length) + size);
}

template <typename Sink>
JPEG_STATUS encodeBlock(Sink& sink, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                        std::int16_t& predictor, const std::int16_t block[64]) {
  const int diff = block[0] - predictor;
  predictor = block[0];
  const int dcSize = bitCount(static_cast<unsigned>(std::abs(diff)));
  if (JPEG_STATUS status = emit(sink, dc, dcSize, diff, dcSize)) return status;

  int run = 0;
  for (int k = 1; k < 64; ++k) {
    const int value = block[kZigzagToNatural[k]];
    if (value == 0) {
      ++run;
      continue;
    }
    for (; run >= 16; run -= 16) {
      if (JPEG_STATUS status = emit(sink, ac, 0xF0, 0, 0)) return status;
    }
    const int size = bitCount(static_cast<unsigned>(std::abs(value)));
    if (JPEG_STATUS status = emit(sink, ac, (run << 4) | size, value, size)) return status;
    run = 0;
  }
  if (run > 0) return emit(sink, ac, 0x00, 0, 0);
  return JPEG_SUCCESS;
}

}  // namespace

JPEG_STATUS encodeBlockHuffman(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                               std::int16_t& predictor, const std::int16_t block[64]) {
  BytewiseSink sink{out};
  return encodeBlock(sink, dc, ac, predictor, block);
}

JPEG_STATUS countBlockHuffmanBits(const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac, std::int16_t& predictor,
                                  const std::int16_t block[64], std::uint64_t& bits) {
  BitCountSink sink{bits};
  return encodeBlock(sink, dc, ac, predictor, block);
}
